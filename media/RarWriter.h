#pragma once

#include "media/RarLayout.h"

#include <zlib.h>

#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

// Writes a RAR 2.0 archive of stored entries into memory: the marker, the archive header, one
// file header per entry (stored, unpack version 20, names with "\" separators) and the end
// block. Used by the build-time packer, the tests and the benchmark, so every archive this
// project makes comes from one definition of the layout.
class RarWriter
{
public:
	// 2026-12-24 21:30:00 in MS-DOS date and time format: one fixed time keeps the output of the
	// same tree byte for byte the same.
	static constexpr uint32_t kFixedDosTime =
	    (((2026 - 1980) << 9 | 12 << 5 | 24) << 16) | (21 << 11 | 30 << 5);
	static constexpr uint8_t kHostWin32 = 2;
	static constexpr uint32_t kArchiveFileAttribute = 0x20;

	void WriteMarkerAndArchiveHeader(uint16_t archiveFlags = 0)
	{
		bytes.assign(std::begin(RarLayout::kMarker), std::end(RarLayout::kMarker));
		std::vector<uint8_t> header;
		header.push_back(RarLayout::kArchiveHeaderType);
		Put16(header, archiveFlags);
		Put16(header, RarLayout::kArchiveHeaderSize);
		Put16(header, 0);
		Put32(header, 0);
		AppendBlock(header);
	}

	// name: "\" separated, at most 259 bytes.
	void WriteFile(const std::string& name, const uint8_t* data, uint32_t size)
	{
		WriteEntry(name, data, size, false);
	}
	void WriteFile(const std::string& name, const std::vector<uint8_t>& data)
	{
		if (data.size() > UINT32_MAX)
		{
			throw std::runtime_error("file too large for the archive: " + name);
		}
		WriteFile(name, data.data(), static_cast<uint32_t>(data.size()));
	}
	void WriteFolder(const std::string& name) { WriteEntry(name, nullptr, 0, true); }

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
	void WriteEntry(const std::string& name, const uint8_t* data, uint32_t size, bool isFolder)
	{
		if (name.size() > RarLayout::kMaxNameSize)
		{
			throw std::runtime_error("name too long for the archive: " + name);
		}
		if (bytes.size() + RarLayout::kBlockHeaderSize + name.size() + size > UINT32_MAX)
		{
			throw std::runtime_error("archive would pass 4 GiB at: " + name);
		}
		const uint32_t crc = static_cast<uint32_t>(crc32(0, data, size));
		std::vector<uint8_t> header;
		header.push_back(RarLayout::kFileBlock);
		// Folder entries carry all dictionary bits, as RAR itself writes them.
		Put16(header, RarLayout::kHasDataArea | (isFolder ? RarLayout::kDirectoryWindow : 0));
		Put16(header, static_cast<uint16_t>(RarLayout::kBlockHeaderSize + name.size()));
		Put32(header, size);
		Put32(header, size);
		header.push_back(kHostWin32);
		Put32(header, crc);
		Put32(header, kFixedDosTime);
		header.push_back(RarLayout::kMaxUnpackVersion);
		header.push_back(RarLayout::kMethodStored);
		Put16(header, static_cast<uint16_t>(name.size()));
		Put32(header, isFolder ? RarLayout::kFolderAttribute : kArchiveFileAttribute);
		header.insert(header.end(), name.begin(), name.end());
		AppendBlock(header);
		if (size > 0)
		{
			bytes.insert(bytes.end(), data, data + size);
		}
	}

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

	// A block's header checksum is the low half of the CRC-32 of everything after the field.
	void AppendBlock(const std::vector<uint8_t>& headerWithoutCrc)
	{
		const uint32_t crc = static_cast<uint32_t>(
		    crc32(0, headerWithoutCrc.data(), static_cast<uInt>(headerWithoutCrc.size())));
		Put16(bytes, crc & 0xFFFF);
		bytes.insert(bytes.end(), headerWithoutCrc.begin(), headerWithoutCrc.end());
	}

	std::vector<uint8_t> bytes;
};
