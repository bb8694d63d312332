// The screen-saver switch grammar on any command line.
#include "app/CommandLine.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const RunMode mode = ParseCommandLine(std::string(reinterpret_cast<const char*>(data), size));
	if (mode != RunMode::Configure && mode != RunMode::Saver && mode != RunMode::Preview)
	{
		__builtin_trap();
	}
	return 0;
}
