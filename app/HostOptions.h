#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The options a Linux screen-saver host (xscreensaver) starts its savers with. With a target the
// saver draws into the host's window and leaves the display alone: no display-mode, gamma or
// cursor change and no single-instance guard, since the host runs one copy per screen.
//
//   -root, --root            the window in XSCREENSAVER_WINDOW, else the root window
//   -window-id N             the X window N (decimal, or hexadecimal after 0x)
//   -window, --window        a new window of its own
//   -fps, --fps              show the frame rate
//   -display D, -visual V, -install, -delay N   accepted and ignored
enum class HostTarget
{
	None,
	Root,
	WindowId,
	NewWindow
};

class HostOptions
{
public:
	// Takes the host's options out of `arguments`, leaving the rest in their order. False, with
	// `error` set, when a window id is missing or malformed.
	bool TakeOptions(std::vector<std::string>& arguments, std::string& error);

	bool Active() const { return target != HostTarget::None; }
	HostTarget Target() const { return target; }
	// The X window to draw into: the -window-id one, or for -root the host's window or the root
	// window (0 then: the caller asks the X server for it).
	uint32_t WindowId() const { return windowId; }
	bool ShowFps() const { return showFps; }

private:
	HostTarget target = HostTarget::None;
	uint32_t windowId = 0;
	bool showFps = false;
};

extern HostOptions g_host;

// "123" or "0x7b" (any case) into an X window id; false for anything else, 0 and ids past 32 bits.
bool ParseWindowId(const std::string& text, uint32_t& id);
