#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An 8-bit RGBA picture, top row first, as the content builder draws it.
struct Image
{
	int width = 0;
	int height = 0;
	std::vector<uint8_t> rgba;

	Image() = default;
	Image(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0) {}

	uint8_t* Pixel(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
	const uint8_t* Pixel(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
	void Fill(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
	{
		for (size_t i = 0; i < rgba.size(); i += 4)
		{
			rgba[i] = r;
			rgba[i + 1] = g;
			rgba[i + 2] = b;
			rgba[i + 3] = a;
		}
	}
};
