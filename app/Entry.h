#pragma once

#include <string>

// The program's entry: sets up the process-wide services in their fixed order, picks the run
// mode from the raw command line and runs that mode. Returns 1 in every path that comes back.
int RunEntry(const std::string& commandLine);

// The mode functions.
void RunSaver();
void RunPreview();
void RunOptionsDialog();
