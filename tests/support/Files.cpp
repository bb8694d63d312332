#include "tests/support/Files.h"

#include <fstream>
#include <iterator>

std::string ReadFile(const std::filesystem::path& path)
{
	std::ifstream in(path, std::ios::binary);
	return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadLog(const std::filesystem::path& path)
{
	const std::string guardLine = "gi gi\r\n";
	std::string text = ReadFile(path);
	while (text.starts_with(guardLine))
	{
		text.erase(0, guardLine.size());
	}
	return text;
}
