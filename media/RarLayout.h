#pragma once

#include <cstdint>

// The RAR 2.0 block layout shared by the archive reader and the build-time packer, so that a
// field offset can never drift between the two. All numbers are little-endian.
namespace RarLayout
{
inline constexpr uint8_t kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
inline constexpr uint32_t kMarkerSize = 7;

// Archive header, right after the marker.
inline constexpr uint32_t kArchiveHeaderSize = 13;
inline constexpr uint8_t kArchiveHeaderType = 0x73;
inline constexpr uint32_t kArchiveFlagsOffset = 3;
inline constexpr uint32_t kArchiveHeaderSizeOffset = 5;
inline constexpr uint16_t kArchiveSolid = 0x0008;

// Every later block is read as a 32-byte header of the file-header shape.
inline constexpr uint32_t kBlockHeaderSize = 32;
inline constexpr uint8_t kFileBlock = 0x74;
inline constexpr uint8_t kSubBlock = 0x77;
inline constexpr uint8_t kEndBlock = 0x7B;

inline constexpr uint32_t kCrcOffset = 0;
inline constexpr uint32_t kTypeOffset = 2;
inline constexpr uint32_t kFlagsOffset = 3;
inline constexpr uint32_t kHeaderSizeOffset = 5;
inline constexpr uint32_t kPackedSizeOffset = 7;
inline constexpr uint32_t kUnpackedSizeOffset = 11;
inline constexpr uint32_t kHostOffset = 15;
inline constexpr uint32_t kFileCrcOffset = 16;
inline constexpr uint32_t kTimeOffset = 20;
inline constexpr uint32_t kUnpackVersionOffset = 24;
inline constexpr uint32_t kMethodOffset = 25;
inline constexpr uint32_t kNameSizeOffset = 26;
inline constexpr uint32_t kAttributesOffset = 28;
inline constexpr uint32_t kNameOffset = 32;

inline constexpr uint16_t kHasDataArea = 0x8000;
inline constexpr uint16_t kEncrypted = 0x0004;
inline constexpr uint16_t kDirectoryWindow = 0x00E0; // the dictionary bits all set mark a folder entry
inline constexpr uint8_t kMethodStored = 0x30;
inline constexpr uint8_t kMinUnpackVersion = 13;
inline constexpr uint8_t kMaxUnpackVersion = 20;
inline constexpr uint32_t kFolderAttribute = 0x10;
inline constexpr uint32_t kMaxNameSize = 259;

inline uint16_t ReadU16(const uint8_t* p)
{
	return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t ReadU32(const uint8_t* p)
{
	return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
	       (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
} // namespace RarLayout
