// The saver on a Wayland desktop: the real program under Debian's weston (headless, drawn with
// pixman), reached through XWayland, its frames read back from the compositor's screenshooter.
#include "tests/support/Files.h"
#include "tests/support/Picture.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/Weston.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{
constexpr int kOutputWidth = 640;
constexpr int kOutputHeight = 480;

Environment SaverEnvironment(const WestonServer& weston, const TempDir& dir)
{
	Environment environment = weston.ClientEnvironment();
	environment["XDG_CONFIG_HOME"] = (dir.Path() / "config").string();
	environment["GLIMMERHEARTH_LOG"] = (dir.Path() / "saver.log").string();
	environment["GLIMMERHEARTH_NONINTERACTIVE"] = "1";
	return environment;
}

// Settings that ask for a display mode of their own, 800 x 600 x 32, not the desktop.
void WriteListedModeSettings(const TempDir& dir)
{
	const std::filesystem::path file = dir.Path() / "config" / "glimmerhearth" / "registry.reg";
	std::filesystem::create_directories(file.parent_path());
	std::ofstream(file) << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillfen\\Glimmerhearth]\n"
	                       "\"Resolution:\"=dword:00000001\n\"Gamma:\"=dword:00000002\n"
	                       "\"Usemon:\"=dword:00000000\n\"Clock:\"=dword:00000001\n";
}

// The share of pixels in which two pictures of one size differ by more than a few levels.
double ShareApart(const RgbImage& a, const RgbImage& b)
{
	if (a.rgb.size() != b.rgb.size() || a.rgb.empty())
	{
		return 1.0;
	}
	size_t apart = 0;
	for (size_t pixel = 0; pixel + 2 < a.rgb.size(); pixel += 3)
	{
		for (size_t channel = pixel; channel < pixel + 3; ++channel)
		{
			if (std::abs(a.rgb[channel] - b.rgb[channel]) > 4)
			{
				++apart;
				break;
			}
		}
	}
	return static_cast<double>(apart) / static_cast<double>(a.rgb.size() / 3);
}

double MeanLevel(const RgbImage& picture)
{
	double sum = 0.0;
	for (const uint8_t level : picture.rgb)
	{
		sum += level;
	}
	return picture.rgb.empty() ? 0.0 : sum / static_cast<double>(picture.rgb.size());
}

// A room frame on the whole output: lit, nothing of the bare desktop left showing, and moving
// (the loading picture before it stands still).
bool ShowsTheMovingRoom(const RgbImage& shot, const RgbImage& previous, const RgbImage& desktop)
{
	return shot.width == kOutputWidth && shot.height == kOutputHeight && MeanLevel(shot) > 20.0 &&
	       ShareApart(shot, desktop) > 0.95 && ShareApart(shot, previous) > 0.01;
}

// Under a Wayland compositor the saver goes through XWayland, takes the whole output without a
// display-mode switch even where the settings ask for one, leaves the gamma alone, and ends on
// SIGTERM as on any desktop.
TEST(WaylandRun, SaverDrawsTheRoomUnderWestonAndEndsOnTerminate)
{
	WestonServer weston(kOutputWidth, kOutputHeight, WestonServer::kWithXWayland);
	const RgbImage desktop = weston.Screenshot();
	ASSERT_EQ(desktop.width, kOutputWidth) << weston.Log();
	TempDir dir;
	WriteListedModeSettings(dir);
	ChildProcess saver({ProgramPath(), "/s"}, SaverEnvironment(weston, dir));
	ASSERT_TRUE(WaitFor(
	    [&] { return ReadLog(dir.Path() / "saver.log").find("OpenGL initialized") != std::string::npos; },
	    std::chrono::seconds(120)))
	    << ReadFile(dir.Path() / "saver.log") << saver.Wait(std::chrono::seconds(1)).output;

	RgbImage previous = weston.Screenshot();
	bool roomShown = false;
	ASSERT_TRUE(WaitFor(
	    [&]
	    {
		    const RgbImage shot = weston.Screenshot();
		    roomShown = ShowsTheMovingRoom(shot, previous, desktop);
		    previous = shot;
		    return roomShown;
	    },
	    std::chrono::seconds(90)))
	    << "mean level " << MeanLevel(previous) << ", apart from the desktop "
	    << ShareApart(previous, desktop);

	saver.Signal(SIGTERM);
	const ProcessResult result = saver.Wait(std::chrono::seconds(30));
	EXPECT_FALSE(result.timedOut) << result.output;
	EXPECT_EQ(result.exitCode, 0) << result.output;
	// No message box: neither the mode switch nor the gamma ramp was tried.
	EXPECT_EQ(result.output.find("Error: "), std::string::npos) << result.output;
	const std::string log = ReadLog(dir.Path() / "saver.log");
	EXPECT_NE(log.find("\r\nOld Gamma: 1\r\n"), std::string::npos) << log;
	EXPECT_NE(log.find("\r\nSet old Gamma: 1\r\n"), std::string::npos) << log;
	EXPECT_NE(log.find("\r\nFps: "), std::string::npos) << log;
}

// A compositor without a seat (a headless one) and without XWayland: SDL's Wayland driver would
// crash starting there, so the program does not hand it over and says why it cannot draw.
TEST(WaylandRun, CompositorWithoutSeatOrXWaylandIsRefusedWithoutACrash)
{
	WestonServer weston(kOutputWidth, kOutputHeight, !WestonServer::kWithXWayland);
	TempDir dir;
	const ProcessResult result =
	    RunProcess({ProgramPath(), "/s"}, SaverEnvironment(weston, dir), std::chrono::seconds(60));
	EXPECT_FALSE(result.timedOut) << result.output;
	EXPECT_EQ(result.signal, 0) << result.output;
	EXPECT_EQ(result.exitCode, 1) << result.output;
	EXPECT_NE(result.output.find("offers no seat"), std::string::npos) << result.output;
	EXPECT_NE(result.output.find("the saver needs a display"), std::string::npos) << result.output;
	// The settings were loaded and stored on the way, where the crash used to come.
	EXPECT_NE(ReadFile(dir.Path() / "config" / "glimmerhearth" / "registry.reg").find("Resolution:"),
	          std::string::npos);
}
} // namespace
