// The whole program where its surroundings fail: settings out of reach, no home, no temporary
// folder, no sound output, no display, a display mode the screen does not have, settings
// nobody would choose. In every case it runs on or ends with a message, and hands the screen
// back as it found it.
#include "core/LibraryImage.h"
#include "resources/Resources.h"
#include "tests/settings/ConfigHome.h"
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/ScreenRamp.h"
#include "tests/support/TempDir.h"
#include "tests/support/XScreen.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>
#include <vector>

namespace
{
// Root reads and writes wherever it likes. A folder's mode only means to the program what it
// means to a user when the program runs without that power.
std::vector<std::string> WithoutRootsFileAccess(std::vector<std::string> command)
{
	if (geteuid() == 0)
	{
		command.insert(command.begin(),
		               {"/usr/bin/setpriv", "--bounding-set", "-dac_override,-dac_read_search", "--"});
	}
	return command;
}

struct RunFolder
{
	TempDir dir;

	std::filesystem::path Config() const { return dir.Path() / "config"; }
	std::filesystem::path Log() const { return dir.Path() / "saver.log"; }
	std::filesystem::path Shot() const { return dir.Path() / "shot.png"; }
	std::string LogText() const { return ReadFile(Log()); }

	Environment Base() const
	{
		return {{"XDG_CONFIG_HOME", Config().string()},
		        {"GLIMMERHEARTH_LOG", Log().string()},
		        {"GLIMMERHEARTH_NONINTERACTIVE", "1"},
		        {"WAYLAND_DISPLAY", std::nullopt}};
	}
	Environment On(const XvfbServer& xvfb) const
	{
		Environment environment = Base();
		environment["DISPLAY"] = xvfb.Display();
		return environment;
	}

	// A stored set with the music on, the sound written to a file of this run.
	Environment WithMusic(const XvfbServer& xvfb, const std::string& extraValues = "") const
	{
		StoreSettings("\"Enable music:\"=dword:00000001\n\"Sound volume:\"=dword:00000023\n" + extraValues);
		Environment environment = On(xvfb);
		environment["SDL_AUDIODRIVER"] = "disk";
		environment["SDL_DISKAUDIOFILE"] = (dir.Path() / "sound.raw").string();
		return environment;
	}

	// The rest of a stored set, after the given value lines: the later of two lines counts.
	void StoreSettings(const std::string& values) const
	{
		const auto folder = Config() / "glimmerhearth";
		std::filesystem::create_directories(folder);
		std::ofstream(folder / "registry.reg")
		    << RegistryText("\"Resolution:\"=dword:00000003\n\"Gamma:\"=dword:00000003\n"
		                    "\"Usemon:\"=dword:00000001\n\"Clock:\"=dword:00000001\n" +
		                    values);
	}

	// A short saver run that leaves a picture: proof that it loaded and drew.
	ProcessResult Snapshot(const std::vector<std::string>& before, const Environment& environment) const
	{
		std::vector<std::string> command = before;
		for (const std::string& argument :
		     {ProgramPath(), std::string("--snapshot"), Shot().string(), std::string("--frames"),
		      std::string("3"), std::string("--size"), std::string("160x120")})
		{
			command.push_back(argument);
		}
		return RunProcess(command, environment);
	}

	// The real saver until it has drawn for a moment, then a quit as a launcher sends it.
	ProcessResult SaverUntilTerminated(const Environment& environment) const
	{
		ChildProcess saver({ProgramPath(), "/s"}, environment);
		const bool started =
		    WaitFor([&] { return LogText().find("OpenGL initialized") != std::string::npos; },
		            std::chrono::seconds(30));
		EXPECT_TRUE(started) << LogText();
		const XScreen screen(*environment.at("DISPLAY"));
		EXPECT_TRUE(screen.ShowsNewFrames(2)) << "the saver draws no frames";
		saver.Signal(SIGTERM);
		return saver.Wait(std::chrono::seconds(20));
	}
};

// A run that did its work ends with 0, one that could not (no display, no such display mode)
// with 1; neither crashes nor hangs.
constexpr int kDidItsWork = 0;
constexpr int kCouldNotDoItsWork = 1;

void ExpectCleanEnd(const ProcessResult& result, const std::string& what, int status = kDidItsWork)
{
	EXPECT_FALSE(result.timedOut) << what << ": " << result.output;
	EXPECT_EQ(result.signal, 0) << what << ": " << result.output;
	EXPECT_EQ(result.exitCode, status) << what << ": " << result.output;
}

// The configuration folder exists but may not be written, or is missing and its parent may not
// be written: the saver runs with the defaults and says why they were not stored.
TEST(FaultRun, ConfigFolderOutOfReachRunsWithDefaultsAndSaysSo)
{
	XvfbServer xvfb(320, 240);
	for (const bool folderExists : {true, false})
	{
		RunFolder run;
		Environment environment = run.On(xvfb);
		std::filesystem::path closed = run.Config() / "glimmerhearth";
		if (!folderExists)
		{
			closed = run.dir.Path() / "locked";
			environment["XDG_CONFIG_HOME"] = (closed / "config").string();
		}
		std::filesystem::create_directories(closed);
		chmod(closed.c_str(), 0500);
		const ProcessResult result = run.Snapshot(WithoutRootsFileAccess({}), environment);
		chmod(closed.c_str(), 0700);

		ExpectCleanEnd(result, closed.string());
		EXPECT_TRUE(std::filesystem::exists(run.Shot())) << result.output;
		EXPECT_NE(result.output.find("glimmerhearth: the settings could not be saved: "), std::string::npos)
		    << result.output;
		EXPECT_NE(result.output.find("cannot be written: Permission denied"), std::string::npos)
		    << result.output;
		EXPECT_EQ(run.LogText().find("Settings not saved: "), 0u) << run.LogText();
		EXPECT_TRUE(std::filesystem::is_empty(closed));
	}
}

// Without HOME and XDG_CONFIG_HOME, or with relative ones, the settings go to the account's home
// folder, never into the working folder. An account whose home does not exist (nobody's) runs
// with the defaults and writes nothing anywhere.
TEST(FaultRun, WithoutHomeNothingLandsInTheWorkingFolder)
{
	if (geteuid() != 0)
	{
		GTEST_SKIP() << "running as an account without a home needs root";
	}
	XvfbServer xvfb(320, 240);
	for (const bool relative : {false, true})
	{
		RunFolder run;
		const auto working = run.dir.Path() / "working";
		std::filesystem::create_directories(working);
		// The account the program runs under writes the picture and the log here.
		chmod(run.dir.Path().c_str(), 0777);
		chmod(working.c_str(), 0777);
		Environment environment = run.On(xvfb);
		environment["XDG_CONFIG_HOME"] = relative ? std::optional<std::string>("config") : std::nullopt;
		environment["HOME"] = relative ? std::optional<std::string>(".") : std::nullopt;
		const ProcessResult result =
		    run.Snapshot({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--",
		                  "/usr/bin/env", "-C", working.string()},
		                 environment);
		ExpectCleanEnd(result, relative ? "relative" : "unset");
		EXPECT_TRUE(std::filesystem::exists(run.Shot())) << result.output;
		EXPECT_TRUE(std::filesystem::is_empty(working));
		EXPECT_NE(result.output.find("/nonexistent/.config/glimmerhearth/registry.reg cannot be written"),
		          std::string::npos)
		    << result.output;
	}
}

// The audio module goes through an in-memory file first; a temporary folder that is missing
// or closed only takes away the fallback, and the music still plays.
TEST(FaultRun, TemporaryFolderOutOfReachKeepsTheMusic)
{
	XvfbServer xvfb(320, 240);
	for (const bool folderExists : {false, true})
	{
		RunFolder run;
		const auto temporary = run.dir.Path() / "tmp";
		if (folderExists)
		{
			std::filesystem::create_directories(temporary);
			chmod(temporary.c_str(), 0500);
		}
		Environment environment = run.WithMusic(xvfb);
		environment["TMPDIR"] = temporary.string();
		ExpectCleanEnd(run.SaverUntilTerminated(environment), temporary.string());
		EXPECT_NE(run.LogText().find("\r\nSound initialized\r\n"), std::string::npos) << run.LogText();
		EXPECT_GT(std::filesystem::file_size(run.dir.Path() / "sound.raw"), 0u);

		if (folderExists)
		{
			EXPECT_TRUE(std::filesystem::is_empty(temporary));
			chmod(temporary.c_str(), 0700);
		}
	}
	// The fallback alone, with the folder missing: it refuses at once instead of failing later.
	ConfigHome home;
	home.Set("TMPDIR", "/nonexistent/tmp");
	const auto module = Resources::Find(ResourceId::kAudioModule, ResourceId::kAudioModuleId);
	EXPECT_EQ(Sys_LoadLibraryImageFrom(LibraryImageFile::Temporary, module), nullptr);
}

// No sound output: an unknown audio driver, or a device that cannot be opened. The music is off
// for the run; the saver draws on and ends as usual.
TEST(FaultRun, NoSoundOutputLeavesTheSaverSilent)
{
	XvfbServer xvfb(320, 240);
	for (const auto& [driver, file] : std::vector<std::pair<std::string, std::string>>{
	         {"no-such-driver", ""}, {"disk", "/nonexistent/folder/sound.raw"}})
	{
		RunFolder run;
		Environment environment = run.WithMusic(xvfb);
		environment["SDL_AUDIODRIVER"] = driver;
		environment["SDL_DISKAUDIOFILE"] = file;
		ExpectCleanEnd(run.SaverUntilTerminated(environment), driver);
		const std::string log = run.LogText();
		EXPECT_NE(log.find("\r\nSound initialized\r\n"), std::string::npos) << log;
		EXPECT_NE(log.find("\r\nFps: "), std::string::npos) << log;
	}
}

// With no display at all the saver and the preview end at once with a message; neither crashes
// nor waits. (The Options dialog has its own test of this.)
TEST(FaultRun, WithoutDisplayTheSaverAndThePreviewSaySoAndEnd)
{
	RunFolder run;
	Environment environment = run.Base();
	environment["DISPLAY"] = std::nullopt;
	for (const auto& [mode, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
	         {{"/s"}, "glimmerhearth: the saver needs a display, and none could be opened"},
	         {{"/p", "1234"}, "glimmerhearth: the preview needs a display, and none could be opened."},
	         {{"--snapshot", run.Shot().string()}, "glimmerhearth: the saver needs a display"}})
	{
		std::vector<std::string> command = {ProgramPath()};
		command.insert(command.end(), mode.begin(), mode.end());
		const ProcessResult result = RunProcess(command, environment, std::chrono::seconds(20));
		ExpectCleanEnd(result, mode[0], kCouldNotDoItsWork);
		EXPECT_NE(result.output.find(message), std::string::npos) << result.output;
	}
	EXPECT_NE(run.LogText().find("Create Window failed!"), std::string::npos);
}

// The stored mode (1600 x 1200) is larger than any the screen has: the saver says so and ends,
// and the screen keeps its mode and gets its gamma ramp back exactly.
TEST(FaultRun, DisplayModeTheScreenLacksEndsWithTheScreenAsFound)
{
	XvfbServer xvfb(1024, 768);
	ScreenRamp screen(xvfb.Display());
	screen.WritePower(1.6);
	const auto rampBefore = screen.Read();
	RunFolder run;
	run.StoreSettings("\"Resolution:\"=dword:00000008\n\"Usemon:\"=dword:00000000\n");
	const ProcessResult result = RunProcess({ProgramPath(), "/s"}, run.On(xvfb));
	ExpectCleanEnd(result, "1600 x 1200", kCouldNotDoItsWork);
	EXPECT_NE(result.output.find("Error: Display Mode Not Compatible"), std::string::npos) << result.output;
	EXPECT_NE(run.LogText().find("\r\nSet old Gamma: "), std::string::npos) << run.LogText();
	EXPECT_EQ(screen.Read(), rampBefore);
	const ProcessResult size = RunProcess({"/usr/bin/xdpyinfo"}, {{"DISPLAY", xvfb.Display()}});
	EXPECT_NE(size.output.find("dimensions:    1024x768 pixels"), std::string::npos) << size.output;
}

// A server without RandR offers no mode switch and no gamma ramp through it: the saver runs at
// the size it has and ends as usual.
TEST(FaultRun, ServerWithoutRandrRunsTheSaver)
{
	XvfbServer xvfb(800, 600, XvfbServer::kWithoutRandr);
	RunFolder run;
	run.StoreSettings("\"Resolution:\"=dword:00000000\n\"Usemon:\"=dword:00000000\n");
	ExpectCleanEnd(run.SaverUntilTerminated(run.On(xvfb)), "no RandR");
	EXPECT_NE(run.LogText().find("\r\nSet old Gamma: "), std::string::npos) << run.LogText();
}

// Numbers no dialog would store (a hand-edited file): the largest resolution index, gamma and
// volume. The saver falls back to the desktop, clamps the volume, and hands back the ramp.
TEST(FaultRun, OutOfRangeSettingsRunAndHandTheScreenBack)
{
	XvfbServer xvfb(640, 480);
	ScreenRamp screen(xvfb.Display());
	screen.WritePower(1.3);
	const auto rampBefore = screen.Read();
	RunFolder run;
	const Environment environment =
	    run.WithMusic(xvfb, "\"Resolution:\"=dword:ffffffff\n\"Gamma:\"=dword:ffffffff\n"
	                        "\"Usemon:\"=dword:00000000\n\"Sound volume:\"=dword:ffffffff\n");
	ExpectCleanEnd(run.SaverUntilTerminated(environment), "out of range");
	const std::string log = run.LogText();
	EXPECT_NE(log.find("\r\nSound initialized\r\n"), std::string::npos) << log;
	EXPECT_EQ(screen.Read(), rampBefore);
}
} // namespace
