#include "tools/content/Fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace
{
FT_Library Library()
{
	static FT_Library library = []
	{
		FT_Library created = nullptr;
		if (FT_Init_FreeType(&created) != 0)
		{
			throw std::runtime_error("FreeType did not start");
		}
		return created;
	}();
	return library;
}

fs::path FindFontFile(const std::string& fileName, const std::string& package)
{
	const fs::path root = "/usr/share/fonts";
	if (fs::is_directory(root))
	{
		for (const auto& entry : fs::recursive_directory_iterator(root))
		{
			if (entry.is_regular_file() && entry.path().filename() == fileName)
			{
				return entry.path();
			}
		}
	}
	throw std::runtime_error("font " + fileName +
	                         " not found under /usr/share/fonts (install the Debian package " + package +
	                         ")");
}

constexpr float kFixed = 64.0f; // FreeType's 26.6 fixed point

// Loads and renders one glyph, its outline first grown by `embolden` pixels (a heavier cut of
// thin script faces).
bool LoadGlyph(FT_Face face, FT_UInt index, float embolden)
{
	if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING) != 0)
	{
		return false;
	}
	FT_GlyphSlot glyph = face->glyph;
	if (embolden > 0.0f && glyph->format == FT_GLYPH_FORMAT_OUTLINE)
	{
		const FT_Pos strength = static_cast<FT_Pos>(std::lround(embolden * kFixed));
		FT_Outline_EmboldenXY(&glyph->outline, strength, strength);
	}
	return FT_Render_Glyph(glyph, FT_RENDER_MODE_NORMAL) == 0;
}
} // namespace

struct Font::Face
{
	FT_Face handle = nullptr;
};

Font::Font(const std::string& fileName, const std::string& package) : face(std::make_unique<Face>())
{
	const fs::path path = FindFontFile(fileName, package);
	if (FT_New_Face(Library(), path.c_str(), 0, &face->handle) != 0)
	{
		throw std::runtime_error("FreeType cannot read " + path.string());
	}
}

Font::~Font()
{
	if (face->handle)
	{
		FT_Done_Face(face->handle);
	}
}

TextInk Font::Render(const std::string& text, float pixelSize, float condense, int pad, float embolden) const
{
	FT_Face handle = face->handle;
	FT_Set_Char_Size(handle, 0, static_cast<FT_F26Dot6>(std::lround(pixelSize * kFixed)), 72, 72);

	// Draw on a generous scratch mask with the baseline at a known row, then crop to the ink.
	const int ascent = static_cast<int>(std::ceil(pixelSize * 1.6f));
	const int scratchHeight = ascent * 2;
	const int scratchWidth = static_cast<int>(std::ceil(pixelSize * condense * 1.2f * (text.size() + 2)));
	Mask scratch(scratchWidth, scratchHeight);
	float pen = pixelSize;
	FT_UInt previous = 0;
	for (const char character : text)
	{
		const FT_UInt index = FT_Get_Char_Index(handle, static_cast<unsigned char>(character));
		if (previous && FT_HAS_KERNING(handle))
		{
			FT_Vector kerning{};
			FT_Get_Kerning(handle, previous, index, FT_KERNING_UNFITTED, &kerning);
			pen += static_cast<float>(kerning.x) / kFixed * condense;
		}
		previous = index;
		// The fractional pen position goes into the transform, so glyphs sit at exact offsets.
		const float whole = std::floor(pen);
		FT_Matrix matrix{static_cast<FT_Fixed>(std::lround(condense * 65536.0f)), 0, 0, 0x10000};
		FT_Vector delta{static_cast<FT_Pos>(std::lround((pen - whole) * kFixed)), 0};
		FT_Set_Transform(handle, &matrix, &delta);
		if (!LoadGlyph(handle, index, embolden))
		{
			throw std::runtime_error(std::string("FreeType cannot draw '") + character + "'");
		}
		const FT_GlyphSlot glyph = handle->glyph;
		const FT_Bitmap& bitmap = glyph->bitmap;
		for (unsigned row = 0; row < bitmap.rows; ++row)
		{
			for (unsigned column = 0; column < bitmap.width; ++column)
			{
				const int x = static_cast<int>(whole) + glyph->bitmap_left + static_cast<int>(column);
				const int y = ascent - glyph->bitmap_top + static_cast<int>(row);
				if (x >= 0 && y >= 0 && x < scratchWidth && y < scratchHeight)
				{
					const float value =
					    bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + column] / 255.0f;
					scratch.At(x, y) = std::max(scratch.At(x, y), value);
				}
			}
		}
		pen = whole + static_cast<float>(glyph->advance.x) / kFixed;
	}
	FT_Set_Transform(handle, nullptr, nullptr);

	int x0 = scratchWidth, y0 = scratchHeight, x1 = -1, y1 = -1;
	for (int y = 0; y < scratchHeight; ++y)
	{
		for (int x = 0; x < scratchWidth; ++x)
		{
			if (scratch.At(x, y) > 0.0f)
			{
				x0 = std::min(x0, x);
				y0 = std::min(y0, y);
				x1 = std::max(x1, x);
				y1 = std::max(y1, y);
			}
		}
	}
	if (x1 < 0)
	{
		// No ink (a blank): an empty box one line high.
		x0 = 0;
		x1 = 0;
		y0 = ascent;
		y1 = ascent;
	}
	TextInk ink;
	ink.mask = Mask(x1 - x0 + 1 + 2 * pad, y1 - y0 + 1 + 2 * pad);
	ink.baseline = ascent - y0 + pad;
	for (int y = y0; y <= y1; ++y)
	{
		for (int x = x0; x <= x1; ++x)
		{
			ink.mask.At(x - x0 + pad, y - y0 + pad) = scratch.At(x, y);
		}
	}
	return ink;
}

float Font::SizeToFit(const std::string& text, int width, int height, float condense, int pad) const
{
	const float room[2] = {static_cast<float>(width - 2 * pad), static_cast<float>(height - 2 * pad)};
	auto scaleToFit = [&](float size)
	{
		const TextInk ink = Render(text, size, condense, 0);
		return std::min(room[0] / static_cast<float>(ink.mask.width),
		                room[1] / static_cast<float>(ink.mask.height));
	};
	// Ink grows almost linearly with the size: two corrections come close, then shrink until it fits.
	float size = static_cast<float>(height);
	for (int attempt = 0; attempt < 2; ++attempt)
	{
		size *= scaleToFit(size);
	}
	while (scaleToFit(size) < 1.0f)
	{
		size *= 0.98f;
	}
	return size;
}

namespace Fonts
{
const Font& Sans()
{
	static const Font font("DejaVuSans-Bold.ttf", "fonts-dejavu-core");
	return font;
}

const Font& Display()
{
	static const Font font("URWBookman-Demi.otf", "fonts-urw-base35");
	return font;
}

const Font& Script()
{
	static const Font font("Z003-MediumItalic.otf", "fonts-urw-base35");
	return font;
}
} // namespace Fonts

TextStyle OverlayTextStyle(float inkHeight)
{
	TextStyle style;
	style.fillTop = Hex(0xFFF6DC);
	style.fillBottom = Hex(0xF4B64A);
	style.outline = Hex(0x3A120C, 0.95f);
	style.outlineWidth = std::max(1.6f, inkHeight * 0.07f);
	style.shadow = Hex(0x120404, 0.75f);
	style.shadowBlur = std::max(1.0f, inkHeight * 0.08f);
	style.shadowOffsetX = std::max(0.5f, inkHeight * 0.03f);
	style.shadowOffsetY = std::max(1.0f, inkHeight * 0.05f);
	style.relief = 0.35f;
	return style;
}

namespace
{
// Vertical extent of the ink, for the fill gradient.
void InkRows(const Mask& ink, int& top, int& bottom)
{
	top = ink.height;
	bottom = 0;
	for (int y = 0; y < ink.height; ++y)
	{
		for (int x = 0; x < ink.width; ++x)
		{
			if (ink.At(x, y) > 0.5f)
			{
				top = std::min(top, y);
				bottom = std::max(bottom, y);
			}
		}
	}
	if (bottom < top)
	{
		top = 0;
		bottom = std::max(0, ink.height - 1);
	}
}
} // namespace

void PaintText(Canvas& canvas, const Mask& ink, int x, int y, const TextStyle& style)
{
	if (style.glowStrength > 0.0f)
	{
		const Mask glow = Blur(ink, style.glowRadius);
		for (int my = 0; my < glow.height; ++my)
		{
			for (int mx = 0; mx < glow.width; ++mx)
			{
				canvas.Over(x + mx, y + my, style.glow, Clamp01(glow.At(mx, my) * style.glowStrength));
			}
		}
	}
	const Mask outline = style.outlineWidth > 0.0f ? Grow(ink, style.outlineWidth) : ink;
	if (style.shadow.a > 0.0f)
	{
		const Mask shadow = Blur(outline, style.shadowBlur);
		const int sx = static_cast<int>(std::lround(style.shadowOffsetX));
		const int sy = static_cast<int>(std::lround(style.shadowOffsetY));
		canvas.PaintMask(shadow, x + sx, y + sy, style.shadow);
	}
	if (style.outlineWidth > 0.0f)
	{
		canvas.PaintMask(outline, x, y, style.outline);
	}
	int top = 0;
	int bottom = 0;
	InkRows(ink, top, bottom);
	const Mask soft = Blur(ink, std::max(1.0f, static_cast<float>(bottom - top) * 0.04f));
	canvas.PaintMask(ink, x, y,
	                 [&](int px, int py)
	                 {
		                 const int mx = px - x;
		                 const int my = py - y;
		                 const float t = Clamp01(static_cast<float>(my - top) / std::max(1, bottom - top));
		                 Color color = Mix(style.fillTop, style.fillBottom, t);
		                 // Slope of the softened ink: positive where the stroke's upper edge is.
		                 const float slope = soft.Sample(mx, my + 1) - soft.Sample(mx, my - 1);
		                 const float light = std::clamp(slope * style.relief * 2.0f, -0.35f, 0.35f);
		                 const Color toward = light > 0.0f ? Hex(0xFFFFFF) : Hex(0x5A2A08);
		                 color = Mix(color, toward, std::fabs(light));
		                 return color;
	                 });
}

void PaintTextCentred(Canvas& canvas, const Mask& ink, const TextStyle& style, int dx, int dy)
{
	PaintText(canvas, ink, (canvas.Width() - ink.width) / 2 + dx, (canvas.Height() - ink.height) / 2 + dy,
	          style);
}
