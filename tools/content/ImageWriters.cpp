#include "tools/content/ImageWriters.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

namespace fs = std::filesystem;

namespace
{
void Put16(std::vector<uint8_t>& out, uint32_t v)
{
	out.push_back(static_cast<uint8_t>(v));
	out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
	Put16(out, v & 0xFFFF);
	Put16(out, v >> 16);
}

// One pixel in the file's channel order: B, G, R(, A).
void AppendBgra(std::vector<uint8_t>& out, const uint8_t* rgba, int channels)
{
	out.push_back(rgba[2]);
	out.push_back(rgba[1]);
	out.push_back(rgba[0]);
	if (channels == 4)
	{
		out.push_back(rgba[3]);
	}
}

bool SamePixel(const uint8_t* a, const uint8_t* b, int channels)
{
	for (int c = 0; c < channels; ++c)
	{
		if (a[c] != b[c])
		{
			return false;
		}
	}
	return true;
}

// Run-length packets never cross a row end, so readers that decode row by row stay in step.
void AppendRunLengthRow(std::vector<uint8_t>& out, const Image& image, int y, int channels)
{
	int x = 0;
	while (x < image.width)
	{
		int run = 1;
		while (x + run < image.width && run < 128 &&
		       SamePixel(image.Pixel(x, y), image.Pixel(x + run, y), channels))
		{
			++run;
		}
		if (run > 1)
		{
			out.push_back(static_cast<uint8_t>(127 + run));
			AppendBgra(out, image.Pixel(x, y), channels);
			x += run;
			continue;
		}
		int literal = 1;
		while (x + literal < image.width && literal < 128 &&
		       !SamePixel(image.Pixel(x + literal - 1, y), image.Pixel(x + literal, y), channels))
		{
			++literal;
		}
		out.push_back(static_cast<uint8_t>(literal - 1));
		for (int i = 0; i < literal; ++i)
		{
			AppendBgra(out, image.Pixel(x + i, y), channels);
		}
		x += literal;
	}
}
} // namespace

void WriteFileBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
	fs::create_directories(path.parent_path());
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
	if (!out)
	{
		throw std::runtime_error("cannot write " + path.string());
	}
}

void WriteTga(const fs::path& path, const Image& image, int bitsPerPixel, TgaKind kind)
{
	const int channels = bitsPerPixel / 8;
	std::vector<uint8_t> out;
	out.push_back(0);                                   // no identification field
	out.push_back(0);                                   // no colour map
	out.push_back(kind == TgaKind::RunLength ? 10 : 2); // true colour
	out.insert(out.end(), 5, 0);                        // colour-map description
	Put16(out, 0);                                      // x origin
	Put16(out, 0);                                      // y origin
	Put16(out, static_cast<uint32_t>(image.width));
	Put16(out, static_cast<uint32_t>(image.height));
	out.push_back(static_cast<uint8_t>(bitsPerPixel));
	out.push_back(static_cast<uint8_t>(channels == 4 ? 8 : 0)); // bottom-left origin, alpha bits
	for (int y = image.height - 1; y >= 0; --y)
	{
		if (kind == TgaKind::RunLength)
		{
			AppendRunLengthRow(out, image, y, channels);
			continue;
		}
		for (int x = 0; x < image.width; ++x)
		{
			AppendBgra(out, image.Pixel(x, y), channels);
		}
	}
	WriteFileBytes(path, out);
}

void WriteBmp(const fs::path& path, const Image& image)
{
	const uint32_t rowBytes = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
	const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(image.height);
	std::vector<uint8_t> out;
	out.push_back('B');
	out.push_back('M');
	Put32(out, 14 + 40 + pixelBytes);
	Put32(out, 0);
	Put32(out, 14 + 40);
	Put32(out, 40);
	Put32(out, static_cast<uint32_t>(image.width));
	Put32(out, static_cast<uint32_t>(image.height));
	Put16(out, 1);
	Put16(out, 24);
	Put32(out, 0);
	Put32(out, pixelBytes);
	Put32(out, 2835);
	Put32(out, 2835);
	Put32(out, 0);
	Put32(out, 0);
	for (int y = image.height - 1; y >= 0; --y)
	{
		for (int x = 0; x < image.width; ++x)
		{
			AppendBgra(out, image.Pixel(x, y), 3);
		}
		out.insert(out.end(), rowBytes - static_cast<uint32_t>(image.width) * 3, 0);
	}
	WriteFileBytes(path, out);
}

void WriteJpeg(const fs::path& path, const Image& image, int quality)
{
	jpeg_compress_struct info{};
	jpeg_error_mgr errors{};
	info.err = jpeg_std_error(&errors);
	jpeg_create_compress(&info);
	unsigned char* buffer = nullptr;
	unsigned long size = 0;
	jpeg_mem_dest(&info, &buffer, &size);
	info.image_width = static_cast<JDIMENSION>(image.width);
	info.image_height = static_cast<JDIMENSION>(image.height);
	info.input_components = 3;
	info.in_color_space = JCS_RGB;
	jpeg_set_defaults(&info);
	jpeg_set_quality(&info, quality, TRUE);
	jpeg_start_compress(&info, TRUE);
	std::vector<uint8_t> row(static_cast<size_t>(image.width) * 3);
	while (info.next_scanline < info.image_height)
	{
		for (int x = 0; x < image.width; ++x)
		{
			const uint8_t* p = image.Pixel(x, static_cast<int>(info.next_scanline));
			row[x * 3] = p[0];
			row[x * 3 + 1] = p[1];
			row[x * 3 + 2] = p[2];
		}
		JSAMPROW rows[1] = {row.data()};
		jpeg_write_scanlines(&info, rows, 1);
	}
	jpeg_finish_compress(&info);
	jpeg_destroy_compress(&info);
	WriteFileBytes(path, std::vector<uint8_t>(buffer, buffer + size));
	free(buffer);
}

void WritePng(const fs::path& path, const Image& image)
{
	fs::create_directories(path.parent_path());
	std::FILE* file = std::fopen(path.c_str(), "wb");
	if (!file)
	{
		throw std::runtime_error("cannot write " + path.string());
	}
	png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
	png_infop info = png_create_info_struct(png);
	if (setjmp(png_jmpbuf(png)))
	{
		png_destroy_write_struct(&png, &info);
		std::fclose(file);
		throw std::runtime_error("libpng failed on " + path.string());
	}
	png_init_io(png, file);
	png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
	             PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
	             PNG_FILTER_TYPE_DEFAULT);
	png_write_info(png, info);
	for (int y = 0; y < image.height; ++y)
	{
		png_write_row(png, image.Pixel(0, y));
	}
	png_write_end(png, info);
	png_destroy_write_struct(&png, &info);
	std::fclose(file);
}
