#pragma once

#include "core/FrameClock.h"
#include "core/Platform.h"

#include <SDL.h>

#include <cstdint>

// The saver window's record: the window and its GL context, the chosen display mode, the frame
// clock, the local time of the frame and the cursor. Only saver mode fills it.
struct AppContext
{
	// The chosen resolution entry.
	int32_t screenWidth = 0;
	int32_t screenHeight = 0;
	int32_t colorBits = 0;
	// Tells the teardown to restore the display mode and the cursor.
	bool fullScreen = false;
	// The desktop entry: full screen at the desktop's own mode, no mode switch.
	bool desktopMode = false;
	// Snapshot runs and runs in a screen-saver host's window leave the display alone: no mode
	// switch, no gamma change, no hidden cursor.
	bool keepDisplay = false;
	// Drawn in a screen-saver host's window (or, for the host's --window, a window of its own):
	// the window may change its size, and the frames follow it.
	bool hosted = false;
	// Only the saver's own full-screen run ends on the mouse; snapshots and hosts end otherwise.
	bool mouseEndsSaver = true;
	// Swaps wait for the display's refresh, except in runs that measure the renderer or draw
	// into a file (snapshots, --report).
	bool swapsFollowDisplay = true;

	SDL_Window* window = nullptr;
	SDL_GLContext glContext = nullptr;
	int32_t clientWidth = 0;
	int32_t clientHeight = 0;
	// The gamma exponent estimated from the screen's ramp before the saver changed it.
	double oldGamma = 1.0;

	FrameClock clock;
	LocalTime localTime;

	// The cursor at the previous frame, for the mouse-movement exit.
	int32_t cursorX = 0;
	int32_t cursorY = 0;
	int32_t referenceCursorX = 0;
	int32_t referenceCursorY = 0;
	bool firstFrame = true;
};

extern AppContext g_app;
