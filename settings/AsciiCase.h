#pragma once

// Key and value names of the settings files compare without regard to case, in ASCII only: bytes
// of 128 and above are code-page text and compare as they are.

#include <string_view>

inline char LowerAscii(char c)
{
	return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
	if (a.size() != b.size())
	{
		return false;
	}
	for (size_t i = 0; i < a.size(); ++i)
	{
		if (LowerAscii(a[i]) != LowerAscii(b[i]))
		{
			return false;
		}
	}
	return true;
}
