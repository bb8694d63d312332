#pragma once

#include <filesystem>
#include <string>

// The whole file as bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

// A log file without the single-instance guard's "gi gi" lines, which depend on whatever else
// runs on the machine (an installed saver, another checkout's tests).
std::string ReadLog(const std::filesystem::path& path);
