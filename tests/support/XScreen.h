#pragma once

#include "tests/support/Picture.h"

#include <string>

struct _XDisplay;

// A connection of the test's own to an X server, to look at what its windows show. Xlib's
// headers stay out of here: their macros (None, Bool) clash with GoogleTest's names.
class XScreen
{
public:
	explicit XScreen(const std::string& display);
	~XScreen();
	XScreen(const XScreen&) = delete;
	XScreen& operator=(const XScreen&) = delete;

	_XDisplay* Get() const { return display; }
	unsigned long Root() const;
	// What a rectangle of the window shows, top row first; an empty picture when the window
	// cannot be read (it is gone, or the rectangle lies outside it).
	RgbImage Grab(unsigned long window, int x, int y, int width, int height) const;
	RgbImage GrabRoot(int x, int y, int width, int height) const { return Grab(Root(), x, y, width, height); }
	// Waits (60 s at most) until the middle of the screen has shown `count` new pictures, one
	// after the other. Each was drawn in a turn of a program's loop that began after the one
	// before had been shown, so whatever had reached the program before this call was read by
	// the time the second one shows.
	bool ShowsNewFrames(int count) const;

private:
	_XDisplay* display = nullptr;
};

// The share of the picture's pixels that are not black; 0 for an empty picture.
double LitShare(const RgbImage& picture);
// How many pixels are pure white.
int WhitePixels(const RgbImage& picture);
