#include "app/CommandLine.h"

#include <cctype>

uint32_t g_parentWindowHandle = 0;

namespace
{
size_t SkipProgramName(const std::string& text)
{
	if (!text.empty() && text[0] == '"')
	{
		const size_t closing = text.find('"', 1);
		return closing == std::string::npos ? text.size() : closing + 1;
	}
	const size_t blank = text.find(' ');
	return blank == std::string::npos ? text.size() : blank + 1;
}

bool IsDigit(char c)
{
	return c >= '0' && c <= '9';
}

// Skips to the first decimal digit after `from` and reads the number that starts there.
// Returns false when no digit follows. The number wraps like the original 32-bit handle.
bool ReadHandleAfter(const std::string& text, size_t from, uint32_t& handle)
{
	size_t pos = from;
	while (pos < text.size() && !IsDigit(text[pos]))
	{
		++pos;
	}
	if (pos >= text.size())
	{
		return false;
	}
	uint32_t value = 0;
	while (pos < text.size() && IsDigit(text[pos]))
	{
		value = value * 10u + static_cast<uint32_t>(text[pos] - '0');
		++pos;
	}
	handle = value;
	return true;
}
} // namespace

RunMode ParseCommandLine(const std::string& commandLine)
{
	const size_t switchPos = commandLine.find_first_of("/-", SkipProgramName(commandLine));
	if (switchPos == std::string::npos)
	{
		return RunMode::Configure;
	}
	const size_t letterPos = switchPos + 1;
	const char letter = letterPos < commandLine.size() ? commandLine[letterPos] : '\0';
	switch (std::tolower(static_cast<unsigned char>(letter)))
	{
	case 'c':
		if (!ReadHandleAfter(commandLine, letterPos + 1, g_parentWindowHandle))
		{
			g_parentWindowHandle = 0;
		}
		return RunMode::Configure;
	case 'p':
		ReadHandleAfter(commandLine, letterPos + 1, g_parentWindowHandle);
		return RunMode::Preview;
	case 't':
		return RunMode::Preview;
	default:
		return RunMode::Saver;
	}
}

std::string RebuildCommandLine(const std::string& programName, const std::vector<std::string>& arguments)
{
	std::string line = programName.find(' ') != std::string::npos ? "\"" + programName + "\"" : programName;
	for (const std::string& argument : arguments)
	{
		line += ' ';
		line += argument;
	}
	return line;
}
