// gh_pack: writes a folder tree into a RAR 2.0 archive of stored entries.
//
//   gh_pack <folder> <archive.rar>
//
// The archive holds a folder entry (attribute 0x10) for every folder and a stored entry
// (method 0x30, unpack version 20) for every file, names with "\" separators, in sorted order
// and with one fixed file time, so the same tree always gives the same bytes.

#include "media/RarLayout.h"

#include <zlib.h>

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
// 2026-12-24 21:30:00 in MS-DOS date and time format.
constexpr uint32_t kFixedDosTime = (((2026 - 1980) << 9 | 12 << 5 | 24) << 16) | (21 << 11 | 30 << 5);
constexpr uint8_t kHostWin32 = 2;
constexpr uint32_t kArchiveFileAttribute = 0x20;

class ArchiveWriter
{
public:
	void WriteMarkerAndArchiveHeader()
	{
		bytes.assign(std::begin(RarLayout::kMarker), std::end(RarLayout::kMarker));
		std::vector<uint8_t> header;
		header.push_back(RarLayout::kArchiveHeaderType);
		Put16(header, 0);
		Put16(header, RarLayout::kArchiveHeaderSize);
		Put16(header, 0);
		Put32(header, 0);
		AppendBlock(header);
	}

	void WriteEntry(const std::string& name, const std::vector<uint8_t>& data, bool isFolder)
	{
		const uint32_t crc = data.empty() ? 0 : static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
		std::vector<uint8_t> header;
		header.push_back(RarLayout::kFileBlock);
		Put16(header, RarLayout::kHasDataArea | (isFolder ? RarLayout::kDirectoryWindow : 0));
		Put16(header, static_cast<uint16_t>(RarLayout::kBlockHeaderSize + name.size()));
		Put32(header, static_cast<uint32_t>(data.size()));
		Put32(header, static_cast<uint32_t>(data.size()));
		header.push_back(kHostWin32);
		Put32(header, crc);
		Put32(header, kFixedDosTime);
		header.push_back(RarLayout::kMaxUnpackVersion);
		header.push_back(RarLayout::kMethodStored);
		Put16(header, static_cast<uint16_t>(name.size()));
		Put32(header, isFolder ? RarLayout::kFolderAttribute : kArchiveFileAttribute);
		header.insert(header.end(), name.begin(), name.end());
		AppendBlock(header);
		bytes.insert(bytes.end(), data.begin(), data.end());
	}

	void WriteEndBlock()
	{
		std::vector<uint8_t> header;
		header.push_back(RarLayout::kEndBlock);
		Put16(header, 0x4000);
		Put16(header, 7);
		AppendBlock(header);
	}

	const std::vector<uint8_t>& Bytes() const { return bytes; }

private:
	static void Put16(std::vector<uint8_t>& out, uint32_t v)
	{
		out.push_back(static_cast<uint8_t>(v));
		out.push_back(static_cast<uint8_t>(v >> 8));
	}
	static void Put32(std::vector<uint8_t>& out, uint32_t v)
	{
		Put16(out, v & 0xFFFF);
		Put16(out, v >> 16);
	}

	// A block's header CRC is the low half of the CRC-32 of everything after the CRC field.
	void AppendBlock(const std::vector<uint8_t>& headerWithoutCrc)
	{
		const uint32_t crc = static_cast<uint32_t>(
			crc32(0, headerWithoutCrc.data(), static_cast<uInt>(headerWithoutCrc.size())));
		Put16(bytes, crc & 0xFFFF);
		bytes.insert(bytes.end(), headerWithoutCrc.begin(), headerWithoutCrc.end());
	}

	std::vector<uint8_t> bytes;
};

std::vector<uint8_t> ReadWholeFile(const fs::path& path)
{
	std::ifstream in(path, std::ios::binary);
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

void PackFolder(ArchiveWriter& writer, const fs::path& root, const fs::path& folder)
{
	for (const fs::path& child : SortedChildren(folder))
	{
		std::string name = fs::relative(child, root).generic_string();
		std::replace(name.begin(), name.end(), '/', '\\');
		if (name.size() > RarLayout::kMaxNameSize)
		{
			throw std::runtime_error("name too long for the archive: " + name);
		}
		if (fs::is_directory(child))
		{
			writer.WriteEntry(name, {}, true);
			PackFolder(writer, root, child);
		}
		else
		{
			writer.WriteEntry(name, ReadWholeFile(child), false);
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
		ArchiveWriter writer;
		writer.WriteMarkerAndArchiveHeader();
		PackFolder(writer, argv[1], argv[1]);
		writer.WriteEndBlock();
		const fs::path temporary = std::string(argv[2]) + ".part";
		{
			std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
			out.write(reinterpret_cast<const char*>(writer.Bytes().data()), static_cast<std::streamsize>(writer.Bytes().size()));
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
