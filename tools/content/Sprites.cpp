// Particle sprites. Every effect blends additively (source alpha, one), so what a sprite adds
// to the room is its colour times its alpha: the pictures are light on black, with alpha that
// falls off softly so that many overlapping particles build up without hard edges.
//
// Camera-facing sprites show their picture upright (texture row 0 at the bottom). Streaks run
// from their base (texture row 0, the picture's bottom) to their tip along the particle axis.

#include "tools/content/ContentParts.h"

#include <cmath>
#include <string>

namespace
{
constexpr float kPi = 3.14159265f;

// Many sprites overlap in the room, so even faint light at a picture's border would show as
// a square: every frame fades to nothing before its edge.
void FadeToEdges(Canvas& sprite, int frames)
{
	const int frameWidth = sprite.Width() / frames;
	const float halfWidth = static_cast<float>(frameWidth) * 0.5f;
	const float halfHeight = static_cast<float>(sprite.Height()) * 0.5f;
	for (int y = 0; y < sprite.Height(); ++y)
	{
		for (int x = 0; x < sprite.Width(); ++x)
		{
			const float dx = (static_cast<float>(x % frameWidth) + 0.5f - halfWidth) / halfWidth;
			const float dy = (static_cast<float>(y) + 0.5f - halfHeight) / halfHeight;
			sprite.Multiply(x, y, 1.0f - SmoothStep(0.75f, 0.96f, std::sqrt(dx * dx + dy * dy)));
		}
	}
}

void WriteSprite(ContentOutput& out, const std::string& name, Canvas sprite, int frames = 1)
{
	FadeToEdges(sprite, frames);
	out.Tga("primary/Sprites/" + name, sprite, 32, TgaKind::RunLength, SheetLook::Additive);
}

// Paints light of `color` with the given strength at every pixel, as additive sprites need.
template <typename Strength> void PaintLight(Canvas& sprite, const Color& color, Strength&& strengthAt)
{
	for (int y = 0; y < sprite.Height(); ++y)
	{
		for (int x = 0; x < sprite.Width(); ++x)
		{
			const float strength = strengthAt(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
			if (strength > 0.0f)
			{
				sprite.Add(x, y, color, strength);
			}
		}
	}
}

// One snowflake frame: a six-armed dendrite seen at a tilt (`squeeze` of its width).
void DrawSnowflake(Canvas& sprite, float cx, float cy, float radius, float squeeze, float turn)
{
	const Color ice = Hex(0xEEF6FF);
	AddGlow(sprite, cx, cy, radius * 0.45f, Hex(0xCFE4FF), 0.22f, squeeze);
	const float width = radius * 0.055f;
	auto stroke = [&](float ax, float ay, float bx, float by, float w)
	{
		const Point a{cx + ax * squeeze, cy + ay};
		const Point b{cx + bx * squeeze, cy + by};
		FillShape(
		    sprite,
		    {std::min(a.x, b.x) - 3, std::min(a.y, b.y) - 3, std::max(a.x, b.x) + 3, std::max(a.y, b.y) + 3},
		    Capsule(a.x, a.y, b.x, b.y, w), ice, 1.2f);
	};
	for (int arm = 0; arm < 6; ++arm)
	{
		const float angle = turn + kPi / 3.0f * static_cast<float>(arm);
		const float dx = std::sin(angle);
		const float dy = -std::cos(angle);
		stroke(0, 0, dx * radius, dy * radius, width);
		for (const float along : {0.42f, 0.68f})
		{
			const float branch = radius * (along < 0.5f ? 0.32f : 0.22f);
			for (const float side : {-1.0f, 1.0f})
			{
				const float branchAngle = angle + side * kPi / 3.0f;
				stroke(dx * radius * along, dy * radius * along,
				       dx * radius * along + std::sin(branchAngle) * branch,
				       dy * radius * along - std::cos(branchAngle) * branch, width * 0.8f);
			}
		}
	}
	FillShape(sprite, CircleBounds(cx, cy, radius * 0.2f, radius * 0.2f),
	          Ellipse(cx, cy, radius * 0.14f * squeeze, radius * 0.14f), ice);
}

// "tex_snowflake.tga": four frames side by side of one flake tumbling as it falls.
void BuildSnowflakeStrip(ContentOutput& out)
{
	constexpr int kFrame = 64;
	const float squeeze[4] = {1.0f, 0.72f, 0.42f, 0.72f};
	Canvas strip(kFrame * 4, kFrame);
	for (int frame = 0; frame < 4; ++frame)
	{
		DrawSnowflake(strip, kFrame * frame + kFrame * 0.5f, kFrame * 0.5f, kFrame * 0.42f, squeeze[frame],
		              0.12f * static_cast<float>(frame));
	}
	WriteSprite(out, "tex_snowflake.tga", strip, 4);
}

// Fire colours by heat, from the white-yellow core to the dark red fringe.
Color FlameColor(float heat)
{
	if (heat > 0.66f)
	{
		return Mix(Hex(0xFFB030), Hex(0xFFF4C0), (heat - 0.66f) / 0.34f);
	}
	if (heat > 0.33f)
	{
		return Mix(Hex(0xE04A10), Hex(0xFFB030), (heat - 0.33f) / 0.33f);
	}
	return Mix(Hex(0x701004), Hex(0xE04A10), heat / 0.33f);
}

// "tex_flame.tga": one tongue of the fireplace fire, base at the bottom, licking upwards.
void BuildFireTongue(ContentOutput& out)
{
	Canvas sprite(64, 128);
	const Noise noise(0xF1AE);
	for (int y = 0; y < sprite.Height(); ++y)
	{
		for (int x = 0; x < sprite.Width(); ++x)
		{
			const float v = 1.0f - (static_cast<float>(y) + 0.5f) / 128.0f; // 0 at the base
			const float wobble = (noise.Fractal(v * 4.0f, 1.7f, 3) - 0.5f) * 10.0f * v;
			const float u = (static_cast<float>(x) + 0.5f - 32.0f - wobble) / 32.0f;
			const float halfWidth = 0.9f * std::pow(Arch(v * 0.8f + 0.15f), 0.8f) * (1.0f - v * 0.45f);
			const float across = std::exp(-(u * u) / (halfWidth * halfWidth * 0.6f + 1e-4f));
			const float along = SmoothStep(0.0f, 0.12f, v) * (1.0f - SmoothStep(0.55f, 1.0f, v));
			const float flicker = 0.75f + 0.5f * noise.Fractal(static_cast<float>(x) * 0.12f, v * 9.0f, 3);
			const float heat = Clamp01(across * along * flicker);
			if (heat > 0.0f)
			{
				sprite.Add(x, y, FlameColor(heat), heat);
			}
		}
	}
	WriteSprite(out, "tex_flame.tga", sprite);
}

// "tex_candleflame.tga": a small steady teardrop with a blue root and a warm halo.
void BuildCandleFlame(ContentOutput& out)
{
	Canvas sprite(64, 64);
	AddGlow(sprite, 32, 34, 14, Hex(0xFF9A30), 0.22f);
	// Teardrop: round below (y ≈ 44), pointed at the top (y ≈ 12).
	for (int y = 0; y < 64; ++y)
	{
		for (int x = 0; x < 64; ++x)
		{
			const float v = Clamp01((46.0f - (static_cast<float>(y) + 0.5f)) / 34.0f);
			const float halfWidth = 7.5f * std::pow(Arch(v * 0.8f + 0.2f), 1.3f) + 0.3f;
			const float u = (static_cast<float>(x) + 0.5f - 32.0f) / halfWidth;
			const float body =
			    Clamp01(1.0f - u * u) * SmoothStep(0.0f, 0.1f, v) * (1.0f - SmoothStep(0.75f, 1.0f, v));
			if (body <= 0.0f)
			{
				continue;
			}
			const Color root = Mix(Hex(0x3050FF), Hex(0xFFE8A0), SmoothStep(0.05f, 0.3f, v));
			sprite.Add(x, y, Mix(root, Hex(0xFFFDF0), Clamp01(body * 1.4f - 0.4f)), body);
		}
	}
	WriteSprite(out, "tex_candleflame.tga", sprite);
}

// "tex_steam.tga": a soft, lumpy puff of locomotive steam.
void BuildSteamPuff(ContentOutput& out)
{
	Canvas sprite(64, 64);
	const Noise noise(0x57EA);
	PaintLight(sprite, Hex(0xEDEFF4),
	           [&](float x, float y)
	           {
		           const float dx = (x - 32.0f) / 28.0f;
		           const float dy = (y - 32.0f) / 28.0f;
		           const float round = Clamp01(1.0f - (dx * dx + dy * dy));
		           const float cloud = noise.Fractal(x * 0.09f, y * 0.09f, 4);
		           return round * round * (0.35f + 0.65f * cloud) * 0.75f;
	           });
	WriteSprite(out, "tex_steam.tga", sprite);
}

// A fir-tree bulb: a white-hot point in a coloured halo with four faint rays.
void BuildFirLight(ContentOutput& out, const std::string& name, const Color& color)
{
	Canvas sprite(64, 64);
	AddGlow(sprite, 32, 32, 13, color, 0.45f);
	AddGlow(sprite, 32, 32, 5.5f, color, 1.0f);
	PaintLight(sprite, color,
	           [](float x, float y)
	           {
		           const float dx = std::fabs(x - 32.0f);
		           const float dy = std::fabs(y - 32.0f);
		           const float ray = std::exp(-dx * 1.2f) * Clamp01(1.0f - dy / 30.0f) +
		                             std::exp(-dy * 1.2f) * Clamp01(1.0f - dx / 30.0f);
		           return ray * 0.35f;
	           });
	AddGlow(sprite, 32, 32, 2.2f, Hex(0xFFFFFF), 1.0f);
	WriteSprite(out, name, sprite);
}

// "tex_halo.tga": the soft warm light that hangs about a flame, a lamp or the star; it falls off
// smoothly from a bright middle, so that a few overlapping copies read as one glow.
void BuildHalo(ContentOutput& out)
{
	Canvas sprite(64, 64);
	AddGlow(sprite, 32, 32, 14, Hex(0xFFB25A), 1.0f);
	AddGlow(sprite, 32, 32, 5, Hex(0xFFE2B0), 0.6f);
	WriteSprite(out, "tex_halo.tga", sprite);
}

// A ray of the glow around a bulb, for streaks pointing away from it: bright at the base.
void BuildGlowRay(ContentOutput& out, const std::string& name, const Color& color)
{
	Canvas sprite(32, 128);
	PaintLight(sprite, color,
	           [](float x, float y)
	           {
		           const float v = 1.0f - y / 128.0f;
		           const float halfWidth = 7.0f * (1.0f - 0.7f * v) + 0.5f;
		           const float u = (x - 16.0f) / halfWidth;
		           return std::exp(-u * u * 2.0f) * std::pow(1.0f - v, 1.6f) * 0.9f;
	           });
	WriteSprite(out, name, sprite);
}
} // namespace

void BuildSprites(ContentOutput& out)
{
	BuildSnowflakeStrip(out);
	BuildFireTongue(out);
	BuildCandleFlame(out);
	BuildSteamPuff(out);
	BuildHalo(out);
	BuildFirLight(out, "fir_redlight.tga", Hex(0xFF3A28));
	BuildFirLight(out, "fir_bluelight.tga", Hex(0x3A78FF));
	BuildFirLight(out, "fir_greenlight.tga", Hex(0x38E060));
	BuildFirLight(out, "fir_violetlight.tga", Hex(0xC050FF));
	BuildFirLight(out, "fir_yellowlight.tga", Hex(0xFFC830));
	BuildGlowRay(out, "fir_redglow.tga", Hex(0xFF5040));
	BuildGlowRay(out, "fir_greenglow.tga", Hex(0x50E070));
	BuildGlowRay(out, "fir_yellowglow.tga", Hex(0xFFD050));
}
