#include "tests/media/HandArchive.h"

#include <zlib.h>

namespace
{
void Put8(std::vector<uint8_t>& out, uint32_t v)
{
	out.push_back(static_cast<uint8_t>(v));
}
void Put16(std::vector<uint8_t>& out, uint32_t v)
{
	Put8(out, v);
	Put8(out, v >> 8);
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
	Put16(out, v);
	Put16(out, v >> 16);
}

void AppendFileBlock(std::vector<uint8_t>& out, const HandEntry& entry)
{
	const uint32_t size = static_cast<uint32_t>(entry.data.size());
	Put16(out, 0);                                               // 0: header checksum, not checked
	Put8(out, 0x74);                                             // 2: file header
	Put16(out, entry.flags);                                     // 3
	Put16(out, 32 + static_cast<uint32_t>(entry.name.size()));   // 5: header size
	Put32(out, size);                                            // 7: packed size
	Put32(out, size);                                            // 11: unpacked size
	Put8(out, 2);                                                // 15: host system
	Put32(out, entry.fileCrc);                                   // 16
	Put32(out, 0x5B98AAC0);                                      // 20: file time
	Put8(out, entry.unpackVersion);                              // 24
	Put8(out, entry.method);                                     // 25
	Put16(out, static_cast<uint32_t>(entry.name.size()));        // 26
	Put32(out, entry.attributes);                                // 28
	out.insert(out.end(), entry.name.begin(), entry.name.end()); // 32
	out.insert(out.end(), entry.data.begin(), entry.data.end());
}

void AppendOtherBlock(std::vector<uint8_t>& out, uint8_t type, uint32_t dataSize)
{
	Put16(out, 0);
	Put8(out, type);
	Put16(out, 0x8000);
	Put16(out, 32);
	Put32(out, dataSize);
	for (int offset = 11; offset < 32; ++offset) // the rest of the 32-byte shape
	{
		Put8(out, 0);
	}
	out.insert(out.end(), dataSize, 0xA5);
}
} // namespace

std::vector<uint8_t> BytesOf(const std::string& text)
{
	return {text.begin(), text.end()};
}

HandArchive::HandArchive(uint16_t archiveFlags) : archiveFlags(archiveFlags) {}

HandEntry& HandArchive::AddFile(const std::string& name, const std::vector<uint8_t>& data)
{
	Block block;
	block.entry.name = name;
	block.entry.data = data;
	block.entry.fileCrc = static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
	blocks.push_back(block);
	return blocks.back().entry;
}

HandEntry& HandArchive::AddFolder(const std::string& name)
{
	Block block;
	block.entry.name = name;
	block.entry.flags = 0x80E0;
	block.entry.attributes = 0x10;
	blocks.push_back(block);
	return blocks.back().entry;
}

void HandArchive::AddOtherBlock(uint8_t type, uint32_t dataSize)
{
	Block block;
	block.isFile = false;
	block.otherType = type;
	block.otherDataSize = dataSize;
	blocks.push_back(block);
}

std::vector<uint8_t> HandArchive::Bytes(std::vector<size_t>* fileBlockStarts) const
{
	std::vector<uint8_t> out = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
	Put16(out, 0);            // header checksum
	Put8(out, 0x73);          // archive header
	Put16(out, archiveFlags); // 0x0008: solid
	Put16(out, 13);           // header size
	Put16(out, 0);
	Put32(out, 0);
	for (const Block& block : blocks)
	{
		if (block.isFile)
		{
			if (fileBlockStarts != nullptr)
			{
				fileBlockStarts->push_back(out.size());
			}
			AppendFileBlock(out, block.entry);
		}
		else
		{
			AppendOtherBlock(out, block.otherType, block.otherDataSize);
		}
	}
	// End of archive: a 7-byte block.
	Put16(out, 0);
	Put8(out, 0x7B);
	Put16(out, 0x4000);
	Put16(out, 7);
	return out;
}
