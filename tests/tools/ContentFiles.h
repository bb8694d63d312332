#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// Small readers for the tests of the built content: the packed archives and the pictures in
// them. They check what the engine relies on (header fields, pixel data inside the file).
// TODO(lead): once render/ImageDecoders is merged, check pictures with DecodeTga/DecodeBmp/
// DecodeJpeg instead of these header checks.

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path);

// Entries of a stored RAR 2.0 archive by name, with "/" separators; folders map to empty data
// and are listed in `folders`.
struct ArchiveContents
{
	std::map<std::string, std::vector<uint8_t>> files;
	std::vector<std::string> folders;
	bool valid = false;
};
ArchiveContents ReadArchive(const std::vector<uint8_t>& bytes);

struct CheckedPicture
{
	bool valid = false;
	std::string problem;
	int width = 0;
	int height = 0;
	int bitsPerPixel = 0;
	int imageType = 0;
	std::vector<uint8_t> pixels; // as stored: B, G, R(, A), file row order
};
CheckedPicture CheckTga(const std::vector<uint8_t>& bytes);
CheckedPicture CheckBmp(const std::vector<uint8_t>& bytes);
CheckedPicture CheckJpeg(const std::vector<uint8_t>& bytes);
