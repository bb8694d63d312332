#pragma once

#include "tests/support/Picture.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>

// A private Wayland compositor: Debian's weston on its headless backend, drawing with pixman so
// that its screenshooter has pixels to give, in a runtime folder of its own under a socket name
// of its own. The constructor waits until the socket is there (and, with XWayland, until weston
// says which X display it serves); the destructor ends it and what it started.
class WestonServer
{
public:
	static constexpr bool kWithXWayland = true;

	WestonServer(int width, int height, bool xwayland);
	~WestonServer();
	WestonServer(const WestonServer&) = delete;
	WestonServer& operator=(const WestonServer&) = delete;

	// What a client needs to find this compositor: XDG_RUNTIME_DIR and WAYLAND_DISPLAY, and
	// DISPLAY for XWayland where it runs; any DISPLAY of the test's own is taken away otherwise.
	Environment ClientEnvironment() const;
	// The output as weston composes it; an empty picture when the screenshooter gave none.
	RgbImage Screenshot() const;
	// weston's own log, for a failure's message.
	std::string Log() const;

private:
	TempDir dir;
	std::string socket;
	std::string xDisplay;
	std::unique_ptr<ChildProcess> weston;
};
