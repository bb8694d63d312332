#include "settings/LabelText.h"

#include "resources/Resources.h"

namespace
{
// The next line of `text` from `position`, without its line end; `position` moves past it.
std::string_view NextLine(std::string_view text, size_t& position)
{
	const size_t end = text.find('\n', position);
	std::string_view line =
	    text.substr(position, end == std::string_view::npos ? std::string_view::npos : end - position);
	position = end == std::string_view::npos ? text.size() : end + 1;
	if (!line.empty() && line.back() == '\r')
	{
		line.remove_suffix(1);
	}
	return line;
}
} // namespace

std::vector<LabelEntry> ParseLabelText(std::string_view text)
{
	std::vector<LabelEntry> entries;
	size_t position = 0;
	while (position < text.size())
	{
		const std::string_view line = NextLine(text, position);
		if (!line.empty() && line.front() == '#')
		{
			entries.push_back({std::string(line), ""});
		}
		else if (!entries.empty())
		{
			entries.back().text.append(" ").append(line);
		}
	}
	return entries;
}

std::string_view EmbeddedLabelText()
{
	const auto bytes = Resources::Find(ResourceId::kCustomData, ResourceId::kLabelText);
	return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}
