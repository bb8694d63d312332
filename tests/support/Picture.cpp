#include "tests/support/Picture.h"

#include <png.h>

#include <algorithm>

std::vector<int> RgbImage::At(int x, int y) const
{
	const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
	return {p[0], p[1], p[2]};
}

std::vector<double> RgbImage::MeanAround(int x, int y, int r) const
{
	std::vector<double> sum(3, 0.0);
	int count = 0;
	for (int py = std::max(0, y - r); py <= std::min(height - 1, y + r); ++py)
	{
		for (int px = std::max(0, x - r); px <= std::min(width - 1, x + r); ++px)
		{
			const auto c = At(px, py);
			for (int i = 0; i < 3; ++i)
			{
				sum[i] += c[i];
			}
			++count;
		}
	}
	for (double& c : sum)
	{
		c /= count;
	}
	return sum;
}

RgbImage ReadPng(const std::filesystem::path& path)
{
	png_image image{};
	image.version = PNG_IMAGE_VERSION;
	RgbImage picture;
	if (!png_image_begin_read_from_file(&image, path.c_str()))
	{
		return picture;
	}
	image.format = PNG_FORMAT_RGB;
	picture.width = static_cast<int>(image.width);
	picture.height = static_cast<int>(image.height);
	picture.rgb.resize(PNG_IMAGE_SIZE(image));
	png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr);
	return picture;
}
