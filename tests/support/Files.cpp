#include "tests/support/Files.h"

#include <fstream>
#include <iterator>

std::string ReadFile(const std::filesystem::path& path)
{
	std::ifstream in(path, std::ios::binary);
	return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
