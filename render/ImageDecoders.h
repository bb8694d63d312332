#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The result of decoding one picture, 8 bits per channel, rows packed without padding.
//
// Row order: TGA rows keep the file's order. BMP rows come bottom row first whatever the file's
// own order, which is the order OpenGL takes for a texture (the first row is t = 0) and the order
// the original BMP loader delivered; the preview turns them over for the screen. JPEG rows come
// top row first.
//
// `channels` is 3 (RGB) or 4 (RGBA) for TGA and BMP. For JPEG it is the row length in bytes
// (width × 3: every JPEG is delivered as RGB, grey ones included, since the texture upload reads
// three bytes a pixel).
struct DecodedImage
{
	int channels = 0;
	int width = 0;
	int height = 0;
	std::vector<uint8_t> pixels;
};

// Every decoder reads only inside `bytes` and writes only inside its own output, whatever the
// bytes claim; false means no usable picture, and `image` is then left empty.
bool DecodeTga(std::span<const uint8_t> bytes, DecodedImage& image);
bool DecodeBmp(std::span<const uint8_t> bytes, DecodedImage& image);
// On failure `error` holds the JPEG library's message.
bool DecodeJpeg(std::span<const uint8_t> bytes, DecodedImage& image, std::string& error);
