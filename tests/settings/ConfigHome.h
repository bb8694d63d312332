#pragma once

#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

// Points the registry at a fresh configuration folder (XDG_CONFIG_HOME) and takes the display
// away, for as long as the object lives; every variable it touches is put back afterwards.
class ConfigHome
{
public:
	ConfigHome()
	{
		Set("XDG_CONFIG_HOME", (dir.Path() / "config").string());
		Set("DISPLAY", std::nullopt);
		Set("WAYLAND_DISPLAY", std::nullopt);
	}
	~ConfigHome()
	{
		for (const auto& [name, value] : saved)
		{
			Apply(name, value);
		}
	}
	ConfigHome(const ConfigHome&) = delete;
	ConfigHome& operator=(const ConfigHome&) = delete;

	void Set(const std::string& name, const std::optional<std::string>& value)
	{
		if (saved.find(name) == saved.end())
		{
			const char* old = std::getenv(name.c_str());
			saved[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
		}
		Apply(name, value);
	}

	const std::filesystem::path& Root() const { return dir.Path(); }
	std::filesystem::path File() const { return dir.Path() / "config" / "glimmerhearth" / "registry.reg"; }

	void Write(const std::string& text) const
	{
		std::filesystem::create_directories(File().parent_path());
		std::ofstream(File(), std::ios::binary) << text;
	}
	static std::string Read(const std::filesystem::path& path)
	{
		std::ifstream in(path, std::ios::binary);
		return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
	}
	std::string Read() const { return Read(File()); }

private:
	static void Apply(const std::string& name, const std::optional<std::string>& value)
	{
		if (value)
		{
			setenv(name.c_str(), value->c_str(), 1);
		}
		else
		{
			unsetenv(name.c_str());
		}
	}

	TempDir dir;
	std::map<std::string, std::optional<std::string>> saved;
};

// The file as a fresh registry holds it, with the given value lines (each ending in a line feed).
inline std::string RegistryText(const std::string& values)
{
	return "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillfen\\Glimmerhearth]\n" + values;
}
