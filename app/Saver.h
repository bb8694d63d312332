#pragma once

#include "settings/Settings.h"

// The resolution entry the saver uses: the chosen one, or the desktop's own size when the
// chosen index lies outside the table or names an entry that was never filled.
Resolution ChooseResolution(const Settings& settings, int desktopWidth, int desktopHeight, bool& desktopMode);
