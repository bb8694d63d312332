// Whole-program start-up: the real executable, real files.
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace
{
TEST(Startup, WithoutLogVariableNoLogFileIsWritten)
{
	TempDir dir;
	const auto result =
	    RunProcess({ProgramPath(), "/p", "0"}, {{"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
	                                            {"GLIMMERHEARTH_LOG", std::nullopt},
	                                            {"DISPLAY", std::nullopt}});
	EXPECT_EQ(result.exitCode, 1) << result.output;
	for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path()))
	{
		EXPECT_NE(entry.path().extension(), ".log") << entry.path();
	}
}

TEST(Startup, LogVariableNamesTheLogFile)
{
	TempDir dir;
	const auto log = dir.Path() / "g.log";
	const auto result =
	    RunProcess({ProgramPath(), "/s"}, {{"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
	                                       {"GLIMMERHEARTH_LOG", log.string()},
	                                       {"DISPLAY", std::nullopt}});
	EXPECT_EQ(result.exitCode, 1) << result.output;
	const std::string text = ReadFile(log);
	EXPECT_NE(text.find("Starting...\r\nStarting init OpenGL\r\n"), std::string::npos) << text;
}
} // namespace

namespace
{
// Another process named exactly "glimmerhearth" runs (a copy of sleep under that name): the
// program logs one "gi gi" line for each copy it finds and ends at once with exit code 0.
TEST(SingleInstanceSerial, SecondCopyEndsAtOnce)
{
	TempDir dir;
	std::filesystem::create_directories(dir.Path() / "other");
	const auto impostor = dir.Path() / "other" / "glimmerhearth";
	std::filesystem::copy_file("/bin/sleep", impostor);
	ChildProcess running({impostor.string(), "30"});

	const auto program = dir.Path() / "glimmerhearth";
	std::filesystem::copy_file(RealProgramPath(), program);
	const auto log = dir.Path() / "g.log";
	const auto result =
	    RunProcess({program.string(), "/s"}, {{"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
	                                          {"GLIMMERHEARTH_LOG", log.string()},
	                                          {"DISPLAY", std::nullopt}});
	EXPECT_EQ(result.exitCode, 0) << result.output;
	EXPECT_EQ(ReadFile(log), "gi gi\r\ngi gi\r\n");

	// A snapshot draws into a file, not on the screen: the guard leaves it alone.
	XvfbServer xvfb(320, 240);
	const auto picture = dir.Path() / "shot.png";
	const auto snapshot = RunProcess({program.string(), "--snapshot", picture.string(), "--frames", "0",
									  "--size", "64x48"},
									 {{"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
									  {"DISPLAY", xvfb.Display()}});
	EXPECT_EQ(snapshot.exitCode, 0) << snapshot.output;
	EXPECT_TRUE(std::filesystem::exists(picture));
}

// A copy under another file name is not taken for the program.
TEST(SingleInstanceSerial, CopyUnderAnotherNameIsNotCounted)
{
	TempDir dir;
	const auto impostor = dir.Path() / "glimmerhearth2";
	std::filesystem::copy_file("/bin/sleep", impostor);
	ChildProcess running({impostor.string(), "30"});
	const auto result =
	    RunProcess({ProgramPath(), "/s"},
	               {{"XDG_CONFIG_HOME", (dir.Path() / "config").string()}, {"DISPLAY", std::nullopt}});
	EXPECT_EQ(result.exitCode, 1) << result.output;
}
} // namespace
