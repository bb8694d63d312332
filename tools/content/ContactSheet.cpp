// The contact sheet: every interface picture laid out twice, on a dark and on a light panel,
// each named underneath, so the whole set can be judged at a glance. Additive sprites are shown
// added to the dark panel, the way the room shows them. Below, small screens show the overlay
// pictures where and how big the saver draws them, stretched as a wide or a square screen does.

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
const Image* FindPicture(const std::vector<SheetEntry>& pictures, const std::string& file)
{
	for (const SheetEntry& entry : pictures)
	{
		if (entry.name == "secondary/Textures/" + file)
		{
			return &entry.image;
		}
	}
	return nullptr;
}

// A small screen of the given size, showing the overlay pictures where the saver puts them:
// quads given by centre and half-size in the −1…+1 space, pictures stretched to fill them.
class ScreenMock
{
public:
	ScreenMock(int width, int height, const std::vector<SheetEntry>& pictures)
	    : screen(width, height), pictures(pictures)
	{
		// A dark room with a bright snowy window behind the lower left, so the lettering is
		// seen over both.
		for (int y = 0; y < height; ++y)
		{
			for (int x = 0; x < width; ++x)
			{
				const float u = static_cast<float>(x) / static_cast<float>(width);
				const float v = static_cast<float>(y) / static_cast<float>(height);
				const bool window = u > 0.08f && u < 0.3f && v > 0.55f;
				screen.Over(x, y,
				            window ? Mix(Hex(0xDCE6F8), Hex(0x9AAAD0), v)
				                   : Mix(Hex(0x3A2418), Hex(0x120A06), v));
			}
		}
	}

	void Quad(float cx, float cy, float halfWidth, float halfHeight, const std::string& file)
	{
		const Image* image = FindPicture(pictures, file);
		if (!image)
		{
			return;
		}
		const float w = static_cast<float>(screen.Width());
		const float h = static_cast<float>(screen.Height());
		const int x0 = static_cast<int>((cx - halfWidth + 1.0f) * 0.5f * w);
		const int x1 = static_cast<int>((cx + halfWidth + 1.0f) * 0.5f * w);
		const int y0 = static_cast<int>((1.0f - (cy + halfHeight)) * 0.5f * h);
		const int y1 = static_cast<int>((1.0f - (cy - halfHeight)) * 0.5f * h);
		for (int y = y0; y < y1; ++y)
		{
			for (int x = x0; x < x1; ++x)
			{
				const int sx = (x - x0) * image->width / std::max(1, x1 - x0);
				const int sy = (y - y0) * image->height / std::max(1, y1 - y0);
				const uint8_t* p = image->Pixel(sx, sy);
				screen.Over(x, y, {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f});
			}
		}
	}

	// The clock text: characters 0.0425 apart, a point tucked 0.03125 to the left.
	void Text(float x, float y, const std::string& text)
	{
		float cursor = 0.0f;
		for (const char c : text)
		{
			const float shift = c == '.' ? 0.03125f : 0.0f;
			const std::string name = c == ':'   ? "colon"
			                         : c == '.' ? "point"
			                         : c == ' ' ? "space"
			                                    : std::string(1, c);
			Quad(x + cursor - shift, y, 0.04f, 0.053f, "tex_sym_" + name + ".tga");
			cursor += 0.0425f - 0.6f * shift;
		}
	}

	const Canvas& Picture() const { return screen; }

private:
	Canvas screen;
	const std::vector<SheetEntry>& pictures;
};

Canvas CountdownMock(int width, int height, const std::vector<SheetEntry>& pictures)
{
	ScreenMock mock(width, height, pictures);
	mock.Text(-0.95f, 0.92f, "60");
	mock.Text(0.5f, -0.92f, "7:05:09 p.m.");
	mock.Text(-0.94f, -0.87f, "16  01   45  09");
	mock.Quad(-0.59f, -0.78f, 0.212f, 0.0265f, "tex_countdown.tga");
	mock.Quad(-0.83f, -0.86f, 0.053f, 0.0265f, "tex_days.tga");
	mock.Quad(-0.65f, -0.86f, 0.053f, 0.0265f, "tex_hour.tga");
	mock.Quad(-0.45f, -0.86f, 0.053f, 0.0265f, "tex_mins.tga");
	mock.Quad(-0.28f, -0.86f, 0.053f, 0.0265f, "tex_secs.tga");
	mock.Quad(-0.59f, -0.93f, 0.106f, 0.0265f, "tex_remaining.tga");
	return mock.Picture();
}

Canvas GreetingMock(int width, int height, const std::vector<SheetEntry>& pictures,
                    const std::string& greeting)
{
	ScreenMock mock(width, height, pictures);
	mock.Text(0.64f, -0.92f, "23:59:30");
	mock.Quad(-0.69f, -0.84f, 0.212f, 0.106f, greeting);
	return mock.Picture();
}

// Four screens, 16:9 and 4:3, with the countdown and with each greeting.
std::vector<Placed> ScreenMocks(const std::vector<SheetEntry>& pictures)
{
	std::vector<Placed> mocks;
	mocks.push_back({0, 0, CountdownMock(1168, 657, pictures), "countdown at 16:9", SheetLook::Picture});
	mocks.push_back({0, 0, CountdownMock(576, 432, pictures), "countdown at 4:3", SheetLook::Picture});
	mocks.push_back(
	    {0, 0, GreetingMock(576, 432, pictures, "tex_hny.tga"), "New Year at 4:3", SheetLook::Picture});
	mocks.push_back(
	    {0, 0, GreetingMock(1168, 657, pictures, "tex_mc.tga"), "Christmas at 16:9", SheetLook::Picture});
	return mocks;
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
	std::vector<Placed> mocks = ScreenMocks(pictures);
	const int mockHeight = LayOut(mocks);
	Canvas sheet(kSheetWidth, panelHeight * 2 + mockHeight);
	PaintPanel(sheet, 0, panelHeight, placed, true);
	PaintPanel(sheet, panelHeight, panelHeight, placed, false);
	PaintPanel(sheet, panelHeight * 2, mockHeight, mocks, true);
	Image image = sheet.ToImage();
	WritePng(path, image);
}
