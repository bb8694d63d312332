// gh_pack: writes a folder tree into a RAR 2.0 archive of stored entries.
//
//   gh_pack <folder> <archive.rar>
//
// The archive holds a folder entry (attribute 0x10) for every folder and a stored entry
// (method 0x30, unpack version 20) for every file, names with "\" separators, in sorted order
// and with one fixed file time, so the same tree always gives the same bytes.

#include "media/RarWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
std::vector<uint8_t> ReadWholeFile(const fs::path& path)
{
	std::ifstream in(path, std::ios::binary);
	if (!in)
	{
		throw std::runtime_error("cannot read " + path.string());
	}
	return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> SortedChildren(const fs::path& folder)
{
	std::vector<fs::path> children;
	for (const auto& entry : fs::directory_iterator(folder))
	{
		children.push_back(entry.path());
	}
	std::sort(children.begin(), children.end());
	return children;
}

void PackFolder(RarWriter& writer, const fs::path& root, const fs::path& folder)
{
	for (const fs::path& child : SortedChildren(folder))
	{
		std::string name = fs::relative(child, root).generic_string();
		std::replace(name.begin(), name.end(), '/', '\\');
		if (fs::is_directory(child))
		{
			writer.WriteFolder(name);
			PackFolder(writer, root, child);
		}
		else
		{
			writer.WriteFile(name, ReadWholeFile(child));
		}
	}
}
} // namespace

int main(int argc, char** argv)
{
	if (argc != 3)
	{
		std::fprintf(stderr, "usage: gh_pack <folder> <archive.rar>\n");
		return 2;
	}
	try
	{
		RarWriter writer;
		writer.WriteMarkerAndArchiveHeader();
		PackFolder(writer, argv[1], argv[1]);
		writer.WriteEndBlock();
		const fs::path temporary = std::string(argv[2]) + ".part";
		{
			std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
			out.write(reinterpret_cast<const char*>(writer.Bytes().data()),
			          static_cast<std::streamsize>(writer.Bytes().size()));
			if (!out)
			{
				throw std::runtime_error("cannot write " + temporary.string());
			}
		}
		fs::rename(temporary, argv[2]);
	}
	catch (const std::exception& error)
	{
		std::fprintf(stderr, "gh_pack: %s\n", error.what());
		return 1;
	}
	return 0;
}
