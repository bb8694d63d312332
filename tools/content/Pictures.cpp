// The pictures outside the archives' sprite and overlay sets: the fallback texture, the loading
// screen with its four corner colours, and the pictures of the desktop side (Options dialog
// decoration, About box, preview, program icon).

#include "tools/content/ContentParts.h"
#include "tools/content/Fonts.h"
#include "tools/content/Ornaments.h"

#include <algorithm>
#include <cmath>

namespace
{
// The loading screen covers 256 × 128 window pixels in each corner with a flat colour. The
// picture fades into the same colours towards its corners, so the patches never show an edge:
// night sky above, snow in deep shadow below.
const Color kTopCornerColor = Hex(0x080C20);
const Color kBottomCornerColor = Hex(0x262C52);

// The fallback texture: a quiet warm-grey checker with fine lines, plainly "no texture here"
// without shouting in the middle of the room.
Canvas DefaultTexture()
{
	Canvas texture(64, 64);
	for (int y = 0; y < 64; ++y)
	{
		for (int x = 0; x < 64; ++x)
		{
			const bool light = ((x / 16) + (y / 16)) % 2 == 0;
			const bool line = x % 16 == 0 || y % 16 == 0;
			const Color base = light ? Hex(0x9A8E82) : Hex(0x7A6F66);
			texture.Over(x, y, line ? Mix(base, Hex(0x5A514A), 0.5f) : base);
		}
	}
	return texture;
}

struct NightScene
{
	bool title = true;
	bool subtitle = false;
	bool loadingHint = false;
	bool fadeCorners = false;
};

void PaintSky(Canvas& canvas, float horizon)
{
	const float height = static_cast<float>(canvas.Height());
	for (int y = 0; y < canvas.Height(); ++y)
	{
		const float t = Clamp01(static_cast<float>(y) / (height * horizon));
		const Color sky = t < 0.6f ? Mix(kTopCornerColor, Hex(0x17265A), t / 0.6f)
		                           : Mix(Hex(0x17265A), Hex(0x4A4488), (t - 0.6f) / 0.4f);
		for (int x = 0; x < canvas.Width(); ++x)
		{
			canvas.Over(x, y, sky);
		}
	}
}

void PaintStars(Canvas& canvas, float horizon, Random& random)
{
	const float w = static_cast<float>(canvas.Width());
	const float h = static_cast<float>(canvas.Height());
	const int count = static_cast<int>(w * h / 2600.0f);
	for (int i = 0; i < count; ++i)
	{
		const float x = random.Uniform(0.0f, w);
		const float y = random.Uniform(0.0f, h * horizon * 0.9f);
		const float brightness = random.Uniform(0.2f, 1.0f) * (1.0f - y / (h * horizon));
		const Color tint = Mix(Hex(0xFFF2D8), Hex(0xC8D8FF), random.Uniform(0.0f, 1.0f));
		AddGlow(canvas, x, y, std::max(0.45f, w / 1800.0f), tint, brightness);
		if (random.Below(14) == 0)
		{
			DrawSparkle(canvas, x, y, w / 170.0f * brightness + 1.0f, tint);
		}
	}
}

// A ridge of snow whose top edge wanders with the noise; lit from the upper left.
void PaintHill(Canvas& canvas, float level, float roughness, const Color& lit, const Color& shade,
               uint32_t seed)
{
	const Noise noise(seed);
	const float w = static_cast<float>(canvas.Width());
	const float h = static_cast<float>(canvas.Height());
	for (int x = 0; x < canvas.Width(); ++x)
	{
		const float u = static_cast<float>(x) / w;
		const float top = h * (level - roughness * (noise.Fractal(u * 3.0f, 0.5f, 4) - 0.5f) -
		                       roughness * 0.6f * std::sin(u * 5.3f + static_cast<float>(seed % 7)));
		for (int y = std::max(0, static_cast<int>(top) - 1); y < canvas.Height(); ++y)
		{
			const float edge = Clamp01(static_cast<float>(y) + 1.0f - top);
			const float depth = Clamp01((static_cast<float>(y) - top) / (h * 0.25f));
			canvas.Over(x, y, Mix(lit, shade, depth * 0.8f + u * 0.2f), edge);
		}
	}
}

void PaintCottage(Canvas& canvas, float cx, float baseY, float size, Random& random)
{
	const float half = size * 0.5f;
	const std::vector<Point> walls = {{cx - half, baseY},
	                                  {cx + half, baseY},
	                                  {cx + half, baseY - size * 0.55f},
	                                  {cx - half, baseY - size * 0.55f}};
	FillShape(canvas, BoundsOf(walls, 2), Polygon(walls), Hex(0x2C1A16));
	const float chimneyX = cx + half * 0.45f;
	const std::vector<Point> chimney = {{chimneyX - size * 0.06f, baseY - size * 0.7f},
	                                    {chimneyX + size * 0.06f, baseY - size * 0.7f},
	                                    {chimneyX + size * 0.06f, baseY - size * 1.0f},
	                                    {chimneyX - size * 0.06f, baseY - size * 1.0f}};
	FillShape(canvas, BoundsOf(chimney, 2), Polygon(chimney), Hex(0x3A2420));
	const std::vector<Point> roof = {{cx - half * 1.25f, baseY - size * 0.5f},
	                                 {cx + half * 1.25f, baseY - size * 0.5f},
	                                 {cx, baseY - size * 1.05f}};
	FillShape(canvas, BoundsOf(roof, 2), Polygon(roof),
	          [&](float x, float)
	          { return Mix(Hex(0xE6EEFF), Hex(0x8E9CC8), Clamp01((x - cx + half) / (size * 1.4f))); });
	// Warm windows and the glow of the hearth inside.
	for (const float wx : {cx - half * 0.5f, cx + half * 0.4f})
	{
		const float wy = baseY - size * 0.3f;
		AddGlow(canvas, wx, wy, size * 0.3f, Hex(0xFF9A30), 0.55f);
		const std::vector<Point> pane = {{wx - size * 0.12f, wy - size * 0.12f},
		                                 {wx + size * 0.12f, wy - size * 0.12f},
		                                 {wx + size * 0.12f, wy + size * 0.12f},
		                                 {wx - size * 0.12f, wy + size * 0.12f}};
		FillShape(
		    canvas, BoundsOf(pane, 2), Polygon(pane),
		    [&](float, float y)
		    { return Mix(Hex(0xFFD27A), Hex(0xF07A18), Clamp01((y - wy + size * 0.12f) / (size * 0.24f))); });
		FillShape(canvas, BoundsOf(pane, 2),
		          Capsule(wx, wy - size * 0.1f, wx, wy + size * 0.1f, size * 0.008f + 0.3f), Hex(0x2C1A16));
		FillShape(canvas, BoundsOf(pane, 2),
		          Capsule(wx - size * 0.1f, wy, wx + size * 0.1f, wy, size * 0.008f + 0.3f), Hex(0x2C1A16));
	}
	// Smoke curling up from the chimney.
	for (int i = 0; i < 7; ++i)
	{
		const float t = static_cast<float>(i) / 6.0f;
		const float sx = chimneyX + std::sin(t * 3.0f) * size * 0.12f + t * size * 0.25f;
		const float sy = baseY - size * (1.05f + t * 0.7f);
		AddGlow(canvas, sx, sy, size * (0.05f + t * 0.07f), Hex(0x9AA4C4),
		        0.35f * (1.0f - t) * random.Uniform(0.7f, 1.0f));
	}
}

void PaintSnowfall(Canvas& canvas, Random& random)
{
	const float w = static_cast<float>(canvas.Width());
	const float h = static_cast<float>(canvas.Height());
	const int count = static_cast<int>(w * h / 1800.0f);
	for (int i = 0; i < count; ++i)
	{
		const float x = random.Uniform(0.0f, w);
		const float y = random.Uniform(0.0f, h);
		const float r = random.Uniform(0.4f, 1.0f) * random.Uniform(0.4f, 1.0f) * w / 300.0f + 0.3f;
		const float alpha = random.Uniform(0.35f, 0.9f);
		AddGlow(canvas, x, y, r, Hex(0xF4F8FF), alpha);
	}
}

// The snow nearest the viewer lies in the shadow of the cottage, darkening towards the bottom
// corner colour.
void ShadeForeground(Canvas& canvas)
{
	const float h = static_cast<float>(canvas.Height());
	for (int y = 0; y < canvas.Height(); ++y)
	{
		const float shade = SmoothStep(0.82f, 1.0f, static_cast<float>(y) / h) * 0.85f;
		for (int x = 0; x < canvas.Width(); ++x)
		{
			canvas.Over(x, y, kBottomCornerColor, shade);
		}
	}
}

// Blends the corners into their flat colours: fully flat within the largest patch the loading
// screen can put there (256 × 128 on an 800 × 600 display), then a smooth falloff.
void FadeCorners(Canvas& canvas)
{
	const float w = static_cast<float>(canvas.Width());
	const float h = static_cast<float>(canvas.Height());
	const float patchW = w * 256.0f / 800.0f;
	const float patchH = h * 128.0f / 600.0f;
	const float falloff = w * 0.22f;
	for (int y = 0; y < canvas.Height(); ++y)
	{
		for (int x = 0; x < canvas.Width(); ++x)
		{
			const float px = static_cast<float>(x) + 0.5f;
			const float py = static_cast<float>(y) + 0.5f;
			const float dx = std::max(0.0f, std::min(px, w - px) - patchW);
			const float dy = std::max(0.0f, std::min(py, h - py) - patchH);
			const float weight = 1.0f - SmoothStep(0.0f, falloff, std::sqrt(dx * dx + dy * dy));
			if (weight > 0.0f)
			{
				canvas.Over(x, y, py < h * 0.5f ? kTopCornerColor : kBottomCornerColor, weight);
			}
		}
	}
}

TextStyle TitleStyle(float inkHeight)
{
	TextStyle style = OverlayTextStyle(inkHeight);
	style.fillTop = Hex(0xFFF8E0);
	style.fillBottom = Hex(0xE8A238);
	style.outline = Hex(0x4A0C10, 0.9f);
	style.outlineWidth = std::max(1.0f, inkHeight * 0.04f);
	style.glow = Hex(0xFFA030);
	style.glowRadius = std::max(2.0f, inkHeight * 0.25f);
	style.glowStrength = 0.8f;
	style.relief = 0.5f;
	return style;
}

void PaintTitle(Canvas& canvas, const NightScene& scene)
{
	const int w = canvas.Width();
	const int h = canvas.Height();
	const int pad = std::max(4, w / 60);
	const float size = Fonts::Script().SizeToFit("Glimmerhearth", w * 62 / 100, h * 26 / 100, 1.0f, pad);
	const TextInk title = Fonts::Script().Render("Glimmerhearth", size, 1.0f, pad);
	const int titleY = h * 27 / 100 - title.mask.height / 2;
	PaintText(canvas, title.mask, (w - title.mask.width) / 2, titleY, TitleStyle(size * 0.6f));
	if (scene.subtitle)
	{
		const float small = static_cast<float>(h) * 0.045f;
		const TextInk line = Fonts::Display().Render("a winter night by the fire", small, 1.0f, pad);
		PaintText(canvas, line.mask, (w - line.mask.width) / 2, titleY + title.mask.height - pad / 2,
		          OverlayTextStyle(small * 0.7f));
	}
	if (scene.loadingHint)
	{
		const float small = static_cast<float>(h) * 0.032f;
		const TextInk line = Fonts::Display().Render("Loading...", small, 1.0f, pad);
		TextStyle style = OverlayTextStyle(small * 0.7f);
		style.fillTop = Hex(0xE8EEFF);
		style.fillBottom = Hex(0xB8C4E8);
		PaintText(canvas, line.mask, (w - line.mask.width) / 2, h * 93 / 100 - line.mask.height / 2, style);
	}
}

// The winter night outside the cottage: stars over snowy hills, a decorated fir, the cottage
// with its warm windows, falling snow and the product name in gold.
Canvas WinterNight(int width, int height, const NightScene& scene)
{
	Canvas canvas(width, height);
	Random random(0x5EA50);
	const float w = static_cast<float>(width);
	const float h = static_cast<float>(height);
	PaintSky(canvas, 0.66f);
	PaintStars(canvas, 0.66f, random);
	// A low moon, clear of the corner patches.
	const float moonX = w * 0.86f;
	const float moonY = h * 0.45f;
	AddGlow(canvas, moonX, moonY, h * 0.1f, Hex(0xC8D4FF), 0.3f);
	FillShape(
	    canvas, CircleBounds(moonX, moonY, h * 0.05f, h * 0.05f), Ellipse(moonX, moonY, h * 0.05f, h * 0.05f),
	    [&](float x, float y)
	    { return Mix(Hex(0xFFF8E4), Hex(0xD8D0BC), Clamp01((x - moonX + y - moonY) / (h * 0.1f) + 0.5f)); });
	PaintHill(canvas, 0.66f, 0.06f, Hex(0x7E8CC0), Hex(0x3A4578), 11);
	for (int i = 0; i < 9; ++i)
	{
		const float x = w * (0.05f + 0.11f * static_cast<float>(i)) + random.Uniform(-w * 0.02f, w * 0.02f);
		const float tall = h * random.Uniform(0.08f, 0.14f);
		DrawFirTree(canvas, x, h * random.Uniform(0.66f, 0.7f), tall, tall * 0.55f, Hex(0x1A2A40),
		            Hex(0x9AA8D8), random, false);
	}
	PaintHill(canvas, 0.8f, 0.05f, Hex(0xD8E2FA), Hex(0x5A6496), 23);
	ShadeForeground(canvas);
	if (scene.fadeCorners)
	{
		FadeCorners(canvas);
	}
	// The cottage and the tree stand in front of the shaded corners, so they keep their colours.
	PaintCottage(canvas, w * 0.66f, h * 0.79f, h * 0.2f, random);
	DrawFirTree(canvas, w * 0.3f, h * 0.92f, h * 0.46f, h * 0.3f, Hex(0x1E5434), Hex(0xEEF4FF), random, true);
	PaintSnowfall(canvas, random);
	if (scene.title)
	{
		PaintTitle(canvas, scene);
	}
	return canvas;
}

// Small pictures are drawn at twice the size and averaged down, which keeps thin shapes smooth.
Canvas SmallWinterNight(int width, int height)
{
	return WinterNight(width * 2, height * 2, NightScene{}).Downscaled(2);
}

Canvas Swatch(const Color& color)
{
	Canvas swatch(1, 1);
	swatch.Fill(color);
	return swatch;
}

// The program's emblem: a red glass bauble with a holly sprig and a twinkle, on transparency.
Canvas Emblem(int size)
{
	Canvas canvas(size, size);
	const float s = static_cast<float>(size);
	DrawBauble(canvas, s * 0.5f, s * 0.56f, s * 0.36f, Hex(0xD01020));
	DrawHollySprig(canvas, s * 0.5f, s * 0.2f, s * 0.2f, 0.2f);
	DrawSparkle(canvas, s * 0.78f, s * 0.3f, s * 0.08f, Hex(0xFFE08A));
	return canvas;
}

// The About picture: the emblem on a deep red card with a golden glow.
Canvas AboutPicture()
{
	Canvas canvas(128, 128);
	for (int y = 0; y < 128; ++y)
	{
		for (int x = 0; x < 128; ++x)
		{
			const float d = std::hypot(static_cast<float>(x) - 64.0f, static_cast<float>(y) - 60.0f) / 90.0f;
			canvas.Over(x, y, Mix(Hex(0x6A1018), Hex(0x1E0408), Clamp01(d)));
		}
	}
	AddGlow(canvas, 64, 66, 30, Hex(0xFFB040), 0.35f);
	canvas.Draw(Emblem(256).Downscaled(2), 0, 0);
	return canvas;
}
} // namespace

void BuildPictures(ContentOutput& out)
{
	out.Tga("primary/Textures/tex_default.tga", DefaultTexture(), 24, TgaKind::Uncompressed);

	NightScene loading;
	loading.subtitle = true;
	loading.loadingHint = true;
	loading.fadeCorners = true;
	out.Jpeg("custom/loading.jpg", WinterNight(1024, 640, loading), 92);
	out.Tga("custom/4loader_lu.tga", Swatch(kTopCornerColor), 32, TgaKind::Uncompressed, SheetLook::Swatch);
	out.Tga("custom/4loader_ru.tga", Swatch(kTopCornerColor), 32, TgaKind::Uncompressed, SheetLook::Swatch);
	out.Tga("custom/4loader_ld.tga", Swatch(kBottomCornerColor), 32, TgaKind::Uncompressed,
	        SheetLook::Swatch);
	out.Tga("custom/4loader_rd.tga", Swatch(kBottomCornerColor), 32, TgaKind::Uncompressed,
	        SheetLook::Swatch);

	out.Bmp("custom/options.bmp", SmallWinterNight(210, 150));
	out.Bmp("custom/preview.bmp", SmallWinterNight(160, 120));
	out.Bmp("custom/about.bmp", AboutPicture());
	out.Tga("custom/icon.tga", Emblem(256), 32, TgaKind::Uncompressed);
}
