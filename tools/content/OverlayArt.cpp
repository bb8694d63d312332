// The clock and countdown overlay: one picture per character of "0123456789amp:. " and one per
// word, all in the same cream-and-gold lettering with a dark red outline and a soft shadow, so
// they read over the dark room and over the snow behind the window alike.
//
// The overlay draws every picture into a rectangle with the picture's own proportions in the
// −1…+1 screen space, so a wide screen stretches them sideways (words by 1.78 at 16:9 and 1.33
// at 4:3, the square symbols by 1.33 and 1). The lettering is set condensed to make up for it.

#include "tools/content/ContentParts.h"
#include "tools/content/Fonts.h"
#include "tools/content/Ornaments.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace
{
constexpr float kSymbolCondense = 0.82f;
constexpr float kWordCondense = 0.58f;
constexpr int kSymbolSize = 64;
// Digits stand this tall; the baseline sits so that they are centred in the picture.
constexpr float kDigitHeight = 36.0f;
constexpr int kSymbolBaseline = 50;
// Characters are drawn 0.0425 apart in quads 0.08 wide: a cell is 34 of the 64 pixels. The
// point is drawn 0.03125 (25 pixels) left of its cell, so its dot sits right of centre.
constexpr int kPointOffset = 12;
constexpr int kTextPad = 6;

void WriteOverlay(ContentOutput& out, const std::string& name, const Canvas& picture)
{
	out.Tga("secondary/Textures/" + name, picture, 32, TgaKind::Uncompressed);
}

float DigitFontSize()
{
	const float probe = 64.0f;
	const TextInk ink = Fonts::Display().Render("0", probe, kSymbolCondense, 0);
	return probe * kDigitHeight / static_cast<float>(ink.mask.height);
}

Canvas SymbolPicture(char symbol, float fontSize)
{
	Canvas picture(kSymbolSize, kSymbolSize);
	if (symbol == ' ')
	{
		return picture;
	}
	const TextInk ink = Fonts::Display().Render(std::string(1, symbol), fontSize, kSymbolCondense, kTextPad);
	const int x = (kSymbolSize - ink.mask.width) / 2 + (symbol == '.' ? kPointOffset : 0);
	PaintText(picture, ink.mask, x, kSymbolBaseline - ink.baseline, OverlayTextStyle(kDigitHeight));
	return picture;
}

void BuildSymbols(ContentOutput& out)
{
	const float fontSize = DigitFontSize();
	const std::pair<char, const char*> symbols[] = {
	    {'0', "0"}, {'1', "1"},     {'2', "2"},     {'3', "3"},    {'4', "4"}, {'5', "5"},
	    {'6', "6"}, {'7', "7"},     {'8', "8"},     {'9', "9"},    {'a', "a"}, {'m', "m"},
	    {'p', "p"}, {':', "colon"}, {'.', "point"}, {' ', "space"}};
	for (const auto& [symbol, suffix] : symbols)
	{
		WriteOverlay(out, std::string("tex_sym_") + suffix + ".tga", SymbolPicture(symbol, fontSize));
	}
}

struct Word
{
	const char* file;
	const char* text;
};

// Sets every word of a group in one size: the largest at which each fits its picture.
void BuildWordGroup(ContentOutput& out, const Word* words, size_t count, int width, int height, int inset)
{
	float fontSize = 1e9f;
	for (size_t i = 0; i < count; ++i)
	{
		fontSize = std::min(fontSize, Fonts::Display().SizeToFit(words[i].text, width - 2 * inset, height,
		                                                         kWordCondense, kTextPad - 2));
	}
	for (size_t i = 0; i < count; ++i)
	{
		const TextInk ink = Fonts::Display().Render(words[i].text, fontSize, kWordCondense, kTextPad);
		Canvas picture(width, height);
		const float inkHeight = fontSize * 0.7f;
		// Words sit on a common baseline, so "days" and "hours" line up across the overlay.
		const int baseline = height / 2 + static_cast<int>(inkHeight * 0.42f);
		PaintText(picture, ink.mask, (width - ink.mask.width) / 2, baseline - ink.baseline,
		          OverlayTextStyle(inkHeight));
		WriteOverlay(out, words[i].file, picture);
	}
}

void BuildWords(ContentOutput& out)
{
	// Units sit between the number pairs; a few pixels each side keep them off the digits.
	const Word units[] = {{"tex_days.tga", "days"}, {"tex_hours.tga", "hours"}, {"tex_mins.tga", "mins"},
	                      {"tex_secs.tga", "secs"}, {"tex_day.tga", "day"},     {"tex_hour.tga", "hour"},
	                      {"tex_min.tga", "min"},   {"tex_sec.tga", "sec"}};
	BuildWordGroup(out, units, std::size(units), 64, 32, 4);
	const Word headings[] = {{"tex_countdown.tga", "Countdown to Christmas"},
	                         {"tex_countdown2.tga", "Countdown to the New Year"}};
	BuildWordGroup(out, headings, std::size(headings), 256, 32, 2);
	const Word remaining[] = {{"tex_remaining.tga", "remaining"}};
	BuildWordGroup(out, remaining, std::size(remaining), 128, 32, 8);
}

TextStyle GreetingStyle(float inkHeight)
{
	TextStyle style;
	style.fillTop = Hex(0xFFFBEA);
	style.fillBottom = Hex(0xF0BE50);
	style.outline = Hex(0x6A0C14);
	style.outlineWidth = std::max(2.0f, inkHeight * 0.08f);
	style.shadow = Hex(0x140204, 0.8f);
	style.shadowBlur = 2.0f;
	style.shadowOffsetX = 1.0f;
	style.shadowOffsetY = 2.0f;
	style.glow = Hex(0xFFC860, 0.5f);
	style.glowRadius = 5.0f;
	style.glowStrength = 0.8f;
	style.relief = 0.5f;
	return style;
}

// Two lines of script, the first set to the upper left and the second to the lower right, as
// on a card; script letters reach into each other's line, so each line may use most of the
// height. The script face is thin, so its strokes are thickened to carry the gold.
void PaintGreetingLines(Canvas& picture, const char* first, const char* second)
{
	const Font& script = Fonts::Script();
	const int pad = kTextPad + 4;
	constexpr float kEmbolden = 1.2f;
	const float size = std::min(script.SizeToFit(first, 190, 80, kWordCondense, pad),
	                            script.SizeToFit(second, 248, 80, kWordCondense, pad));
	const TextInk top = script.Render(first, size, kWordCondense, pad, kEmbolden);
	const TextInk bottom = script.Render(second, size, kWordCondense, pad, kEmbolden);
	const TextStyle style = GreetingStyle(size * 0.6f);
	PaintText(picture, top.mask, 10 - pad, 3 - pad, style);
	PaintText(picture, bottom.mask, picture.Width() - bottom.mask.width + pad - 4,
	          picture.Height() - bottom.mask.height + pad - 4, style);
}

// Merry Christmas: gold script with a holly sprig and a few twinkles.
void BuildChristmasGreeting(ContentOutput& out)
{
	Canvas picture(256, 128);
	Random random(0xC4A1);
	PaintGreetingLines(picture, "Merry", "Christmas");
	DrawHollySprig(picture, 200, 28, 32, -0.3f, kWordCondense);
	const Point twinkles[] = {{14, 18}, {148, 14}, {238, 58}, {22, 104}, {120, 52}};
	for (const Point& at : twinkles)
	{
		DrawSparkle(picture, at.x, at.y, random.Uniform(5.0f, 8.0f), Hex(0xFFE08A), kWordCondense);
	}
	WriteOverlay(out, "tex_mc.tga", picture);
}

// Happy New Year: the same lettering among bursts of gold and silver fireworks.
void BuildNewYearGreeting(ContentOutput& out)
{
	Canvas picture(256, 128);
	Random random(0x2A7E);
	DrawStarburst(picture, 200, 32, 26, Hex(0xFFD070), 12, 0.1f, kWordCondense);
	DrawStarburst(picture, 236, 12, 12, Hex(0xD8E8FF), 9, 0.3f, kWordCondense);
	DrawStarburst(picture, 164, 14, 10, Hex(0xFF8A70), 8, 0.0f, kWordCondense);
	PaintGreetingLines(picture, "Happy", "New Year");
	const Point twinkles[] = {{12, 20}, {134, 20}, {22, 104}, {246, 100}};
	for (const Point& at : twinkles)
	{
		DrawSparkle(picture, at.x, at.y, random.Uniform(5.0f, 8.0f), Hex(0xFFE08A), kWordCondense);
	}
	WriteOverlay(out, "tex_hny.tga", picture);
}
} // namespace

void BuildOverlayArt(ContentOutput& out)
{
	BuildSymbols(out);
	BuildWords(out);
	BuildChristmasGreeting(out);
	BuildNewYearGreeting(out);
}
