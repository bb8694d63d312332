// The settings record against real registry files: first runs, reloads, what a save keeps.
#include "settings/Settings.h"
#include "settings/DefaultsTable.h"
#include "settings/RegistryFile.h"
#include "tests/settings/ConfigHome.h"
#include "tests/support/Process.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>

namespace
{
// The file a first run leaves, from the shipped defaults text.
const std::string kFirstRunValues = "\"Resolution:\"=dword:00000003\n"
                                    "\"Gamma:\"=dword:00000003\n"
                                    "\"Fps:\"=dword:00000000\n"
                                    "\"Clock:\"=dword:00000001\n"
                                    "\"ExitMM:\"=dword:00000000\n"
                                    "\"Enable sound:\"=dword:00000001\n"
                                    "\"Enable music:\"=dword:00000001\n"
                                    "\"Music volume:\"=dword:00000023\n"
                                    "\"Sound volume:\"=dword:00000023\n"
                                    "\"Usemon:\"=dword:00000001\n"
                                    "\"Style24h:\"=dword:00000000\n";

Settings Loaded()
{
	g_defaults.LoadEmbedded();
	Settings settings;
	settings.Load();
	return settings;
}

TEST(Settings, FirstRunStoresTheDefaults)
{
	ConfigHome home;
	const Settings settings = Loaded();
	EXPECT_EQ(home.Read(), RegistryText(kFirstRunValues));
	// The desktop entry is applied in memory only, and without a display it stays empty.
	EXPECT_EQ(settings.currentResolution, Settings::kDesktopEntry);
	EXPECT_EQ(settings.resolutions[Settings::kDesktopEntry].width, 0);
	EXPECT_EQ(settings.gamma, 3.0f);
	EXPECT_TRUE(settings.music);
	EXPECT_TRUE(settings.soundEffects);
	EXPECT_FALSE(settings.exitOnMouseMove);
	EXPECT_EQ(settings.musicVolume, 35.0f);
	EXPECT_EQ(settings.soundVolume, 35.0f);
	// The second start reads the same record back and writes nothing.
	const Settings again = Loaded();
	EXPECT_EQ(home.Read(), RegistryText(kFirstRunValues));
	EXPECT_EQ(again.soundVolume, 35.0f);
	EXPECT_TRUE(again.showTime);
}

// A key without "Resolution:" is a first run too; the other things in the file stay.
TEST(Settings, KeyWithoutResolutionIsAFirstRun)
{
	ConfigHome home;
	home.Write(RegistryText("\"Fps:\"=dword:00000001\n\"Theme\"=\"dark\"\n\"Resolution:\"=\"3\"\n"));
	Loaded();
	const std::string text = home.Read();
	EXPECT_NE(text.find("\"Theme\"=\"dark\"\n"), std::string::npos) << text;
	RegistryFile file;
	ASSERT_TRUE(file.Parse(text));
	EXPECT_EQ(file.ReadDword(kRegistryKey, "Resolution:"), 3u);
	EXPECT_EQ(file.ReadDword(kRegistryKey, "Fps:"), 0u);
}

TEST(Settings, CorruptFileIsKeptAndReplacedByTheDefaults)
{
	ConfigHome home;
	home.Write("REGEDIT4\n\"Resolution:\"=dword:00000005\n");
	Loaded();
	EXPECT_EQ(ConfigHome::Read(home.File().string() + ".corrupt"),
	          "REGEDIT4\n\"Resolution:\"=dword:00000005\n");
	EXPECT_EQ(home.Read(), RegistryText(kFirstRunValues));
}

// Missing values read 0, not their built-in value, and values of another type read 0 as well.
TEST(Settings, StoredSetLackingValuesReadsZeroForThem)
{
	ConfigHome home;
	home.Write(
	    RegistryText("\"Resolution:\"=dword:00000005\n\"Clock:\"=\"1\"\n\"Sound volume:\"=dword:00000050\n"));
	const Settings settings = Loaded();
	EXPECT_EQ(settings.currentResolution, 5);
	EXPECT_EQ(settings.soundVolume, 80.0f);
	EXPECT_FALSE(settings.showTime);
	EXPECT_FALSE(settings.exitOnMouseMove);
	EXPECT_FALSE(settings.useDesktopSettings);
	EXPECT_EQ(settings.gamma, 0.0f);
	EXPECT_EQ(settings.musicVolume, 0.0f);
	EXPECT_EQ(settings.resolutions[Settings::kDesktopEntry].width, 0);
}

TEST(Settings, SaveAndReloadTruncatesFloatsAndKeepsOtherValues)
{
	ConfigHome home;
	home.Write(RegistryText("\"Resolution:\"=dword:00000001\n\"Extra:\"=dword:00000007\n") +
	           "\n[HKEY_CURRENT_USER\\Software\\Other]\n\"Kept\"=hex:00\n");
	Settings settings;
	settings.currentResolution = 6;
	settings.gamma = 2.96f;
	settings.soundVolume = 99.9f;
	settings.musicVolume = 0.5f;
	settings.showFps = true;
	settings.useDesktopSettings = false;
	settings.clock24h = true;
	settings.Save();

	const std::string text = home.Read();
	EXPECT_NE(text.find("\"Extra:\"=dword:00000007\n"), std::string::npos) << text;
	EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Other]\n\"Kept\"=hex:00\n"), std::string::npos)
	    << text;
	const Settings reloaded = Loaded();
	EXPECT_EQ(reloaded.currentResolution, 6);
	EXPECT_EQ(reloaded.gamma, 2.0f);
	EXPECT_EQ(reloaded.soundVolume, 99.0f);
	EXPECT_EQ(reloaded.musicVolume, 0.0f);
	EXPECT_TRUE(reloaded.showFps);
	EXPECT_TRUE(reloaded.clock24h);
	EXPECT_TRUE(reloaded.showTime);
	EXPECT_FALSE(reloaded.useDesktopSettings);
}

// Stored numbers are unsigned; a hand-edited huge value survives a save without overflowing.
TEST(Settings, HugeStoredNumbersSurviveASave)
{
	ConfigHome home;
	home.Write(RegistryText(
	    "\"Resolution:\"=dword:00000002\n\"Gamma:\"=dword:ffffffff\n\"Usemon:\"=dword:00000000\n"));
	Settings settings = Loaded();
	EXPECT_EQ(settings.gamma, 4294967296.0f);
	settings.Save();
	EXPECT_EQ(ReadRegistryDword("Gamma:"), -1);
	settings.gamma = -1.5f;
	settings.Save();
	EXPECT_EQ(ReadRegistryDword("Gamma:"), -1);
}

TEST(Settings, SetBuiltInsRestoresTheTable)
{
	Settings settings;
	settings.resolutions[3] = {1, 2, 3};
	settings.gamma = 0.0f;
	settings.SetBuiltIns();
	EXPECT_EQ(settings.resolutions[3].width, 1024);
	EXPECT_EQ(settings.resolutions[6].width, 1152);
	EXPECT_EQ(settings.resolutions[9].colorBits, 32);
	EXPECT_EQ(settings.gamma, 3.0f);
	EXPECT_EQ(settings.currentResolution, 0);
}

// The desktop entry is the screen's size with 16 colour bits, whatever depth the screen has.
TEST(SettingsDesktop, DesktopEntryComesFromTheDisplay)
{
	ConfigHome home;
	XvfbServer xvfb(1280, 1024);
	home.Set("DISPLAY", xvfb.Display());
	home.Set("SDL_VIDEODRIVER", "x11");
	const Settings settings = Loaded();
	const Resolution& desktop = settings.resolutions[Settings::kDesktopEntry];
	EXPECT_EQ(desktop.width, 1280);
	EXPECT_EQ(desktop.height, 1024);
	EXPECT_EQ(desktop.colorBits, 16);
	EXPECT_EQ(settings.currentResolution, Settings::kDesktopEntry);
	// Only in memory: the file keeps the stored index.
	EXPECT_EQ(ReadRegistryDword("Resolution:"), 3);
}

TEST(SettingsProgram, FirstStartOfTheProgramStoresTheDefaults)
{
	TempDir dir;
	const auto config = dir.Path() / "config";
	const ProcessResult result = RunProcess(
	    {ProgramPath(), "/p", "0"},
	    {{"XDG_CONFIG_HOME", config.string()}, {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}});
	EXPECT_EQ(result.exitCode, 1) << result.output;
	EXPECT_EQ(ConfigHome::Read(config / "glimmerhearth" / "registry.reg"), RegistryText(kFirstRunValues));
}
} // namespace
