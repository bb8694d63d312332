// The defaults text parser and its look-ups on any bytes.
#include "settings/DefaultsTable.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	DefaultsTable table;
	table.Parse(reinterpret_cast<const char*>(data), size);
	for (const auto& entry : table.Entries())
	{
		table.LookupInt(entry.key);
	}
	table.LookupInt("CurrRes");
	return 0;
}
