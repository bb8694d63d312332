// The command line on any input: the screen-saver host's options taken out of the words, then the
// screen-saver switch grammar on the whole text.
#include "app/CommandLine.h"
#include "app/HostOptions.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace
{
void TakeHostOptions(const std::string& text)
{
	std::vector<std::string> arguments;
	std::istringstream words(text);
	for (std::string word; words >> word;)
	{
		arguments.push_back(word);
	}
	const size_t given = arguments.size();
	HostOptions options;
	std::string error;
	const bool taken = options.TakeOptions(arguments, error);
	// Options only ever come out; a window id target always names a window.
	if (arguments.size() > given ||
	    (taken && options.Target() == HostTarget::WindowId && options.WindowId() == 0) ||
	    (!taken && error.empty()))
	{
		__builtin_trap();
	}
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string text(reinterpret_cast<const char*>(data), size);
	TakeHostOptions(text);
	const RunMode mode = ParseCommandLine(text);
	if (mode != RunMode::Configure && mode != RunMode::Saver && mode != RunMode::Preview)
	{
		__builtin_trap();
	}
	return 0;
}
