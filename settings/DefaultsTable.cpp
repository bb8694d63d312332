#include "settings/DefaultsTable.h"

#include "core/Platform.h"
#include "resources/Resources.h"
#include "settings/AsciiCase.h"
#include "settings/Cp1251.h"

#include <cstdlib>
#include <string_view>

DefaultsTable g_defaults;

namespace
{
// Windows-1251: "неправильный формат файла def_settings.txt" and
// "Не найден параметр в файле def_settings.txt".
constexpr char kBadFormatMessage[] = "\xed\xe5\xef\xf0\xe0\xe2\xe8\xeb\xfc\xed\xfb\xe9 \xf4\xee\xf0\xec\xe0\xf2 "
									 "\xf4\xe0\xe9\xeb\xe0 def_settings.txt";
constexpr char kMissingKeyMessage[] = "\xcd\xe5 \xed\xe0\xe9\xe4\xe5\xed \xef\xe0\xf0\xe0\xec\xe5\xf2\xf0 \xe2 "
									  "\xf4\xe0\xe9\xeb\xe5 def_settings.txt";

// Drops every byte that is 32 or less as a signed char (blanks, tabs, controls, and every byte
// of 128 and above), then cuts the line at its first semicolon.
std::string CleanLine(std::string_view line)
{
	std::string cleaned;
	for (const char c : line)
	{
		if (static_cast<signed char>(c) > 32)
		{
			cleaned += c;
		}
	}
	const size_t semicolon = cleaned.find(';');
	return semicolon == std::string::npos ? cleaned : cleaned.substr(0, semicolon);
}
} // namespace

void DefaultsTable::LoadEmbedded()
{
	if (!loadPending)
	{
		return;
	}
	loadPending = false;
	const auto text = Resources::Find(ResourceId::kCustomData, ResourceId::kDefaultsText);
	Parse(reinterpret_cast<const char*>(text.data()), text.size());
}

void DefaultsTable::Parse(const char* text, size_t size)
{
	size_t pos = 0;
	while (pos < size)
	{
		// A line runs to the next carriage return; one CR and then one LF are stepped over.
		const size_t start = pos;
		while (pos < size && text[pos] != '\r')
		{
			++pos;
		}
		const std::string_view line(text + start, pos - start);
		if (pos < size && text[pos] == '\r')
		{
			++pos;
		}
		if (pos < size && text[pos] == '\n')
		{
			++pos;
		}

		const std::string cleaned = CleanLine(line);
		if (cleaned.empty())
		{
			continue;
		}
		// The table holds 100 pairs; further lines are dropped without a message.
		if (entries.size() >= kMaxEntries)
		{
			continue;
		}
		const size_t equals = cleaned.find('=');
		if (equals == std::string::npos)
		{
			Sys_MessageBox("", Cp1251ToUtf8(kBadFormatMessage));
			entries.push_back({cleaned, cleaned});
			continue;
		}
		entries.push_back({cleaned.substr(0, equals), cleaned.substr(equals + 1)});
	}
}

std::string DefaultsTable::Lookup(const std::string& key) const
{
	for (const Entry& entry : entries)
	{
		if (EqualsIgnoringCase(entry.key, key))
		{
			return entry.value;
		}
	}
	Sys_MessageBox(key, Cp1251ToUtf8(kMissingKeyMessage));
	return {};
}

int32_t DefaultsTable::LookupInt(const std::string& key) const
{
	const std::string value = Lookup(key);
	if (value == "true")
	{
		return 1;
	}
	if (value == "false")
	{
		return 0;
	}
	return static_cast<int32_t>(std::strtol(value.c_str(), nullptr, 10));
}
