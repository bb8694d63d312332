// The settings record against registry files that went wrong: damaged, cut short, huge, out of
// reach, or a save killed halfway.
#include "settings/DefaultsTable.h"
#include "settings/RegistryFile.h"
#include "settings/Settings.h"
#include "tests/settings/ConfigHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

namespace
{
Settings Loaded()
{
	g_defaults.LoadEmbedded();
	Settings settings;
	settings.Load();
	return settings;
}

// What a first run stores, taken from a first run in a folder of its own.
std::string FirstRunText()
{
	ConfigHome fresh;
	Loaded();
	return fresh.Read();
}

// A stored set that differs from the first-run one in every value.
std::string StoredText()
{
	return RegistryText("\"Resolution:\"=dword:00000005\n\"Gamma:\"=dword:00000002\n"
	                    "\"Fps:\"=dword:00000001\n\"Clock:\"=dword:00000000\n\"ExitMM:\"=dword:00000001\n"
	                    "\"Enable sound:\"=dword:00000000\n\"Enable music:\"=dword:00000000\n"
	                    "\"Music volume:\"=dword:00000007\n\"Sound volume:\"=dword:00000050\n"
	                    "\"Usemon:\"=dword:00000000\n\"Style24h:\"=dword:00000001\n");
}

uint64_t BytesReadSoFar()
{
	std::ifstream io("/proc/self/io");
	std::string name;
	uint64_t value = 0;
	while (io >> name >> value)
	{
		if (name == "rchar:")
		{
			return value;
		}
	}
	return 0;
}

// Anything that is not a registry file, the empty file included, is kept aside and the
// defaults take its place.
TEST(SettingsFault, DamagedFilesAreKeptAsideAndTheDefaultsStored)
{
	const std::string firstRun = FirstRunText();
	const std::string damaged[] = {"",
	                               std::string("\x7f"
	                                           "ELF\x02\x01\x01\0\0\0",
	                                           10) +
	                                   "\xff\xfe garbage",
	                               "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Quillfen\\Glimmerhearth\n",
	                               "\xef\xbb\xbf[oops]\r\n\"Resolution:\"=dword:00000003\r\n"};
	for (const std::string& text : damaged)
	{
		ConfigHome home;
		home.Write(text);
		const Settings settings = Loaded();
		EXPECT_EQ(settings.gamma, 3.0f);
		EXPECT_EQ(home.Read(), firstRun);
		EXPECT_EQ(ConfigHome::Read(home.File().string() + ".corrupt"), text);
	}
}

// A file cut short at any byte: the program starts, reads what is whole, and afterwards the
// file on disk is always a whole registry file holding a stored set.
TEST(SettingsFault, FileCutAtEveryLengthLeavesAWholeFile)
{
	const std::string whole = StoredText();
	const size_t resolutionLineEnd = whole.find("\n\"Gamma:\"") + 1;
	for (size_t length = 0; length <= whole.size(); ++length)
	{
		ConfigHome home;
		const std::string cut = whole.substr(0, length);
		home.Write(cut);
		const Settings settings = Loaded();
		RegistryFile file;
		ASSERT_TRUE(file.Parse(home.Read())) << "cut at " << length;
		ASSERT_TRUE(file.ReadDword(kRegistryKey, "Resolution:").has_value()) << "cut at " << length;
		// A cut that leaves no registry file (a line cut before its equals sign) sets the whole
		// file aside; one that keeps the resolution line whole keeps the stored set, untouched.
		const bool parses = RegistryFile().Parse(cut);
		EXPECT_EQ(std::filesystem::exists(home.File().string() + ".corrupt"), !parses) << "cut at " << length;
		if (parses && length >= resolutionLineEnd)
		{
			EXPECT_EQ(settings.currentResolution, 5) << "cut at " << length;
			EXPECT_EQ(home.Read(), cut);
		}
	}
}

// A file of 100 MB is never read whole: a few dozen kilobytes tell that it is not ours, and it
// is set aside by renaming, not copying.
TEST(SettingsFault, HugeFileIsNotReadWhole)
{
	const std::string firstRun = FirstRunText();
	ConfigHome home;
	home.Write(RegistryText("\"Resolution:\"=dword:00000005\n"));
	constexpr off_t kHugeSize = 100 * 1024 * 1024;
	ASSERT_EQ(truncate(home.File().c_str(), kHugeSize), 0);

	// What is read is counted rather than timed: on busy cores a time says little.
	const uint64_t before = BytesReadSoFar();
	const Settings settings = Loaded();
	EXPECT_LT(BytesReadSoFar() - before, 1024u * 1024u);

	EXPECT_EQ(settings.gamma, 3.0f);
	EXPECT_EQ(home.Read(), firstRun);
	EXPECT_EQ(std::filesystem::file_size(home.File().string() + ".corrupt"),
	          static_cast<uintmax_t>(kHugeSize));
}

// Values of another type than dword read as absent: a hex or string "Resolution:" is a first run,
// any other such value reads 0.
TEST(SettingsFault, ValuesOfAnotherTypeReadAsAbsent)
{
	ConfigHome home;
	home.Write(RegistryText("\"Resolution:\"=hex:03,00,00,00\n\"Gamma:\"=dword:00000001\n"));
	EXPECT_EQ(Loaded().gamma, 3.0f);

	home.Write(RegistryText("\"Resolution:\"=dword:00000001\n\"Gamma:\"=hex(4):02,00,00,00\n"
	                        "\"Clock:\"=dword:1000000000\n\"Sound volume:\"=\"80\"\n"));
	const Settings settings = Loaded();
	EXPECT_EQ(settings.currentResolution, 1);
	EXPECT_EQ(settings.gamma, 0.0f);
	EXPECT_FALSE(settings.showTime);
	EXPECT_EQ(settings.soundVolume, 0.0f);
}

// A save that cannot reach the disk says so, names the file and the reason, and leaves what
// was there alone.
TEST(SettingsFault, SaveThatCannotWriteSaysWhy)
{
	ConfigHome home;
	Settings settings;

	// The configuration folder is missing and cannot be made: a file stands where it would go.
	std::ofstream(home.Root() / "not-a-folder") << "x";
	home.Set("XDG_CONFIG_HOME", (home.Root() / "not-a-folder").string());
	testing::internal::CaptureStderr();
	EXPECT_FALSE(settings.Save());
	std::string said = testing::internal::GetCapturedStderr();
	EXPECT_NE(said.find("glimmerhearth: the settings could not be saved: " +
	                    (home.Root() / "not-a-folder/glimmerhearth/registry.reg").string() +
	                    " cannot be written: Not a directory"),
	          std::string::npos)
	    << said;

	// Something that cannot be read is never replaced.
	home.Set("XDG_CONFIG_HOME", (home.Root() / "config").string());
	std::filesystem::create_directories(home.File());
	testing::internal::CaptureStderr();
	EXPECT_FALSE(settings.Save());
	said = testing::internal::GetCapturedStderr();
	EXPECT_NE(said.find(home.File().string() + " cannot be read: Is a directory"), std::string::npos) << said;
	EXPECT_TRUE(std::filesystem::is_directory(home.File()));

	// A first run that cannot store the defaults still starts with them.
	home.Set("XDG_CONFIG_HOME", (home.Root() / "not-a-folder").string());
	testing::internal::CaptureStderr();
	const Settings loaded = Loaded();
	said = testing::internal::GetCapturedStderr();
	EXPECT_NE(said.find("the settings could not be saved"), std::string::npos) << said;
	EXPECT_EQ(loaded.gamma, 3.0f);
	EXPECT_TRUE(loaded.music);
}

// A process killed at any moment of a save leaves either the old or the new file, whole. The
// saving process stores two sets in turn, each in one replacement of the file, until it is
// killed at a random moment; after every kill the file must be one of the two, byte for byte.
TEST(SettingsFault, SaveKilledAtAnyMomentLeavesTheOldOrTheNewFile)
{
	ConfigHome home;
	Settings first;
	Settings second;
	second.currentResolution = 7;
	second.gamma = 1.0f;
	second.showFps = true;
	second.showTime = false;
	second.music = true;
	second.soundVolume = 42.0f;
	second.clock24h = true;
	ASSERT_TRUE(second.Save());
	const std::string secondText = home.Read();
	ASSERT_TRUE(first.Save());
	const std::string firstText = home.Read();
	ASSERT_NE(firstText, secondText);

	std::mt19937 random(20261224);
	std::uniform_int_distribution<int> moment(0, 15000);
	constexpr int kKills = 150;
	for (int kill = 0; kill < kKills; ++kill)
	{
		const pid_t saver = fork();
		ASSERT_GE(saver, 0);
		if (saver == 0)
		{
			for (;;)
			{
				second.Save();
				first.Save();
			}
		}
		std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
		::kill(saver, SIGKILL);
		int status = 0;
		ASSERT_EQ(waitpid(saver, &status, 0), saver);
		ASSERT_TRUE(WIFSIGNALED(status));
		const std::string text = home.Read();
		ASSERT_TRUE(text == firstText || text == secondText) << "after kill " << kill << ":\n" << text;
	}

	// The killed saves left their temporary files; once those are a minute old, the next save
	// clears them away, and nothing else in the folder.
	const std::filesystem::path folder = home.File().parent_path();
	std::ofstream(folder / ".registry.reg.notes") << "kept";
	for (const auto& entry : std::filesystem::directory_iterator(folder))
	{
		std::filesystem::last_write_time(entry.path(), std::filesystem::file_time_type::clock::now() -
		                                                   std::chrono::minutes(2));
	}
	ASSERT_TRUE(first.Save());
	std::vector<std::string> left;
	for (const auto& entry : std::filesystem::directory_iterator(folder))
	{
		left.push_back(entry.path().filename().string());
	}
	std::sort(left.begin(), left.end());
	EXPECT_EQ(left, (std::vector<std::string>{".registry.reg.notes", "registry.reg"}));
}
} // namespace
