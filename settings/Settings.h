#pragma once

#include "settings/Registry.h"

#include <cstdint>

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

	// The Options dialog lists the first ten in this order (1152 x 864 after 1280 x 1024); the
	// desktop entry stays zero until it is applied.
	Resolution resolutions[kResolutionCount] = {
	    {800, 600, 16},   {800, 600, 32},   {1024, 768, 16}, {1024, 768, 32},
	    {1280, 1024, 16}, {1280, 1024, 32}, {1152, 864, 16}, {1152, 864, 32},
	    {1600, 1200, 16}, {1600, 1200, 32}, {0, 0, 0},
	};
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
	// The mode as the registry or the defaults gave it. With useDesktopSettings the current mode
	// is the desktop entry, in memory only; the Options dialog goes back to this one when the
	// desktop is left without another mode chosen.
	int32_t loadedResolution = 0;

	// Back to the values above.
	void SetBuiltIns();
	// From the registry; on a first run from the defaults text, written back at once.
	void Load();
	// From the defaults text; also the Options dialog's "Restore Defaults".
	void LoadDefaults();
	// False when the values could not be stored; the reason then goes to standard error and
	// the log.
	bool Save() const;
	// Entry 10 becomes the desktop's size with 16 colour bits, and the current mode. Without a
	// display the entry keeps its size (zero unless filled before); the saver falls back later.
	void ApplyDesktopEntry();
};

extern Settings g_settings;
