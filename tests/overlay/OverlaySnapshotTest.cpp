// Whole saver runs at fixed local times: the overlay's pictures must show where they belong.
#include "render/ImageDecoders.h"
#include "tests/support/Files.h"
#include "tests/support/Picture.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
// Pictures are compared as grids of mean brightness, which steps over filtering differences.
constexpr int kCells = 8;

using Cells = std::vector<double>;

// The overlay picture as the content builder wrote it, premultiplied by its alpha as it shows
// over the black of an empty room; cells run from the top row down.
Cells PictureCells(const std::string& name)
{
	const auto path =
	    std::filesystem::path(BinaryDir()) / "content" / "secondary" / "Textures" / (name + ".tga");
	std::ifstream file(path, std::ios::binary);
	const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
	DecodedImage image;
	EXPECT_TRUE(DecodeTga(bytes, image)) << path;
	EXPECT_EQ(image.channels, 4);
	// Rows come in the file's order: bottom first unless the descriptor says otherwise.
	const bool topFirst = bytes.size() > 17 && (bytes[17] & 0x20) != 0;
	Cells cells(kCells * kCells, 0.0);
	for (int y = 0; y < image.height; ++y)
	{
		const int row = topFirst ? y : image.height - 1 - y;
		for (int x = 0; x < image.width; ++x)
		{
			const uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
			const double brightness = (p[0] + p[1] + p[2]) / 3.0 * p[3] / 255.0;
			cells[(row * kCells / image.height) * kCells + x * kCells / image.width] += brightness;
		}
	}
	for (double& cell : cells)
	{
		cell /= static_cast<double>(image.width * image.height) / (kCells * kCells);
	}
	return cells;
}

// The screen rectangle of centre (x, y) and half-size (w, h) in the overlay's -1 ... +1 space.
Cells ScreenCells(const RgbImage& shot, float x, float y, float w, float h)
{
	const int left = static_cast<int>(std::lround((x - w + 1.0f) * 0.5f * shot.width));
	const int right = static_cast<int>(std::lround((x + w + 1.0f) * 0.5f * shot.width));
	const int top = static_cast<int>(std::lround((1.0f - (y + h)) * 0.5f * shot.height));
	const int bottom = static_cast<int>(std::lround((1.0f - (y - h)) * 0.5f * shot.height));
	Cells cells(kCells * kCells, 0.0);
	std::vector<int> counts(kCells * kCells, 0);
	for (int py = std::max(top, 0); py < std::min(bottom, shot.height); ++py)
	{
		for (int px = std::max(left, 0); px < std::min(right, shot.width); ++px)
		{
			const auto c = shot.At(px, py);
			const int cell =
			    ((py - top) * kCells / (bottom - top)) * kCells + (px - left) * kCells / (right - left);
			cells[cell] += (c[0] + c[1] + c[2]) / 3.0;
			++counts[cell];
		}
	}
	for (size_t i = 0; i < cells.size(); ++i)
	{
		cells[i] /= std::max(counts[i], 1);
	}
	return cells;
}

double Difference(const Cells& a, const Cells& b)
{
	double sum = 0.0;
	for (size_t i = 0; i < a.size(); ++i)
	{
		sum += std::fabs(a[i] - b[i]);
	}
	return sum / static_cast<double>(a.size());
}

// Of the candidate pictures, the one that the screen rectangle resembles most.
std::string BestMatch(const RgbImage& shot, float x, float y, float w, float h,
                      const std::vector<std::string>& names)
{
	const Cells screen = ScreenCells(shot, x, y, w, h);
	std::string best;
	double bestDifference = 1e9;
	for (const std::string& name : names)
	{
		const double difference = Difference(screen, PictureCells(name));
		if (difference < bestDifference)
		{
			bestDifference = difference;
			best = name;
		}
	}
	return best;
}

// Below the floor, looking down, the eye stands in no zone of the room and sees nothing: the
// overlay then shows over black, however the room is lit.
constexpr char kViewOfNothing[] = "350,275,-50,0,-80,40";

// A snapshot after the fade-in from black has cleared, with an empty view behind the overlay.
RgbImage SnapshotAt(const std::string& when)
{
	XvfbServer xvfb(kWidth, kHeight);
	TempDir dir;
	const auto shot = dir.Path() / "frame.png";
	const auto result = RunProcess(
	    {ProgramPath(), "--snapshot", shot.string(), "--frames", "30", "--step", "5", "--at", when, "--size",
	     std::to_string(kWidth) + "x" + std::to_string(kHeight), "--camera", kViewOfNothing},
	    {{"DISPLAY", xvfb.Display()},
	     {"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
	     {"GLIMMERHEARTH_NONINTERACTIVE", "1"}});
	EXPECT_FALSE(result.timedOut) << result.output;
	return ReadPng(shot);
}

const std::vector<std::string> kDigits = {"tex_sym_0", "tex_sym_1", "tex_sym_2", "tex_sym_3", "tex_sym_4",
                                          "tex_sym_5", "tex_sym_6", "tex_sym_7", "tex_sym_8", "tex_sym_9"};
} // namespace

TEST(OverlaySnapshot, CountdownDigitsStandInTheirCells)
{
	const RgbImage shot = SnapshotAt("2026-12-15 08:05:09");
	ASSERT_EQ(shot.width, kWidth);
	// "09  15   54  51" from x = -0.94, one cell every 0.0425.
	const std::string text = "09  15   54  51";
	for (size_t i = 0; i < text.size(); ++i)
	{
		if (text[i] == ' ')
		{
			continue;
		}
		const float x = -0.94f + 0.0425f * static_cast<float>(i);
		EXPECT_EQ(BestMatch(shot, x, -0.87f, 0.04f, 0.053f, kDigits), std::string("tex_sym_") + text[i])
		    << "character " << i;
	}
	EXPECT_EQ(BestMatch(shot, -0.59f, -0.78f, 0.212f, 0.0265f, {"tex_countdown", "tex_countdown2"}),
	          "tex_countdown");
	// The clock text "8:05:09 a.m." from x = 0.5.
	EXPECT_EQ(BestMatch(shot, 0.5f, -0.92f, 0.04f, 0.053f, kDigits), "tex_sym_8");
	EXPECT_EQ(BestMatch(shot, 0.5f + 2 * 0.0425f, -0.92f, 0.04f, 0.053f, kDigits), "tex_sym_0");
	EXPECT_EQ(BestMatch(shot, 0.5f + 3 * 0.0425f, -0.92f, 0.04f, 0.053f, kDigits), "tex_sym_5");
}

TEST(OverlaySnapshot, ChristmasDayShowsTheGreeting)
{
	const RgbImage shot = SnapshotAt("2026-12-25 10:00:00");
	ASSERT_EQ(shot.width, kWidth);
	EXPECT_EQ(BestMatch(shot, -0.69f, -0.84f, 0.212f, 0.106f, {"tex_mc", "tex_hny"}), "tex_mc");
	// No countdown heading above it.
	const Cells heading = ScreenCells(shot, -0.59f, -0.72f, 0.1f, 0.01f);
	EXPECT_LT(Difference(heading, Cells(heading.size(), 0.0)), 40.0);
}

TEST(OverlaySnapshot, December27CountsDownToTheNewYear)
{
	const RgbImage shot = SnapshotAt("2026-12-27 00:00:00");
	ASSERT_EQ(shot.width, kWidth);
	EXPECT_EQ(BestMatch(shot, -0.59f, -0.78f, 0.212f, 0.0265f, {"tex_countdown", "tex_countdown2"}),
	          "tex_countdown2");
	// "04  23   59  60".
	EXPECT_EQ(BestMatch(shot, -0.94f + 0.0425f, -0.87f, 0.04f, 0.053f, kDigits), "tex_sym_4");
	EXPECT_EQ(BestMatch(shot, -0.94f + 14 * 0.0425f, -0.87f, 0.04f, 0.053f, kDigits), "tex_sym_0");
}
