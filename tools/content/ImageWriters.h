#pragma once

#include "tools/content/Image.h"

#include <filesystem>

// Writers for the picture formats the engine reads. Each creates the folders it needs.
enum class TgaKind
{
	Uncompressed,
	RunLength
};

// Truevision TGA, true colour, 24 bits (alpha dropped) or 32 bits. Rows are written top row
// first, which is the order the engine's uploads expect of its pictures.
void WriteTga(const std::filesystem::path& path, const Image& image, int bitsPerPixel, TgaKind kind);

// Windows BMP, uncompressed 24 bits, bottom row first as the format prescribes.
void WriteBmp(const std::filesystem::path& path, const Image& image);

// Baseline JPEG through libjpeg, top row first; quality 0 to 100.
void WriteJpeg(const std::filesystem::path& path, const Image& image, int quality);
