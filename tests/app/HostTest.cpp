// The saver under a screen-saver host, on a private X server: xscreensaver itself starting and
// ending the real program, and the program drawing into a window of the test's own.
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/XScreen.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <fstream>
#include <functional>
#include <thread>

// Xlib's macros (None, Bool) clash with GoogleTest's names, so it comes last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace
{
// The processes whose program is `program` (by its real path).
std::vector<int> RunningCopies(const fs::path& program)
{
	std::vector<int> pids;
	const fs::path wanted = fs::canonical(program);
	for (const auto& entry : fs::directory_iterator("/proc"))
	{
		std::error_code error;
		const fs::path exe = fs::read_symlink(entry.path() / "exe", error);
		if (!error && exe == wanted)
		{
			pids.push_back(std::stoi(entry.path().filename().string()));
		}
	}
	return pids;
}

// The host runs and the snapshots they are compared with start the same flight at the same
// local time.
const std::vector<std::string> kFixedPoint = {"--seed", "3", "--at", "2026-12-24 21:30:00"};

// How much of the saver's own frame is lit, from a snapshot run at the same size and the same
// point: the host's window is to show what the saver shows.
double SaverFrameLitShare(const XvfbServer& xvfb, const TempDir& dir, int width, int height)
{
	const fs::path picture = dir.Path() / "reference.png";
	std::vector<std::string> command = {ProgramPath(), "--snapshot", picture.string(), "--frames", "200",
	                                    "--size", std::to_string(width) + "x" + std::to_string(height)};
	command.insert(command.end(), kFixedPoint.begin(), kFixedPoint.end());
	const auto result =
	    RunProcess(command, {{"DISPLAY", xvfb.Display()}, {"XDG_CONFIG_HOME", (dir.Path() / "config").string()}});
	EXPECT_EQ(result.exitCode, 0) << result.output;
	const RgbImage frame = ReadPng(picture);
	EXPECT_FALSE(frame.rgb.empty()) << "no snapshot written";
	return LitShare(frame);
}

// The saver's frames need a while to come through the fade-in from black, longer on busy cores:
// the host's window is watched until it is lit as the reference is, within a generous deadline.
bool LitLikeTheReference(const std::function<RgbImage()>& look, double reference, double& lastSeen)
{
	return WaitFor(
	    [&]
	    {
		    lastSeen = LitShare(look());
		    return std::abs(lastSeen - reference) <= 0.25;
	    },
	    60s);
}

void ExpectFullShutdownLogged(const fs::path& log)
{
	const std::string text = ReadFile(log);
	for (const char* line : {"OpenGL initialized\r\n", "Set old Gamma: ", "Max fps: ", "Min fps: ", "Fps: "})
	{
		EXPECT_NE(text.find(line), std::string::npos) << line << " missing from\n" << text;
	}
}

// ---- xscreensaver ----

// xscreensaver will not start savers as root, so under root the daemon and its commands run as
// nobody, in a home folder of their own.
class XscreensaverHostSerial : public testing::Test
{
protected:
	void SetUp() override
	{
		fs::permissions(home.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
		                                 fs::perms::others_read | fs::perms::others_exec);
		std::ofstream(home.Path() / ".xscreensaver") << "timeout: 0:30:00\n"
		                                                "lock: False\n"
		                                                "fade: False\n"
		                                                "unfade: False\n"
		                                                "splash: False\n"
		                                                "dpmsEnabled: False\n"
		                                                "mode: one\n"
		                                                "selected: 0\n"
		                                                "programs: GL: "
		                                             << ProgramPath() << " --root --seed 3 --at '2026-12-24 21:30:00' \\n\n";
		if (geteuid() == 0)
		{
			RunProcess({"/bin/chown", "-R", "nobody:nogroup", home.Path().string()});
		}
	}

	std::vector<std::string> AsUser(std::vector<std::string> command) const
	{
		if (geteuid() == 0)
		{
			command.insert(command.begin(),
			               {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
		}
		return command;
	}

	Environment HostEnvironment() const
	{
		return {{"HOME", home.Path().string()},
		        {"DISPLAY", xvfb.Display()},
		        {"XDG_CONFIG_HOME", (home.Path() / "config").string()},
		        {"GLIMMERHEARTH_LOG", log.string()}};
	}

	bool Command(const char* what) const
	{
		return RunProcess(AsUser({"/usr/bin/xscreensaver-command", what}), HostEnvironment(), 10s).exitCode ==
		       0;
	}

	XvfbServer xvfb{640, 480};
	TempDir home;
	fs::path log = home.Path() / "saver.log";
};

TEST_F(XscreensaverHostSerial, ActivateRunsTheSaverInItsWindowAndDeactivateEndsIt)
{
	TempDir reference;
	const double referenceLit = SaverFrameLitShare(xvfb, reference, 640, 480);
	ChildProcess daemon(AsUser({"/usr/bin/xscreensaver", "-no-splash"}), HostEnvironment());
	ASSERT_TRUE(WaitFor([&] { return Command("-version"); }, 15s)) << "the daemon does not answer";
	ASSERT_TRUE(Command("-activate"));

	std::vector<int> copies;
	ASSERT_TRUE(WaitFor(
	    [&]
	    {
		    copies = RunningCopies(ProgramPath());
		    return !copies.empty();
	    },
	    15s))
	    << "xscreensaver started no saver";
	EXPECT_EQ(copies.size(), 1u);
	ASSERT_TRUE(WaitFor([&] { return ReadFile(log).find("OpenGL initialized") != std::string::npos; }, 60s))
	    << ReadFile(log);
	const XScreen screen(xvfb.Display());
	double hostLit = 0.0;
	EXPECT_TRUE(LitLikeTheReference([&] { return screen.GrabRoot(0, 0, 640, 480); }, referenceLit, hostLit))
	    << "host window " << hostLit << " lit, the saver's own frame " << referenceLit;

	ASSERT_TRUE(Command("-deactivate"));
	// A deactivated saver stops at its next frame, even in the middle of its first one.
	ASSERT_TRUE(WaitFor([&] { return RunningCopies(ProgramPath()).empty(); }, 30s))
	    << "the saver keeps running";
	ExpectFullShutdownLogged(log);
	daemon.Signal(SIGTERM);
	daemon.Wait(10s);
}

// ---- a window of the test's own ----

class HostWindowProgramTest : public testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_NE(screen.Get(), nullptr);
		Display* display = screen.Get();
		window = XCreateSimpleWindow(display, screen.Root(), 20, 20, 200, 150, 0, 0, WhitePixel(display, 0));
		XMapWindow(display, window);
		XSync(display, False);
	}

	Environment RunEnvironment() const
	{
		return {{"DISPLAY", xvfb.Display()},
		        {"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
		        {"GLIMMERHEARTH_LOG", (dir.Path() / "saver.log").string()}};
	}

	// The whole window shows the saver's frame, none of the window's white.
	bool FilledByTheSaver(int width, int height) const
	{
		const RgbImage shown = screen.Grab(window, 0, 0, width, height);
		return !shown.rgb.empty() && WhitePixels(shown) == 0;
	}

	XvfbServer xvfb{640, 480};
	XScreen screen{xvfb.Display()};
	TempDir dir;
	Window window = 0;
};

TEST_F(HostWindowProgramTest, DrawsIntoTheGivenWindowFollowingItsSize)
{
	// The reference is drawn first: its window would cover the test's own for a while.
	TempDir reference;
	const double referenceLit = SaverFrameLitShare(xvfb, reference, 320, 240);
	char hexId[32];
	std::snprintf(hexId, sizeof hexId, "0x%lx", window);
	std::vector<std::string> command = {ProgramPath(), "-window-id", hexId, "-delay", "20000"};
	command.insert(command.end(), kFixedPoint.begin(), kFixedPoint.end());
	ChildProcess saver(command, RunEnvironment());
	EXPECT_TRUE(WaitFor([&] { return FilledByTheSaver(200, 150); }, 60s));
	// Outside the window the screen is as it was.
	EXPECT_EQ(WhitePixels(screen.GrabRoot(300, 300, 100, 100)), 0);

	XResizeWindow(screen.Get(), window, 320, 240);
	XSync(screen.Get(), False);
	EXPECT_TRUE(WaitFor([&] { return FilledByTheSaver(320, 240); }, 60s));
	double hostLit = 0.0;
	EXPECT_TRUE(LitLikeTheReference([&] { return screen.Grab(window, 0, 0, 320, 240); }, referenceLit, hostLit))
	    << "host window " << hostLit << " lit, the saver's own frame " << referenceLit;

	saver.Signal(SIGTERM);
	const ProcessResult result = saver.Wait(30s);
	EXPECT_EQ(result.exitCode, 0) << result.output;
	ExpectFullShutdownLogged(dir.Path() / "saver.log");
}

TEST_F(HostWindowProgramTest, EndsWhenTheHostDestroysItsWindow)
{
	ChildProcess saver({ProgramPath(), "--window-id", std::to_string(window)}, RunEnvironment());
	ASSERT_TRUE(WaitFor([&] { return FilledByTheSaver(200, 150); }, 60s));
	XDestroyWindow(screen.Get(), window);
	XSync(screen.Get(), False);
	const ProcessResult result = saver.Wait(30s);
	EXPECT_FALSE(result.timedOut);
	EXPECT_EQ(result.exitCode, 0) << result.output;
	ExpectFullShutdownLogged(dir.Path() / "saver.log");
}

TEST_F(HostWindowProgramTest, RefusesAWindowThatIsNotThere)
{
	const ProcessResult result =
	    RunProcess({ProgramPath(), "-window-id", "0x7ffffff"}, RunEnvironment(), 20s);
	EXPECT_EQ(result.exitCode, 1);
	EXPECT_NE(result.output.find("Error: The host window does not exist"), std::string::npos)
	    << result.output;
	EXPECT_NE(ReadFile(dir.Path() / "saver.log").find("Create Window failed!"), std::string::npos);

	const ProcessResult malformed = RunProcess({ProgramPath(), "-window-id", "nine"}, RunEnvironment(), 20s);
	EXPECT_EQ(malformed.exitCode, 2);
	EXPECT_NE(malformed.output.find("window id"), std::string::npos) << malformed.output;
}
} // namespace
