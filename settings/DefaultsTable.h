#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The key = value pairs of the embedded defaults text ("def_settings.txt"), which seeds the
// settings on a first run and on "Restore Defaults".
class DefaultsTable
{
public:
	static constexpr size_t kMaxEntries = 100;

	struct Entry
	{
		std::string key;
		std::string value;
	};

	// Parses the embedded text; only the first call does anything.
	void LoadEmbedded();
	void Parse(const char* text, size_t size);

	// The value of the first entry whose key matches, ignoring the case of A-Z. A missing key
	// shows a message box and gives an empty value.
	std::string Lookup(const std::string& key) const;
	// "true" gives 1, "false" 0, anything else its leading decimal number (0 without one).
	int32_t LookupInt(const std::string& key) const;

	const std::vector<Entry>& Entries() const { return entries; }

private:
	std::vector<Entry> entries;
	bool loadPending = true;
};

extern DefaultsTable g_defaults;
