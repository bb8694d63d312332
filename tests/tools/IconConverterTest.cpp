// The icon converter as built: TGA in, PNG of the theme's size out, read back with libpng.
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <png.h>

#include <fstream>

namespace fs = std::filesystem;

namespace
{
std::string IconConverter()
{
	return BinaryDir() + "/tools/icon/gh_icon";
}

struct Rgba
{
	uint8_t r, g, b, a;
	bool operator==(const Rgba&) const = default;
};

// An uncompressed 32-bit TGA; `pixels` are given top row first and stored in the file's order.
void WriteTga(const fs::path& path, int width, int height, const std::vector<Rgba>& pixels, bool topDown)
{
	std::string bytes(18, '\0');
	bytes[2] = 2;
	bytes[12] = static_cast<char>(width);
	bytes[14] = static_cast<char>(height);
	bytes[16] = 32;
	bytes[17] = static_cast<char>(8 | (topDown ? 0x20 : 0));
	for (int row = 0; row < height; ++row)
	{
		const int y = topDown ? row : height - 1 - row;
		for (int x = 0; x < width; ++x)
		{
			const Rgba& p = pixels[static_cast<size_t>(y * width + x)];
			bytes += {static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r),
			          static_cast<char>(p.a)};
		}
	}
	std::ofstream(path, std::ios::binary) << bytes;
}

// The picture as RGBA, top row first; empty when the file is no PNG.
std::vector<Rgba> ReadPng(const fs::path& path, int& width, int& height)
{
	png_image image{};
	image.version = PNG_IMAGE_VERSION;
	std::vector<Rgba> pixels;
	if (png_image_begin_read_from_file(&image, path.c_str()) != 0)
	{
		image.format = PNG_FORMAT_RGBA;
		pixels.resize(static_cast<size_t>(image.width) * image.height);
		png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
	}
	width = static_cast<int>(image.width);
	height = static_cast<int>(image.height);
	png_image_free(&image);
	return pixels;
}

const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};
const Rgba kBlue{0, 0, 255, 255};
const Rgba kClear{0, 0, 0, 0};

// Both row orders of TGA come out the right way up, and an enlargement repeats each pixel.
TEST(IconConverter, KeepsTheTopRowOnTopAndEnlargesByRepeating)
{
	for (const bool topDown : {false, true})
	{
		TempDir dir;
		WriteTga(dir.Path() / "icon.tga", 2, 2, {kRed, kGreen, kBlue, kClear}, topDown);
		const auto result = RunProcess(
		    {IconConverter(), (dir.Path() / "icon.tga").string(), "4", (dir.Path() / "icon.png").string()});
		ASSERT_EQ(result.exitCode, 0) << result.output;
		int width = 0;
		int height = 0;
		const std::vector<Rgba> png = ReadPng(dir.Path() / "icon.png", width, height);
		ASSERT_EQ(width, 4);
		ASSERT_EQ(height, 4);
		EXPECT_EQ(png[0], kRed) << "top-down " << topDown;
		EXPECT_EQ(png[3], kGreen);
		EXPECT_EQ(png[12], kBlue);
		EXPECT_EQ(png[15].a, 0);
	}
}

// A reduction averages colour by alpha: a transparent neighbour thins the pixel but does not darken it.
TEST(IconConverter, ReductionWeighsColourByAlpha)
{
	TempDir dir;
	WriteTga(dir.Path() / "icon.tga", 2, 2, {kRed, kClear, kClear, kRed}, false);
	const auto result = RunProcess(
	    {IconConverter(), (dir.Path() / "icon.tga").string(), "1", (dir.Path() / "icon.png").string()});
	ASSERT_EQ(result.exitCode, 0) << result.output;
	int width = 0;
	int height = 0;
	const std::vector<Rgba> png = ReadPng(dir.Path() / "icon.png", width, height);
	ASSERT_EQ(png.size(), 1u);
	EXPECT_EQ(png[0], (Rgba{255, 0, 0, 128}));
}

TEST(IconConverter, RefusesBadInputWithoutWritingAFile)
{
	TempDir dir;
	std::ofstream(dir.Path() / "broken.tga", std::ios::binary) << "not a picture";
	WriteTga(dir.Path() / "icon.tga", 1, 1, {kRed}, false);
	const std::string out = (dir.Path() / "icon.png").string();
	EXPECT_EQ(RunProcess({IconConverter(), (dir.Path() / "broken.tga").string(), "64", out}).exitCode, 1);
	EXPECT_EQ(RunProcess({IconConverter(), (dir.Path() / "missing.tga").string(), "64", out}).exitCode, 1);
	for (const char* size : {"0", "-3", "64px", "100000"})
	{
		EXPECT_EQ(RunProcess({IconConverter(), (dir.Path() / "icon.tga").string(), size, out}).exitCode, 2)
		    << size;
	}
	EXPECT_FALSE(fs::exists(out));
}
} // namespace
