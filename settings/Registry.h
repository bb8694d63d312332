#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

// The program's key in the per-user registry, which is a REGEDIT4 file (settings/RegistryFile.h).
inline constexpr char kRegistryKey[] = "HKEY_CURRENT_USER\\Software\\Quillfen\\Glimmerhearth";

// $XDG_CONFIG_HOME/glimmerhearth/registry.reg, else ~/.config/glimmerhearth/registry.reg. Without
// HOME the account's home folder comes from the password database. Only absolute folders count:
// with none, the path is empty, the registry reads as empty and writes go nowhere (never into
// the current folder).
std::filesystem::path RegistryFilePath();

// Each call opens and closes the key, that is, reads the file afresh.
// Nothing when the key cannot be opened or the value is missing or not a dword.
std::optional<int32_t> QueryRegistryDword(const std::string& valueName);
// As above, with 0 for anything that cannot be read.
int32_t ReadRegistryDword(const std::string& valueName);

struct RegistryDword
{
	const char* name;
	int32_t value;
};

// Failures are ignored: the file then stays as it was. A file that cannot be parsed is kept as
// "registry.reg.corrupt" and a new one started; a file that cannot be read is never replaced.
void WriteRegistryDword(const std::string& valueName, int32_t value);
// Several values in one replacement of the file: all of them are stored, or none. False when
// none were; `failure` then says why, in words fit for a message.
bool WriteRegistryDwords(std::span<const RegistryDword> values, std::string& failure);
