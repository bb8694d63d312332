#include "settings/Settings.h"

#include "core/LogFile.h"
#include "core/Platform.h"
#include "settings/DefaultsTable.h"

#include <cstdio>
#include <optional>
#include <string>

Settings g_settings;

namespace
{
// The registry value names, listed here in the order they are saved and read.
constexpr char kResolutionValue[] = "Resolution:";
constexpr char kGammaValue[] = "Gamma:";
constexpr char kFpsValue[] = "Fps:";
constexpr char kClockValue[] = "Clock:";
constexpr char kExitOnMouseMoveValue[] = "ExitMM:";
constexpr char kSoundValue[] = "Enable sound:";
constexpr char kMusicValue[] = "Enable music:";
constexpr char kMusicVolumeValue[] = "Music volume:";
constexpr char kSoundVolumeValue[] = "Sound volume:";
constexpr char kDesktopValue[] = "Usemon:";
constexpr char kClock24hValue[] = "Style24h:";

// Floats are stored truncated toward zero. A value no dword can hold (only a hand-edited file
// gets there) is clamped rather than left to an undefined conversion.
int32_t TruncateToDword(float value)
{
	constexpr float kTwoTo31 = 2147483648.0f;
	constexpr float kTwoTo32 = 4294967296.0f;
	if (value != value)
	{
		return 0;
	}
	if (value <= -kTwoTo31)
	{
		return INT32_MIN;
	}
	if (value < 0.0f)
	{
		return static_cast<int32_t>(value);
	}
	if (value >= kTwoTo32)
	{
		return -1;
	}
	return static_cast<int32_t>(static_cast<uint32_t>(value));
}

// Stored numbers are unsigned dwords.
float DwordToFloat(int32_t stored)
{
	return static_cast<float>(static_cast<uint32_t>(stored));
}

bool ReadRegistryFlag(const char* valueName)
{
	return ReadRegistryDword(valueName) != 0;
}

float ReadRegistryFloat(const char* valueName)
{
	return DwordToFloat(ReadRegistryDword(valueName));
}
} // namespace

void Settings::SetBuiltIns()
{
	*this = Settings();
}

void Settings::Load()
{
	// The key without "Resolution:" is a first run as much as no key at all.
	const std::optional<int32_t> storedResolution = QueryRegistryDword(kResolutionValue);
	if (storedResolution)
	{
		currentResolution = *storedResolution;
		gamma = ReadRegistryFloat(kGammaValue);
		showFps = ReadRegistryFlag(kFpsValue);
		showTime = ReadRegistryFlag(kClockValue);
		exitOnMouseMove = ReadRegistryFlag(kExitOnMouseMoveValue);
		soundEffects = ReadRegistryFlag(kSoundValue);
		music = ReadRegistryFlag(kMusicValue);
		musicVolume = ReadRegistryFloat(kMusicVolumeValue);
		soundVolume = ReadRegistryFloat(kSoundVolumeValue);
		useDesktopSettings = ReadRegistryFlag(kDesktopValue);
		clock24h = ReadRegistryFlag(kClock24hValue);
	}
	else
	{
		LoadDefaults();
		Save();
	}
	// In memory only: the registry keeps the stored index until the next save.
	loadedResolution = currentResolution;
	if (useDesktopSettings)
	{
		ApplyDesktopEntry();
	}
}

void Settings::LoadDefaults()
{
	currentResolution = g_defaults.LookupInt("CurrRes");
	gamma = static_cast<float>(g_defaults.LookupInt("Gamma"));
	showFps = g_defaults.LookupInt("ShowFPS") != 0;
	showTime = g_defaults.LookupInt("ShowTime") != 0;
	exitOnMouseMove = g_defaults.LookupInt("ExitOnMouseMove") != 0;
	soundEffects = g_defaults.LookupInt("SFX") != 0;
	music = g_defaults.LookupInt("Music") != 0;
	// Both volumes come from the one key.
	musicVolume = static_cast<float>(g_defaults.LookupInt("MusicVolume"));
	soundVolume = static_cast<float>(g_defaults.LookupInt("MusicVolume"));
	useDesktopSettings = g_defaults.LookupInt("UseDktpSet") != 0;
	clock24h = g_defaults.LookupInt("DigClock_24H") != 0;
}

// One replacement of the file for all eleven values, so that a save cut short leaves either the
// old set or the new one, never a mix.
bool Settings::Save() const
{
	const RegistryDword values[] = {
	    {kResolutionValue, currentResolution},
	    {kGammaValue, TruncateToDword(gamma)},
	    {kFpsValue, showFps},
	    {kClockValue, showTime},
	    {kExitOnMouseMoveValue, exitOnMouseMove},
	    {kSoundValue, soundEffects},
	    {kMusicValue, music},
	    {kMusicVolumeValue, TruncateToDword(musicVolume)},
	    {kSoundVolumeValue, TruncateToDword(soundVolume)},
	    {kDesktopValue, useDesktopSettings},
	    {kClock24hValue, clock24h},
	};
	std::string failure;
	if (WriteRegistryDwords(values, failure))
	{
		return true;
	}
	// The saver and the dialog run on without them, but the user should learn why the choices
	// did not stick.
	g_logFile.WriteLine("Settings not saved: " + failure);
	std::fprintf(stderr, "glimmerhearth: the settings could not be saved: %s\n", failure.c_str());
	return false;
}

void Settings::ApplyDesktopEntry()
{
	// The colour depth is always 16, whatever the desktop runs at.
	int width = 0;
	int height = 0;
	if (Sys_DesktopSize(width, height))
	{
		resolutions[kDesktopEntry] = {width, height, 16};
	}
	currentResolution = kDesktopEntry;
}
