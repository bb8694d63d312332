#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The result of decoding one picture, 8 bits per channel, rows packed without padding.
// TGA rows keep the file's order; JPEG rows come top row first; BMP rows bottom row first, as
// stored. `channels` is 3 (RGB) or 4 (RGBA); for JPEG it is the row length in bytes instead.
struct DecodedImage
{
	int channels = 0;
	int width = 0;
	int height = 0;
	std::vector<uint8_t> pixels;
};

// Every decoder reads only inside `bytes` and writes only inside its own output, whatever the
// bytes claim; false means no usable picture.
bool DecodeTga(std::span<const uint8_t> bytes, DecodedImage& image);
bool DecodeBmp(std::span<const uint8_t> bytes, DecodedImage& image);
// On failure `error` holds the JPEG library's message.
bool DecodeJpeg(std::span<const uint8_t> bytes, DecodedImage& image, std::string& error);
