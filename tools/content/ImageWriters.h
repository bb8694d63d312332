#pragma once

#include "tools/content/Image.h"

#include <cstdint>
#include <filesystem>
#include <vector>

// Writers for the picture formats the engine reads. Each creates the folders it needs.

void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
enum class TgaKind
{
	Uncompressed,
	RunLength
};

// Truevision TGA, true colour, 24 bits (alpha dropped) or 32 bits. Rows are written bottom row
// first (the format's usual origin): the engine uploads rows in file order, so the picture's
// bottom row becomes texture row 0, which every quad of the engine maps to its lower edge.
void WriteTga(const std::filesystem::path& path, const Image& image, int bitsPerPixel, TgaKind kind);

// Windows BMP, uncompressed 24 bits, bottom row first as the format prescribes.
void WriteBmp(const std::filesystem::path& path, const Image& image);

// Baseline JPEG through libjpeg, top row first; quality 0 to 100.
void WriteJpeg(const std::filesystem::path& path, const Image& image, int quality);

// PNG, 8-bit RGBA, for pictures meant for people (the contact sheet).
void WritePng(const std::filesystem::path& path, const Image& image);
