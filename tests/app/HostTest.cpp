// The saver under a screen-saver host, on a private X server: xscreensaver itself starting and
// ending the real program, and the program drawing into a window of the test's own.
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <chrono>
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
// What a rectangle of the screen shows, in counts of pixels.
struct Looks
{
	int total = 0;
	int lit = 0;   // not black
	int white = 0; // the test window's own background
	double LitShare() const { return total > 0 ? static_cast<double>(lit) / total : 0.0; }
};

class Screen
{
public:
	explicit Screen(const XvfbServer& xvfb) : display(XOpenDisplay(xvfb.Display().c_str())) {}
	~Screen()
	{
		if (display != nullptr)
		{
			XCloseDisplay(display);
		}
	}
	Screen(const Screen&) = delete;
	Screen& operator=(const Screen&) = delete;

	Display* Get() const { return display; }
	Window Root() const { return DefaultRootWindow(display); }

	Looks Look(Window window, int x, int y, int width, int height) const
	{
		Looks looks;
		XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width),
		                          static_cast<unsigned>(height), AllPlanes, ZPixmap);
		if (image == nullptr)
		{
			return looks;
		}
		const unsigned long whitePixel = image->red_mask | image->green_mask | image->blue_mask;
		for (int row = 0; row < height; ++row)
		{
			for (int column = 0; column < width; ++column)
			{
				const unsigned long pixel = XGetPixel(image, column, row) & whitePixel;
				++looks.total;
				looks.lit += pixel != 0 ? 1 : 0;
				looks.white += pixel == whitePixel ? 1 : 0;
			}
		}
		XDestroyImage(image);
		return looks;
	}

private:
	Display* display = nullptr;
};

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

// How much of the saver's own frame is lit, from a snapshot run at the same size: the host's
// window is to show what the saver shows.
double SaverFrameLitShare(const XvfbServer& xvfb, const TempDir& dir, int width, int height)
{
	const fs::path picture = dir.Path() / "reference.png";
	const auto result =
	    RunProcess({ProgramPath(), "--snapshot", picture.string(), "--frames", "200", "--size",
	                std::to_string(width) + "x" + std::to_string(height)},
	               {{"DISPLAY", xvfb.Display()}, {"XDG_CONFIG_HOME", (dir.Path() / "config").string()}});
	EXPECT_EQ(result.exitCode, 1) << result.output;
	png_image image{};
	image.version = PNG_IMAGE_VERSION;
	if (png_image_begin_read_from_file(&image, picture.c_str()) == 0)
	{
		ADD_FAILURE() << "no snapshot written";
		return 0.0;
	}
	image.format = PNG_FORMAT_RGB;
	std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
	png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
	size_t lit = 0;
	for (size_t i = 0; i + 2 < rgb.size(); i += 3)
	{
		lit += (rgb[i] | rgb[i + 1] | rgb[i + 2]) != 0 ? 1 : 0;
	}
	return rgb.empty() ? 0.0 : static_cast<double>(lit) / static_cast<double>(rgb.size() / 3);
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
		                                             << ProgramPath() << " --root \\n\n";
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
	ASSERT_TRUE(WaitFor([&] { return ReadFile(log).find("OpenGL initialized") != std::string::npos; }, 30s))
	    << ReadFile(log);
	// Let the fade-in from black run its course before looking.
	std::this_thread::sleep_for(3s);
	Screen screen(xvfb);
	const double hostLit = screen.Look(screen.Root(), 0, 0, 640, 480).LitShare();

	ASSERT_TRUE(Command("-deactivate"));
	const auto deactivated = std::chrono::steady_clock::now();
	ASSERT_TRUE(WaitFor([&] { return RunningCopies(ProgramPath()).empty(); }, 5s))
	    << "the saver keeps running";
	EXPECT_LT(std::chrono::steady_clock::now() - deactivated, 1s);
	ExpectFullShutdownLogged(log);
	daemon.Signal(SIGTERM);
	daemon.Wait(10s);

	TempDir reference;
	EXPECT_NEAR(hostLit, SaverFrameLitShare(xvfb, reference, 640, 480), 0.25);
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

	// Each quarter of the window shows the saver's frame, none of the window's white.
	bool FilledByTheSaver(int width, int height) const
	{
		for (const int x : {0, width / 2})
		{
			for (const int y : {0, height / 2})
			{
				if (screen.Look(window, x, y, width / 2, height / 2).white > 0)
				{
					return false;
				}
			}
		}
		return true;
	}

	XvfbServer xvfb{640, 480};
	Screen screen{xvfb};
	TempDir dir;
	Window window = 0;
};

TEST_F(HostWindowProgramTest, DrawsIntoTheGivenWindowFollowingItsSize)
{
	char hexId[32];
	std::snprintf(hexId, sizeof hexId, "0x%lx", window);
	ChildProcess saver({ProgramPath(), "-window-id", hexId, "-delay", "20000"}, RunEnvironment());
	EXPECT_TRUE(WaitFor([&] { return FilledByTheSaver(200, 150); }, 30s));
	// Outside the window the screen is as it was.
	EXPECT_EQ(screen.Look(screen.Root(), 300, 300, 100, 100).white, 0);

	XResizeWindow(screen.Get(), window, 320, 240);
	XSync(screen.Get(), False);
	EXPECT_TRUE(WaitFor([&] { return FilledByTheSaver(320, 240); }, 10s));
	std::this_thread::sleep_for(2s);
	const double hostLit = screen.Look(window, 0, 0, 320, 240).LitShare();

	saver.Signal(SIGTERM);
	const ProcessResult result = saver.Wait(10s);
	EXPECT_EQ(result.exitCode, 1) << result.output;
	ExpectFullShutdownLogged(dir.Path() / "saver.log");

	TempDir reference;
	EXPECT_NEAR(hostLit, SaverFrameLitShare(xvfb, reference, 320, 240), 0.25);
}

TEST_F(HostWindowProgramTest, EndsWhenTheHostDestroysItsWindow)
{
	ChildProcess saver({ProgramPath(), "--window-id", std::to_string(window)}, RunEnvironment());
	ASSERT_TRUE(WaitFor([&] { return FilledByTheSaver(200, 150); }, 30s));
	XDestroyWindow(screen.Get(), window);
	XSync(screen.Get(), False);
	const ProcessResult result = saver.Wait(10s);
	EXPECT_FALSE(result.timedOut);
	EXPECT_EQ(result.exitCode, 1) << result.output;
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
