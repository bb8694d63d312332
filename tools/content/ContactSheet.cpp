// The contact sheet: every interface picture laid out twice, on a dark and on a light panel,
// each named underneath, so the whole set can be judged at a glance. Additive sprites are shown
// added to the dark panel, the way the room shows them.

#include "tools/content/ContentParts.h"
#include "tools/content/Fonts.h"

#include <algorithm>

namespace
{
constexpr int kSheetWidth = 1200;
constexpr int kMargin = 16;
constexpr int kLabelHeight = 16;

Canvas FromImage(const Image& image)
{
	Canvas canvas(image.width, image.height);
	for (int y = 0; y < image.height; ++y)
	{
		for (int x = 0; x < image.width; ++x)
		{
			const uint8_t* p = image.Pixel(x, y);
			canvas.Over(x, y, {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f});
		}
	}
	return canvas;
}

// Small pictures are enlarged (pixel for pixel) so they can be judged; the big one is halved.
Canvas ShownSize(const SheetEntry& entry)
{
	const Image& image = entry.image;
	if (entry.look == SheetLook::Swatch)
	{
		Canvas swatch(48, 48);
		const uint8_t* p = image.Pixel(0, 0);
		swatch.Fill({p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f});
		return swatch;
	}
	const Canvas full = FromImage(image);
	if (image.width > 600)
	{
		return full.Downscaled(2);
	}
	if (std::max(image.width, image.height) > 64)
	{
		return full;
	}
	Canvas doubled(image.width * 2, image.height * 2);
	for (int y = 0; y < doubled.Height(); ++y)
	{
		for (int x = 0; x < doubled.Width(); ++x)
		{
			doubled.Over(x, y, full.Get(x / 2, y / 2));
		}
	}
	return doubled;
}

struct Placed
{
	int x = 0;
	int y = 0;
	Canvas shown;
	std::string label;
	SheetLook look = SheetLook::Picture;
};

// Rows from left to right; returns the height the panel needs.
int LayOut(std::vector<Placed>& placed)
{
	int x = kMargin;
	int y = kMargin;
	int rowHeight = 0;
	for (Placed& item : placed)
	{
		const int width = std::max(item.shown.Width(), 90);
		if (x + width > kSheetWidth - kMargin && x > kMargin)
		{
			x = kMargin;
			y += rowHeight + kLabelHeight + kMargin;
			rowHeight = 0;
		}
		item.x = x;
		item.y = y;
		x += width + kMargin;
		rowHeight = std::max(rowHeight, item.shown.Height());
	}
	return y + rowHeight + kLabelHeight + kMargin;
}

void PaintPanel(Canvas& sheet, int top, int height, const std::vector<Placed>& placed, bool dark)
{
	const Color background = dark ? Hex(0x14161E) : Hex(0xE6E4DE);
	for (int y = top; y < top + height; ++y)
	{
		for (int x = 0; x < sheet.Width(); ++x)
		{
			sheet.Over(x, y, background);
		}
	}
	for (const Placed& item : placed)
	{
		if (dark && item.look == SheetLook::Additive)
		{
			for (int y = 0; y < item.shown.Height(); ++y)
			{
				for (int x = 0; x < item.shown.Width(); ++x)
				{
					const Color c = item.shown.Get(x, y);
					sheet.Add(item.x + x, top + item.y + y, {c.r, c.g, c.b, 1.0f}, c.a);
				}
			}
		}
		else
		{
			sheet.Draw(item.shown, item.x, top + item.y);
		}
		const TextInk label = Fonts::Sans().Render(item.label, 10.0f, 1.0f, 0);
		sheet.PaintMask(label.mask, item.x, top + item.y + item.shown.Height() + 4,
		                dark ? Hex(0xB0B4C0) : Hex(0x404048));
	}
}
} // namespace

void WriteContactSheet(const std::vector<SheetEntry>& pictures, const std::filesystem::path& path)
{
	std::vector<Placed> placed;
	for (const SheetEntry& entry : pictures)
	{
		const size_t slash = entry.name.find_last_of('/');
		placed.push_back({0, 0, ShownSize(entry), entry.name.substr(slash + 1), entry.look});
	}
	const int panelHeight = LayOut(placed);
	Canvas sheet(kSheetWidth, panelHeight * 2);
	PaintPanel(sheet, 0, panelHeight, placed, true);
	PaintPanel(sheet, panelHeight, panelHeight, placed, false);
	Image image = sheet.ToImage();
	WritePng(path, image);
}
