#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The program's own resources, linked into the executable at build time. A resource is found
// by its type name (compared without regard to case, as the original resource compiler did)
// and its numeric id; the bytes are immutable and live for the whole run.

struct ResourceEntry
{
	const char* type;
	int id;
	const uint8_t* begin;
	const uint8_t* end;
};

namespace Resources
{
// Empty span when no resource of that type and id is linked in.
std::span<const uint8_t> Find(std::string_view type, int id);
} // namespace Resources

// Resource type names and ids that the program asks for.
namespace ResourceId
{
inline constexpr std::string_view kMediaData = "MediaData";
inline constexpr std::string_view kCustomData = "CustomData";
inline constexpr std::string_view kBitmap = "BITMAP";
inline constexpr std::string_view kIcon = "ICON";
inline constexpr std::string_view kAudioModule = "BASS";

inline constexpr int kPrimaryArchive = 148;
inline constexpr int kSecondaryArchive = 150;
inline constexpr int kLabelText = 151;
inline constexpr int kDefaultsText = 153;
inline constexpr int kLoaderRightDown = 154;
inline constexpr int kLoaderLeftDown = 155;
inline constexpr int kLoaderLeftUp = 156;
inline constexpr int kLoaderRightUp = 157;
inline constexpr int kLoadingPicture = 159;
inline constexpr int kAboutBitmap = 142;
inline constexpr int kOptionsBitmap = 143;
inline constexpr int kPreviewBitmap = 144;
inline constexpr int kProgramIcon = 135;
inline constexpr int kAudioModuleId = 138;
} // namespace ResourceId
