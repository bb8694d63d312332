#pragma once

#include <cstdint>
#include <string>

// One screen mode the saver can use.
struct Resolution
{
	int32_t width = 0;
	int32_t height = 0;
	int32_t colorBits = 0;
};

// The configuration record: built-in values, loaded from the per-user registry file, seeded
// from the defaults text on a first run, saved by the Options dialog.
class Settings
{
public:
	static constexpr int kResolutionCount = 11;
	static constexpr int kDesktopEntry = 10;

	Resolution resolutions[kResolutionCount];
	int32_t currentResolution = 0;
	float gamma = 3.0f;
	bool showFps = false;
	bool showTime = true;
	bool exitOnMouseMove = true;
	bool soundEffects = false;
	bool music = false;
	float musicVolume = 1.0f;
	float soundVolume = 1.0f;
	bool useDesktopSettings = true;
	bool clock24h = false;

	void SetBuiltIns();
	void Load();
	void LoadDefaults();
	void Save() const;
	// Entry 10 becomes the desktop's size with 16 colour bits, and the current mode.
	void ApplyDesktopEntry();
};

extern Settings g_settings;

// The registry value behind each setting, in the per-user registry file. Each call opens and
// closes the key; a missing key or value reads as 0; a failed write is ignored.
int32_t ReadRegistryDword(const std::string& valueName);
void WriteRegistryDword(const std::string& valueName, int32_t value);
