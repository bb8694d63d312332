#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// An 8-bit RGB picture read from a PNG file, top row first.
struct RgbImage
{
	int width = 0;
	int height = 0;
	std::vector<uint8_t> rgb;

	// (x, y) from the top-left corner.
	std::vector<int> At(int x, int y) const;
	// The mean colour of the square of half-size r around (x, y).
	std::vector<double> MeanAround(int x, int y, int r) const;
};

// An empty picture when the file cannot be read.
RgbImage ReadPng(const std::filesystem::path& path);
