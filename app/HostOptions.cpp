#include "app/HostOptions.h"

#include <cstdlib>
#include <string_view>

HostOptions g_host;

namespace
{
// The host writes its options with one dash or two.
bool IsOption(std::string_view argument, std::string_view name)
{
	if (argument.starts_with("--"))
	{
		argument.remove_prefix(2);
	}
	else if (argument.starts_with('-'))
	{
		argument.remove_prefix(1);
	}
	else
	{
		return false;
	}
	return argument == name;
}

bool IsIgnoredWithValue(const std::string& argument)
{
	return IsOption(argument, "display") || IsOption(argument, "visual") || IsOption(argument, "delay");
}

// xscreensaver names its own window in XSCREENSAVER_WINDOW; a bad value counts as none.
uint32_t HostWindowFromEnvironment()
{
	const char* named = std::getenv("XSCREENSAVER_WINDOW");
	uint32_t id = 0;
	return named != nullptr && ParseWindowId(named, id) ? id : 0;
}
} // namespace

bool ParseWindowId(const std::string& text, uint32_t& id)
{
	const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
	const std::string digits = hex ? text.substr(2) : text;
	const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
	// Eight hex or ten decimal digits at most, so the value below cannot overflow.
	if (digits.empty() || digits.size() > (hex ? 8u : 10u) ||
	    digits.find_first_not_of(allowed) != std::string::npos)
	{
		return false;
	}
	const unsigned long long value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
	if (value == 0 || value > 0xFFFFFFFFull)
	{
		return false;
	}
	id = static_cast<uint32_t>(value);
	return true;
}

bool HostOptions::TakeOptions(std::vector<std::string>& arguments, std::string& error)
{
	std::vector<std::string> rest;
	for (size_t i = 0; i < arguments.size(); ++i)
	{
		const std::string& argument = arguments[i];
		if (IsOption(argument, "root"))
		{
			target = HostTarget::Root;
			windowId = HostWindowFromEnvironment();
		}
		else if (IsOption(argument, "window-id"))
		{
			if (i + 1 >= arguments.size() || !ParseWindowId(arguments[i + 1], windowId))
			{
				error = argument + " needs an X window id, in decimal or 0x hex";
				return false;
			}
			target = HostTarget::WindowId;
			++i;
		}
		else if (IsOption(argument, "window"))
		{
			target = HostTarget::NewWindow;
			windowId = 0;
		}
		else if (IsOption(argument, "fps"))
		{
			showFps = true;
		}
		else if (IsIgnoredWithValue(argument))
		{
			// A value-taking option at the very end has nothing to drop with it.
			i += i + 1 < arguments.size() ? 1 : 0;
		}
		else if (!IsOption(argument, "install"))
		{
			rest.push_back(argument);
		}
	}
	arguments.swap(rest);
	return true;
}
