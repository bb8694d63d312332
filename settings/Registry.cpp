#include "settings/Registry.h"

#include "settings/RegistryFile.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
std::filesystem::path AbsoluteFolder(const char* folder)
{
	if (folder == nullptr || folder[0] != '/')
	{
		return {};
	}
	return folder;
}

std::filesystem::path HomeFolder()
{
	std::filesystem::path home = AbsoluteFolder(std::getenv("HOME"));
	if (!home.empty())
	{
		return home;
	}
	// Services and cron jobs may run without HOME; the account still has a home folder.
	passwd entry = {};
	passwd* found = nullptr;
	char buffer[4096];
	if (getpwuid_r(getuid(), &entry, buffer, sizeof(buffer), &found) == 0 && found != nullptr)
	{
		return AbsoluteFolder(found->pw_dir);
	}
	return {};
}

// "<path> cannot be written: Permission denied", from the errno of the step that failed.
std::string Failure(const std::filesystem::path& path, const char* what)
{
	return path.string() + " " + what + ": " + std::strerror(errno);
}

// A registry file kept elsewhere through a symbolic link (a dotfiles folder) stays there: the
// new file replaces the link's target, not the link.
std::filesystem::path FollowLinks(const std::filesystem::path& path)
{
	std::error_code error;
	const std::filesystem::path target = std::filesystem::canonical(path, error);
	return error ? path : target;
}
} // namespace

std::filesystem::path RegistryFilePath()
{
	std::filesystem::path config = AbsoluteFolder(std::getenv("XDG_CONFIG_HOME"));
	if (config.empty())
	{
		const std::filesystem::path home = HomeFolder();
		if (home.empty())
		{
			return {};
		}
		config = home / ".config";
	}
	return config / "glimmerhearth" / "registry.reg";
}

std::optional<int32_t> QueryRegistryDword(const std::string& valueName)
{
	const std::filesystem::path path = RegistryFilePath();
	RegistryFile file;
	if (path.empty() || file.Load(path) != RegistryFile::LoadResult::Parsed)
	{
		return std::nullopt;
	}
	const std::optional<uint32_t> value = file.ReadDword(kRegistryKey, valueName);
	if (!value)
	{
		return std::nullopt;
	}
	return static_cast<int32_t>(*value);
}

int32_t ReadRegistryDword(const std::string& valueName)
{
	return QueryRegistryDword(valueName).value_or(0);
}

void WriteRegistryDword(const std::string& valueName, int32_t value)
{
	const RegistryDword single[] = {{valueName.c_str(), value}};
	std::string ignored;
	WriteRegistryDwords(single, ignored);
}

bool WriteRegistryDwords(std::span<const RegistryDword> values, std::string& failure)
{
	const std::filesystem::path path = RegistryFilePath();
	if (path.empty())
	{
		failure = "there is no home folder to keep them in (HOME and XDG_CONFIG_HOME name none)";
		return false;
	}
	const std::filesystem::path target = FollowLinks(path);
	RegistryFile file;
	switch (file.Load(target))
	{
	case RegistryFile::LoadResult::Unreadable:
		failure = Failure(target, "cannot be read");
		return false;
	case RegistryFile::LoadResult::Corrupt:
		// The user may want it back; the new file starts empty.
		if (std::rename(target.c_str(), (target.string() + ".corrupt").c_str()) != 0)
		{
			failure = Failure(target, "cannot be set aside as damaged");
			return false;
		}
		break;
	case RegistryFile::LoadResult::Parsed:
	case RegistryFile::LoadResult::Missing:
		break;
	}
	for (const RegistryDword& value : values)
	{
		file.WriteDword(kRegistryKey, value.name, static_cast<uint32_t>(value.value));
	}
	if (!file.Save(target))
	{
		failure = Failure(target, "cannot be written");
		return false;
	}
	return true;
}
