#pragma once

#include <string>

// The program's entry: sets up the process-wide services in their fixed order, picks the run
// mode from the raw command line and runs that mode. Returns the process's exit status: 0 when
// the mode ended normally, 1 when it could not do its work.
int RunEntry(const std::string& commandLine);

// The mode functions.
void RunSaver();
void RunPreview();
