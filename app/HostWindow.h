#pragma once

#include <cstdint>

// Xlib's own types, declared here so that its macros stay out of every includer.
struct _XDisplay;

// A screen-saver host's X window that the saver draws into (xscreensaver's window, the root
// window, or a preview window). The host owns it: we never map, resize or destroy it, and only
// watch it on a connection of our own for its size and its end.
class HostWindow
{
public:
	// Opens the watch on `window` (0: the root window of the default screen). False, with
	// `error` set, when there is no display, no such window, or a visual without double-buffered
	// RGBA OpenGL and a depth buffer, which the saver's frames need.
	bool Open(uint32_t window, const char*& error);
	void Close();

	uint32_t Handle() const { return window; }
	int Width() const { return width; }
	int Height() const { return height; }

	// True while a host's window is being watched.
	bool Active() const { return display != nullptr; }
	// Takes the window's structure events. Returns true when its size changed since the last call.
	bool Poll();
	// The same after a round trip to the server, so that every event it has sent is in.
	bool SyncAndPoll();
	// True once the host has destroyed the window.
	bool Gone() const { return gone; }

private:
	bool HasUsableVisual();

	_XDisplay* display = nullptr;
	uint32_t window = 0;
	int width = 0;
	int height = 0;
	bool gone = false;
};
