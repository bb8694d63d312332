#include "media/ArchiveReader.h"

#include "media/RarLayout.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace
{
using namespace RarLayout;

// One block header as read from the view. Offsets are kept in 64 bits so that no size the bytes
// claim can wrap an offset back into the view.
struct BlockHeader
{
	uint64_t start = 0;
	uint8_t type = 0;
	uint16_t flags = 0;
	uint16_t headerSize = 0;
	uint32_t packedSize = 0;
	uint32_t unpackedSize = 0;
	uint32_t fileCrc = 0;
	uint8_t unpackVersion = 0;
	uint8_t method = 0;
	uint16_t nameSize = 0;

	uint64_t DataStart() const { return start + headerSize; }
	uint64_t NextBlockStart() const { return DataStart() + ((flags & kHasDataArea) != 0 ? packedSize : 0); }
};

bool LiesInView(const ArchiveView& view, uint64_t offset, uint64_t length)
{
	return offset <= view.size && length <= view.size - offset;
}

// Finds the marker and the archive header; data that does not start with the marker holds no
// entry.
bool ReadArchiveHeader(const ArchiveView& view, uint64_t& firstBlockStart, bool& isSolid)
{
	if (view.data == nullptr || !LiesInView(view, 0, kMarkerSize + kArchiveHeaderSize) ||
	    !std::equal(kMarker, kMarker + kMarkerSize, view.data))
	{
		return false;
	}
	const uint8_t* header = view.data + kMarkerSize;
	isSolid = (ReadU16(header + kArchiveFlagsOffset) & kArchiveSolid) != 0;
	firstBlockStart = kMarkerSize + ReadU16(header + kArchiveHeaderSizeOffset);
	return true;
}

// Every block is read in the file-header shape, whatever its type.
bool ReadBlockHeader(const ArchiveView& view, uint64_t start, BlockHeader& block)
{
	if (!LiesInView(view, start, kBlockHeaderSize))
	{
		return false;
	}
	const uint8_t* p = view.data + start;
	block.start = start;
	block.type = p[kTypeOffset];
	block.flags = ReadU16(p + kFlagsOffset);
	block.headerSize = ReadU16(p + kHeaderSizeOffset);
	block.packedSize = ReadU32(p + kPackedSizeOffset);
	block.unpackedSize = ReadU32(p + kUnpackedSizeOffset);
	block.fileCrc = ReadU32(p + kFileCrcOffset);
	block.unpackVersion = p[kUnpackVersionOffset];
	block.method = p[kMethodOffset];
	block.nameSize = ReadU16(p + kNameSizeOffset);
	return block.headerSize >= 7;
}

// The stored name, cut to 259 bytes and at its first NUL; false when it runs past the view.
bool ReadEntryName(const ArchiveView& view, const BlockHeader& block, std::string_view& name)
{
	const uint64_t nameStart = block.start + kNameOffset;
	const uint32_t nameSize = std::min<uint32_t>(block.nameSize, kMaxNameSize);
	if (!LiesInView(view, nameStart, nameSize))
	{
		return false;
	}
	name = std::string_view(reinterpret_cast<const char*>(view.data + nameStart), nameSize);
	name = name.substr(0, name.find('\0'));
	return true;
}

char FoldNameChar(char c)
{
	if (c == '\\' || c == '/')
	{
		return '_';
	}
	if (c >= 'a' && c <= 'z')
	{
		return static_cast<char>(c - 'a' + 'A');
	}
	return c;
}

// Equal to copying both names, turning "\" and "/" into "_", upper-casing ASCII letters and
// comparing the copies, without making the copies.
bool NamesMatch(std::string_view requested, std::string_view stored)
{
	requested = requested.substr(0, requested.find('\0'));
	return requested.size() == stored.size() &&
	       std::equal(requested.begin(), requested.end(), stored.begin(),
	                  [](char a, char b) { return FoldNameChar(a) == FoldNameChar(b); });
}

// The entry's bytes inside the view, checked against its checksum, without copying them.
// Encrypted entries are read as if they were not (no password is ever given), so a stored one
// fails here and counts as absent.
const uint8_t* CheckedEntryData(const ArchiveView& view, const BlockHeader& block)
{
	if (block.unpackVersion < kMinUnpackVersion || block.unpackVersion > kMaxUnpackVersion)
	{
		return nullptr;
	}
	// Compressed entries (any method but stored) are reported absent: the embedded archives
	// hold none, and without the RAR 2.0 decoder this reader needs no 1 MiB window either.
	if (block.method != kMethodStored)
	{
		return nullptr;
	}
	// A stored entry is its data area. An unpacked size that differs from the packed size, or a
	// data area that does not lie wholly in the view, marks a damaged entry; refusing it here
	// means no allocation is ever larger than bytes that really exist.
	if (block.unpackedSize != block.packedSize || !LiesInView(view, block.DataStart(), block.packedSize))
	{
		return nullptr;
	}
	const uint8_t* entryData = view.data + block.DataStart();
	const uint32_t crc = static_cast<uint32_t>(crc32(0, entryData, block.packedSize));
	return crc == block.fileCrc ? entryData : nullptr;
}

bool CopyOut(const uint8_t* entryData, uint32_t entrySize, uint8_t*& data, uint32_t& size)
{
	// new[] of zero bytes still gives a distinct non-null pointer: a found folder entry.
	data = new (std::nothrow) uint8_t[entrySize];
	if (data == nullptr)
	{
		return false;
	}
	std::copy(entryData, entryData + entrySize, data);
	size = entrySize;
	return true;
}
} // namespace

bool ArchiveReader::Extract(std::string_view name, ArchiveView& view, uint8_t*& data, uint32_t& size)
{
	data = nullptr;
	size = 0;
	view.position = 0;

	uint64_t blockStart = 0;
	bool isSolid = false;
	if (!ReadArchiveHeader(view, blockStart, isSolid))
	{
		return false;
	}
	for (;;)
	{
		BlockHeader block;
		if (!ReadBlockHeader(view, blockStart, block))
		{
			return false;
		}
		view.position = static_cast<uint32_t>(blockStart);
		blockStart = block.NextBlockStart();
		if (block.type == kSubBlock)
		{
			return false;
		}
		if (block.type != kFileBlock)
		{
			continue;
		}
		std::string_view storedName;
		if (!ReadEntryName(view, block, storedName))
		{
			return false;
		}
		const bool found = NamesMatch(name, storedName);
		// Every entry of a solid archive up to the requested one is decoded in order, so an
		// earlier entry that cannot be extracted ends the lookup as well.
		if (found || isSolid)
		{
			const uint8_t* entryData = CheckedEntryData(view, block);
			if (entryData == nullptr)
			{
				return false;
			}
			if (found)
			{
				return CopyOut(entryData, block.packedSize, data, size);
			}
		}
	}
}
