#include "tests/support/TempDir.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

TempDir::TempDir()
{
	std::string pattern = (std::filesystem::temp_directory_path() / "glimmer-test-XXXXXX").string();
	if (mkdtemp(pattern.data()) == nullptr)
	{
		throw std::runtime_error("mkdtemp failed");
	}
	path = pattern;
}

TempDir::~TempDir()
{
	std::error_code ignored;
	std::filesystem::remove_all(path, ignored);
}
