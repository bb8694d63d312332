#pragma once

#include <string>

// A private X server (Xvfb, with GLX and RandR, rendered by Mesa's llvmpipe) on a display number
// that it picks itself. The constructor waits until the server answers; the destructor ends it.
class XvfbServer
{
public:
	static constexpr bool kWithoutRandr = false;

	// A server without RandR (`randr` false) has no mode switch and no gamma ramp through it.
	explicit XvfbServer(int width = 1920, int height = 1080, bool randr = true);
	~XvfbServer();
	XvfbServer(const XvfbServer&) = delete;
	XvfbServer& operator=(const XvfbServer&) = delete;

	// ":N", for DISPLAY.
	const std::string& Display() const { return display; }

private:
	int pid = -1;
	std::string display;
};
