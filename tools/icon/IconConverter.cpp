// gh_icon: turns the program's icon picture into a square PNG file for the desktop's icon theme.
//
//   gh_icon <icon.tga> <size> <out.png>
//
// The picture is scaled to size × size by averaging the source pixels under each target pixel
// (weighted by their alpha, so transparent pixels lend no colour to the edges) and written as
// 8-bit RGBA. The same input gives the same bytes on every run.

#include "render/ImageDecoders.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
constexpr size_t kTgaDescriptorOffset = 17;
constexpr uint8_t kTgaTopLeftOrigin = 0x20;
constexpr int kMaxIconSize = 1024;

struct RgbaPicture
{
	int width = 0;
	int height = 0;
	std::vector<uint8_t> pixels; // RGBA, top row first
};

bool ReadFile(const char* path, std::vector<uint8_t>& bytes)
{
	std::ifstream in(path, std::ios::binary);
	bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
	return static_cast<bool>(in) || in.eof();
}

// The decoder keeps the file's row order; most TGA files store the bottom row first.
bool LoadTga(const std::vector<uint8_t>& bytes, RgbaPicture& picture)
{
	DecodedImage image;
	if (!DecodeTga(bytes, image))
	{
		return false;
	}
	const bool topDown = (bytes[kTgaDescriptorOffset] & kTgaTopLeftOrigin) != 0;
	picture.width = image.width;
	picture.height = image.height;
	picture.pixels.resize(static_cast<size_t>(image.width) * image.height * 4);
	for (int y = 0; y < image.height; ++y)
	{
		const int sourceRow = topDown ? y : image.height - 1 - y;
		for (int x = 0; x < image.width; ++x)
		{
			const uint8_t* in =
			    &image.pixels[(static_cast<size_t>(sourceRow) * image.width + x) * image.channels];
			uint8_t* out = &picture.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
			std::copy(in, in + 3, out);
			out[3] = image.channels == 4 ? in[3] : 255;
		}
	}
	return true;
}

// The source pixels [first, last) under target pixel `index` of `count` along a side of `length`.
void SourceSpan(int index, int count, int length, int& first, int& last)
{
	first = static_cast<int>(static_cast<int64_t>(index) * length / count);
	last = static_cast<int>(static_cast<int64_t>(index + 1) * length / count);
	last = std::max(last, first + 1);
}

void AveragePixel(const RgbaPicture& source, int x0, int x1, int y0, int y1, uint8_t* out)
{
	uint64_t weighted[3] = {};
	uint64_t alphaSum = 0;
	for (int y = y0; y < y1; ++y)
	{
		for (int x = x0; x < x1; ++x)
		{
			const uint8_t* p = &source.pixels[(static_cast<size_t>(y) * source.width + x) * 4];
			for (int c = 0; c < 3; ++c)
			{
				weighted[c] += static_cast<uint64_t>(p[c]) * p[3];
			}
			alphaSum += p[3];
		}
	}
	const uint64_t area = static_cast<uint64_t>(x1 - x0) * (y1 - y0);
	for (int c = 0; c < 3; ++c)
	{
		out[c] = alphaSum == 0 ? 0 : static_cast<uint8_t>((weighted[c] + alphaSum / 2) / alphaSum);
	}
	out[3] = static_cast<uint8_t>((alphaSum + area / 2) / area);
}

RgbaPicture Scale(const RgbaPicture& source, int size)
{
	RgbaPicture scaled;
	scaled.width = scaled.height = size;
	scaled.pixels.resize(static_cast<size_t>(size) * size * 4);
	for (int y = 0; y < size; ++y)
	{
		int y0 = 0;
		int y1 = 0;
		SourceSpan(y, size, source.height, y0, y1);
		for (int x = 0; x < size; ++x)
		{
			int x0 = 0;
			int x1 = 0;
			SourceSpan(x, size, source.width, x0, x1);
			AveragePixel(source, x0, x1, y0, y1, &scaled.pixels[(static_cast<size_t>(y) * size + x) * 4]);
		}
	}
	return scaled;
}

bool WritePng(const char* path, const RgbaPicture& picture)
{
	png_image image{};
	image.version = PNG_IMAGE_VERSION;
	image.width = static_cast<png_uint_32>(picture.width);
	image.height = static_cast<png_uint_32>(picture.height);
	image.format = PNG_FORMAT_RGBA;
	const bool written = png_image_write_to_file(&image, path, 0, picture.pixels.data(), 0, nullptr) != 0;
	png_image_free(&image);
	return written;
}

bool ParseSize(const std::string& text, int& size)
{
	try
	{
		size_t used = 0;
		size = std::stoi(text, &used);
		return used == text.size() && size > 0 && size <= kMaxIconSize;
	}
	catch (const std::exception&)
	{
		return false;
	}
}
} // namespace

int main(int argc, char** argv)
{
	int size = 0;
	if (argc != 4 || !ParseSize(argv[2], size))
	{
		std::fprintf(stderr, "usage: gh_icon <icon.tga> <size 1..%d> <out.png>\n", kMaxIconSize);
		return 2;
	}
	std::vector<uint8_t> bytes;
	RgbaPicture picture;
	if (!ReadFile(argv[1], bytes) || !LoadTga(bytes, picture))
	{
		std::fprintf(stderr, "gh_icon: %s is no readable TGA picture\n", argv[1]);
		return 1;
	}
	if (!WritePng(argv[3], Scale(picture, size)))
	{
		std::fprintf(stderr, "gh_icon: cannot write %s\n", argv[3]);
		return 1;
	}
	return 0;
}
