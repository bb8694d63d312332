#pragma once

#include "core/RunMode.h"

#include <cstdint>
#include <string>
#include <vector>

// The window handle that came with /p or /c; 0 until a switch supplies one.
extern uint32_t g_parentWindowHandle;

// Reads the screen-saver switch from the raw command line (program name included) and returns
// the run mode; /p and /c may set g_parentWindowHandle on the way.
RunMode ParseCommandLine(const std::string& commandLine);

// The raw command line as the original platform would show it: the program name, in double
// quotes when it holds a blank, then the arguments joined by one blank.
std::string RebuildCommandLine(const std::string& programName, const std::vector<std::string>& arguments);
