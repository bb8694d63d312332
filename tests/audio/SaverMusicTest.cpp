// The music in the whole saver: real program, real X server, SDL's disk audio driver.
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/XScreen.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

namespace
{
// A stored settings set that differs from the first-run defaults only in the music flag.
void WriteSettings(const std::filesystem::path& configHome, bool music)
{
	const auto folder = configHome / "glimmerhearth";
	std::filesystem::create_directories(folder);
	std::ofstream file(folder / "registry.reg");
	file << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillfen\\Glimmerhearth]\n"
	     << "\"Resolution:\"=dword:00000003\n\"Gamma:\"=dword:00000003\n\"Fps:\"=dword:00000000\n"
	     << "\"Clock:\"=dword:00000001\n\"ExitMM:\"=dword:00000000\n\"Enable sound:\"=dword:00000000\n"
	     << "\"Enable music:\"=dword:0000000" << (music ? 1 : 0) << "\n"
	     << "\"Music volume:\"=dword:00000023\n\"Sound volume:\"=dword:00000023\n"
	     << "\"Usemon:\"=dword:00000001\n\"Style24h:\"=dword:00000000\n";
}

struct SaverWithMusic
{
	XvfbServer xvfb{800, 600};
	TempDir dir;

	std::filesystem::path Log() const { return dir.Path() / "saver.log"; }
	std::filesystem::path Sound() const { return dir.Path() / "sound.raw"; }

	Environment RunEnvironment() const
	{
		return {{"DISPLAY", xvfb.Display()},
		        {"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
		        {"GLIMMERHEARTH_LOG", Log().string()},
		        {"SDL_AUDIODRIVER", "disk"},
		        {"SDL_DISKAUDIOFILE", Sound().string()},
		        {"TMPDIR", dir.Path().string()}};
	}

	bool LogHas(const std::string& line) const { return ReadFile(Log()).find(line) != std::string::npos; }
};

std::string Mappings(int pid)
{
	return ReadFile("/proc/" + std::to_string(pid) + "/maps");
}

TEST(SaverMusic, PlaysWhileTheSaverRunsAndStopsAtShutdown)
{
	SaverWithMusic run;
	WriteSettings(run.dir.Path() / "config", true);
	ChildProcess saver({ProgramPath(), "/s"}, run.RunEnvironment());
	ASSERT_TRUE(WaitFor([&] { return run.LogHas("Sound initialized"); }, std::chrono::seconds(30)))
	    << ReadFile(run.Log());
	const std::string maps = Mappings(saver.Pid());
	EXPECT_NE(maps.find("glimmer-audio"), std::string::npos);
	EXPECT_NE(maps.find("libvorbisfile"), std::string::npos);
	// The music reaches the output: the disk driver's file soon holds more than silence (the
	// device may start before the music does, and the piece opens softly).
	EXPECT_TRUE(WaitFor([&] { return ReadFile(run.Sound()).find_first_not_of('\0') != std::string::npos; },
	                    std::chrono::seconds(20)));

	saver.Signal(SIGTERM);
	const auto result = saver.Wait(std::chrono::seconds(20));
	EXPECT_EQ(result.exitCode, 0) << result.output;
	EXPECT_TRUE(run.LogHas("Fps: "));
	// The module's temporary copy, if one was needed, went with it.
	for (const auto& entry : std::filesystem::directory_iterator(run.dir.Path()))
	{
		EXPECT_EQ(entry.path().filename().string().rfind("bas", 0), std::string::npos) << entry.path();
	}
}

TEST(SaverMusic, MusicOffLoadsNothingOfTheAudio)
{
	SaverWithMusic run;
	WriteSettings(run.dir.Path() / "config", false);
	ChildProcess saver({ProgramPath(), "/s"}, run.RunEnvironment());
	ASSERT_TRUE(WaitFor([&] { return run.LogHas("OpenGL initialized"); }, std::chrono::seconds(30)));
	// Some frames into the main loop, where the music would have started.
	const XScreen screen(run.xvfb.Display());
	EXPECT_TRUE(screen.ShowsNewFrames(2));
	const std::string maps = Mappings(saver.Pid());
	EXPECT_EQ(maps.find("glimmer-audio"), std::string::npos);
	EXPECT_EQ(maps.find("libvorbisfile"), std::string::npos);
	EXPECT_FALSE(run.LogHas("Sound initialized"));
	EXPECT_FALSE(std::filesystem::exists(run.Sound()));
	saver.Signal(SIGTERM);
	EXPECT_EQ(saver.Wait(std::chrono::seconds(20)).exitCode, 0);
}
} // namespace
