// The dialog label text parser on any bytes: every entry starts at a tag line, and the texts
// together never outgrow the input by more than the one blank each line adds.
#include "settings/Cp1251.h"
#include "settings/LabelText.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string_view text(reinterpret_cast<const char*>(data), size);
	size_t total = 0;
	for (const LabelEntry& entry : ParseLabelText(text))
	{
		if (entry.tag.empty() || entry.tag.front() != '#')
		{
			std::abort();
		}
		total += entry.tag.size() + entry.text.size();
		Cp1251ToUtf8(entry.text);
	}
	if (total > 2 * size + 1)
	{
		std::abort();
	}
	return 0;
}
