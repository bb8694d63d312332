// The whole program in configure mode: `/c` and a bare start open the Options window on a real X
// server, and closing the window ends the process.
#include "tests/settings/ConfigHome.h"
#include "tests/support/Process.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>

// After the test framework: Xlib defines macros (None, Bool) that its names would collide with.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace
{
constexpr char kCaption[] = "Glimmerhearth Configuration";

// The id of the first shown window whose name holds `name`, or 0 once the time is up.
unsigned long WaitForWindow(const std::string& display, const std::string& name)
{
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
	while (std::chrono::steady_clock::now() < deadline)
	{
		const auto search = RunProcess({"/usr/bin/xdotool", "search", "--onlyvisible", "--name", name},
		                               {{"DISPLAY", display}}, std::chrono::seconds(10));
		if (search.exitCode == 0)
		{
			return std::strtoul(search.output.c_str(), nullptr, 10);
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(100));
	}
	return 0;
}

// What a window manager sends when the user clicks the close box.
void RequestClose(const std::string& display, unsigned long window)
{
	Display* connection = XOpenDisplay(display.c_str());
	ASSERT_NE(connection, nullptr);
	XEvent event{};
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
	event.xclient.data.l[1] = CurrentTime;
	XSendEvent(connection, window, False, NoEventMask, &event);
	XCloseDisplay(connection);
}

// The program's environment: the private X server, its own settings folder, no Wayland.
Environment DialogEnvironment(const XvfbServer& xvfb, const ConfigHome& home)
{
	return {{"DISPLAY", xvfb.Display()},
	        {"XDG_CONFIG_HOME", (home.Root() / "config").string()},
	        {"NO_AT_BRIDGE", "1"},
	        {"WAYLAND_DISPLAY", std::nullopt}};
}

void ExpectDialogOpensAndCloses(const std::vector<std::string>& command)
{
	XvfbServer xvfb(1024, 768);
	ConfigHome home;
	ChildProcess program(command, DialogEnvironment(xvfb, home));
	const unsigned long window = WaitForWindow(xvfb.Display(), kCaption);
	ASSERT_NE(window, 0u) << program.Wait(std::chrono::seconds(1)).output;
	const std::string firstRun = home.Read();
	RequestClose(xvfb.Display(), window);
	const ProcessResult result = program.Wait(std::chrono::seconds(20));
	EXPECT_FALSE(result.timedOut) << result.output;
	EXPECT_EQ(result.exitCode, 0) << result.output;
	// Closing saves nothing: the file holds what the first run wrote.
	EXPECT_EQ(home.Read(), firstRun);
}

// Another X client destroying the dialog's window (as `xdotool windowclose` does) ends the
// program at once, as its close box would: nothing saved, no complaints from GTK.
TEST(OptionsProgram, WindowDestroyedByAnotherClientEndsTheProgram)
{
	XvfbServer xvfb(1024, 768);
	ConfigHome home;
	ChildProcess program({ProgramPath(), "/c"}, DialogEnvironment(xvfb, home));
	const unsigned long window = WaitForWindow(xvfb.Display(), kCaption);
	ASSERT_NE(window, 0u) << program.Wait(std::chrono::seconds(1)).output;
	const std::string firstRun = home.Read();
	const auto close = RunProcess({"/usr/bin/xdotool", "windowclose", std::to_string(window)},
	                              {{"DISPLAY", xvfb.Display()}}, std::chrono::seconds(20));
	ASSERT_EQ(close.exitCode, 0) << close.output;
	const ProcessResult result = program.Wait(std::chrono::seconds(30));
	EXPECT_FALSE(result.timedOut) << "still running without its window\n" << result.output;
	EXPECT_EQ(result.exitCode, 0) << result.output;
	EXPECT_EQ(result.output.find("CRITICAL"), std::string::npos) << result.output;
	EXPECT_EQ(home.Read(), firstRun);
}

TEST(OptionsProgram, ConfigureSwitchOpensTheDialog)
{
	ExpectDialogOpensAndCloses({ProgramPath(), "/c"});
}

TEST(OptionsProgram, BareStartOpensTheDialog)
{
	ExpectDialogOpensAndCloses({ProgramPath()});
}

TEST(OptionsProgram, WithoutDisplayItSaysSoAndEnds)
{
	ConfigHome home;
	const ProcessResult result = RunProcess({ProgramPath(), "/c"},
	                                        {{"XDG_CONFIG_HOME", (home.Root() / "config").string()},
	                                         {"DISPLAY", std::nullopt},
	                                         {"WAYLAND_DISPLAY", std::nullopt}},
	                                        std::chrono::seconds(20));
	EXPECT_EQ(result.exitCode, 1) << result.output;
	EXPECT_NE(result.output.find("Options dialog needs a display"), std::string::npos) << result.output;
}
} // namespace
