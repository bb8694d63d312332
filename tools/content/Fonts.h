#pragma once

#include "tools/content/Draw.h"

#include <memory>
#include <string>

// Text rasterised with FreeType from the fonts of Debian's font packages, and the house style
// that makes it read over any part of the room: a soft shadow, a dark outline and a warm fill.

// Rendered text: its coverage and the row of the baseline inside it.
struct TextInk
{
	Mask mask;
	int baseline = 0;
};

// One font face. The font file is looked up by its file name under /usr/share/fonts; a missing
// one stops the build with a message that names the Debian package to install.
class Font
{
public:
	Font(const std::string& fileName, const std::string& package);
	~Font();
	Font(const Font&) = delete;
	Font& operator=(const Font&) = delete;

	// The ink of `text` (ASCII) at `pixelSize`, squeezed sideways by `condense` (1 = as
	// designed) and thickened by `embolden` pixels, cropped to the ink with `pad` empty pixels
	// on every side.
	TextInk Render(const std::string& text, float pixelSize, float condense, int pad,
	               float embolden = 0.0f) const;
	// The largest size whose ink fits in width × height (pad included).
	float SizeToFit(const std::string& text, int width, int height, float condense, int pad) const;

private:
	struct Face;
	std::unique_ptr<Face> face;
};

// The fonts the art is set in.
namespace Fonts
{
const Font& Sans();    // DejaVu Sans Bold: small labels of the contact sheet
const Font& Display(); // URW Bookman Demi: clock digits and word pictures
const Font& Script();  // URW Z003 chancery: greetings and the product name
} // namespace Fonts

struct TextStyle
{
	Color fillTop;
	Color fillBottom;
	Color outline;
	float outlineWidth = 0.0f;
	Color shadow;
	float shadowBlur = 0.0f;
	float shadowOffsetX = 0.0f;
	float shadowOffsetY = 0.0f;
	Color glow;
	float glowRadius = 0.0f;
	float glowStrength = 0.0f;
	// Top-lit relief: brightens edges that face up and darkens those that face down.
	float relief = 0.0f;
};

// The warm cream-and-gold lettering of the overlay, scaled for text of the given ink height.
TextStyle OverlayTextStyle(float inkHeight);

// Paints `ink` (a mask from Font::Render) with its top-left corner at (x, y).
void PaintText(Canvas& canvas, const Mask& ink, int x, int y, const TextStyle& style);
// Paints `ink` centred in the canvas (offset by dx, dy).
void PaintTextCentred(Canvas& canvas, const Mask& ink, const TextStyle& style, int dx = 0, int dy = 0);
