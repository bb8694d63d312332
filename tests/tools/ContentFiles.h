#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// The built content as the engine reads it: entries come out of the packed archives through the
// engine's archive reader, pictures through its decoders.

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path);

// Every entry of one packed archive by name ("/" separators), listed from its staging folder and
// extracted from the archive; folders are listed in `folders`. `valid` is false when any entry
// cannot be extracted.
struct ArchiveContents
{
	std::map<std::string, std::vector<uint8_t>> files;
	std::vector<std::string> folders;
	bool valid = false;
};
ArchiveContents ReadArchive(const std::filesystem::path& archive, const std::filesystem::path& stagingFolder);

struct CheckedPicture
{
	bool valid = false;
	std::string problem;
	int width = 0;
	int height = 0;
	int bitsPerPixel = 0;
	std::vector<uint8_t> pixels; // as decoded: R, G, B(, A), rows in the decoder's order
};
CheckedPicture CheckTga(const std::vector<uint8_t>& bytes);
CheckedPicture CheckBmp(const std::vector<uint8_t>& bytes);
CheckedPicture CheckJpeg(const std::vector<uint8_t>& bytes);
