// The defaults text parser and its look-ups on any bytes. A look-up walks the table, so the
// first and the last key stand for all of them; looking up every key would make each input cost
// the square of its lines.
#include "settings/DefaultsTable.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	DefaultsTable table;
	table.Parse(reinterpret_cast<const char*>(data), size);
	if (!table.Entries().empty())
	{
		table.LookupInt(table.Entries().front().key);
		table.LookupInt(table.Entries().back().key);
	}
	table.LookupInt("CurrRes");
	return 0;
}
