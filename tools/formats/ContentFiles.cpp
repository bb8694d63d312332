#include "tools/formats/ContentFiles.h"

#include <fstream>

void SaveBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
	if (path.has_parent_path())
	{
		std::filesystem::create_directories(path.parent_path());
	}
	std::ofstream file(path, std::ios::binary | std::ios::trunc);
	file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
	if (!file.flush())
	{
		throw std::runtime_error("cannot write " + path.string());
	}
}
