#include "tools/room/Textures.h"

#include "tools/content/Fonts.h"
#include "tools/content/ImageWriters.h"
#include "tools/room/RoomMath.h"

#include <algorithm>
#include <cmath>
#include <functional>

float NeedleReach(float v)
{
	return 0.45f * v + 12.0f / 256.0f;
}

namespace
{
using Painter = std::function<Color(float x, float y)>;

Image Paint(int width, int height, const Painter& painter)
{
	Image image(width, height);
	for (int y = 0; y < height; ++y)
	{
		for (int x = 0; x < width; ++x)
		{
			const Color c = painter(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
			uint8_t* p = image.Pixel(x, y);
			p[0] = static_cast<uint8_t>(Clamp01(c.r) * 255.0f + 0.5f);
			p[1] = static_cast<uint8_t>(Clamp01(c.g) * 255.0f + 0.5f);
			p[2] = static_cast<uint8_t>(Clamp01(c.b) * 255.0f + 0.5f);
			p[3] = static_cast<uint8_t>(Clamp01(c.a) * 255.0f + 0.5f);
		}
	}
	return image;
}

Color Scale(const Color& c, float factor)
{
	return {c.r * factor, c.g * factor, c.b * factor, c.a};
}

// Noise that wraps with a picture of `size` pixels: `cells` lattice cells across it.
struct TileNoise
{
	Noise noise;
	float scale;
	TileNoise(uint32_t seed, int cells, int size)
	    : noise(seed, cells), scale(static_cast<float>(cells) / size)
	{
	}
	float operator()(float x, float y, int octaves = 4) const
	{
		return noise.Fractal(x * scale, y * scale, octaves);
	}
};

// A plain colour with a soft grain. Two octaves of eight cells keep the finest grain at four
// texels a cell: no finer pattern survives the mipmaps without shimmering.
Image Swatch(uint32_t rgb, float grain, uint32_t seed)
{
	const TileNoise noise(seed, 8, 64);
	return Paint(64, 64,
	             [&](float x, float y) { return Scale(Hex(rgb), 1.0f + grain * (noise(x, y, 2) - 0.5f)); });
}

// Ceiling plaster: broad, soft clouds of a warm white, the trowel's strokes only a shade apart.
Image Plaster()
{
	const int size = 256;
	const TileNoise clouds(1, 4, size);
	const TileNoise strokes(2, 8, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float shade =
		                 0.06f * (clouds(x, y, 3) - 0.5f) + 0.03f * (strokes(x * 0.5f, y, 2) - 0.5f);
		             return Scale(Hex(0xeee6d6), 1.0f + shade);
	             });
}

Image Wood(uint32_t light, uint32_t dark, uint32_t seed, int size)
{
	const TileNoise warp(seed, 4, size);
	const TileNoise fine(seed + 1, 32, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float rings = std::sin((y / size * 18.0f + warp(x, y) * 6.0f) * 2.0f * kPi);
		             // The fibres stretch along the grain; across it they stay eight texels or wider.
		             const float t = 0.5f + 0.3f * rings + 0.3f * (fine(x * 0.1f, y * 0.5f, 2) - 0.5f);
		             return Mix(Hex(dark), Hex(light), Clamp01(t));
	             });
}

// Varnished floorboards, eight to the picture, their ends staggered; each board a shade of its
// own, the varnish worn pale and dull where feet pass (a broad, soft patch across the boards).
Image Floor()
{
	const int size = 1024;
	const float boardWidth = size / 8.0f;
	const TileNoise grain(11, 8, size);
	const TileNoise fibres(12, 64, size);
	const TileNoise wear(13, 2, size);
	Random random(13);
	float shades[8];
	for (float& shade : shades)
	{
		shade = random.Uniform(0.85f, 1.08f);
	}
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const int board = static_cast<int>(y / boardWidth);
		             const float across = std::fmod(y, boardWidth) / boardWidth;
		             const float endAt = std::fmod(x + board * 0.37f * size, static_cast<float>(size)) / size;
		             // Joints four texels wide, darker at their middle.
		             const float joint = std::max(SmoothStep(4.0f / boardWidth, 0.0f, across),
		                                          SmoothStep(4.0f / size, 0.0f, std::fabs(endAt - 0.5f)));
		             const float figure = std::sin((y * 0.05f + grain(x, y) * 9.0f) * kPi) * 0.12f;
		             const float fibre = (fibres(x * 0.05f, y * 0.5f, 2) - 0.5f) * 0.2f;
		             const Color wood =
		                 Scale(Mix(Hex(0x704424), Hex(0xb07a46), 0.5f + figure + fibre), shades[board]);
		             // The varnish's sheen along each board, brightest at its crown.
		             const float crown = 1.0f + 0.06f * std::sin(across * kPi);
		             const float worn = SmoothStep(0.55f, 0.8f, wear(x, y, 2));
		             const Color surface = Mix(Scale(wood, crown), Hex(0xa88462), 0.35f * worn);
		             return Scale(surface, 1.0f - 0.6f * joint);
	             });
}
// Above the panelling: broad stripes of two close reds, a soft gold line between them and a
// small damask flower, tone on tone, in the lighter stripe. Every line is six texels or wider.
Image Wallpaper()
{
	const int size = 512;
	const TileNoise paper(21, 8, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float u = std::fmod(x / size * 4.0f, 1.0f), v = std::fmod(y / size * 4.0f, 1.0f);
		             const float ground = 0.5f + 0.5f * SmoothStep(0.2f, 0.26f, std::fabs(u - 0.5f));
		             Color c = Mix(Hex(0xa4483c), Hex(0x8c3a32), ground);
		             c = Scale(c, 0.96f + 0.08f * paper(x, y, 3));
		             const float line = SmoothStep(0.035f, 0.02f, std::fabs(std::fabs(u - 0.5f) - 0.5f));
		             c = Mix(c, Hex(0xb89058), 0.55f * line);
		             // The flower: four petals round a centre, in the middle of the lighter stripe.
		             const float cx = u - 0.5f, cy = v - 0.5f;
		             const float r = std::sqrt(cx * cx + cy * cy);
		             const float petals = 0.11f + 0.05f * std::cos(4.0f * std::atan2(cy, cx));
		             const float flower = SmoothStep(petals + 0.012f, petals - 0.012f, r);
		             return Mix(c, Hex(0xb45848), 0.7f * flower);
	             });
}

// One raised panel of the wainscot, a picture high and a picture wide: the frame's stiles and
// rails round a panel whose bevels catch the light from above.
Image Panelling()
{
	const int size = 256;
	const TileNoise grain(25, 4, size);
	const TileNoise fibres(26, 16, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float u = x / size, v = y / size;
		             const float figure = 0.5f + 0.25f * std::sin((u * 6.0f + grain(x, y) * 4.0f) * kPi) +
		                                  0.2f * (fibres(x, y * 0.25f, 2) - 0.5f);
		             const Color wood = Mix(Hex(0x74482a), Hex(0xa8703e), Clamp01(figure));
		             // Distance from the frame's inner edge (stiles 0.1 wide, rails 0.14 high).
		             const float inX = std::min(u - 0.1f, 0.9f - u), inY = std::min(v - 0.14f, 0.86f - v);
		             const float in = std::min(inX, inY);
		             if (in < 0.0f)
		             {
			             return wood;
		             }
		             // The bevel, 0.06 wide: its upper and left faces lit, the lower and right shaded.
		             const float bevel = SmoothStep(0.06f, 0.0f, in);
		             const bool lit = inX < inY ? u < 0.5f : v > 0.5f;
		             const float groove = SmoothStep(0.012f, 0.0f, in);
		             return Scale(wood, (1.0f + (lit ? 0.18f : -0.22f) * bevel) * (1.0f - 0.35f * groove));
	             });
}
Image Bricks(float soot, uint32_t seed)
{
	const int size = 512;
	const TileNoise noise(seed, 32, size);
	Random random(seed);
	float tones[8][4];
	for (auto& row : tones)
	{
		for (float& tone : row)
		{
			tone = random.Uniform(0.75f, 1.15f);
		}
	}
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float rowHeight = size / 8.0f;
		             const int row = static_cast<int>(y / rowHeight);
		             const float bx = std::fmod(x + (row % 2) * size / 8.0f, static_cast<float>(size));
		             const int column = static_cast<int>(bx / (size / 4.0f));
		             const float ix = std::fmod(bx, size / 4.0f), iy = std::fmod(y, rowHeight);
		             const bool mortar = ix < 6.0f || iy < 6.0f;
		             const float n = noise(x, y);
		             Color c = mortar ? Mix(Hex(0x8d8478), Hex(0xb0a898), n)
		                              : Scale(Mix(Hex(0x7a2e1e), Hex(0xa4492c), n), tones[row][column]);
		             return Scale(c, 1.0f - soot * (0.6f + 0.4f * n));
	             });
}

// A rug of a red field round a navy and gold medallion, corner pieces in the field, and a
// border of rosettes between two guard stripes. The picture fits the whole rug.
Image Rug()
{
	const int size = 512;
	const TileNoise wool(31, 16, size);
	const Color red = Hex(0x8e2420), navy = Hex(0x23324e), gold = Hex(0xc8a060), cream = Hex(0xe2d4b4);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float u = x / size * 2.0f - 1.0f, v = y / size * 2.0f - 1.0f;
		             const float edge = std::max(std::fabs(u), std::fabs(v));
		             Color c = red;
		             if (edge > 0.94f)
		             {
			             c = Hex(0x3a1a14); // the binding
		             }
		             else if (edge > 0.74f)
		             {
			             // The border: navy with gold rosettes every sixteenth of a side, cream guards.
			             const float along = std::fabs(u) > std::fabs(v) ? v : u;
			             const float mid = std::fabs(edge - 0.84f);
			             const float beat = std::fabs(std::fmod(along * 8.0f + 8.5f, 1.0f) - 0.5f);
			             const float rosette = std::sqrt(beat * beat * 0.36f + mid * mid);
			             c = mid > 0.085f ? cream : (rosette < 0.055f ? gold : navy);
		             }
		             else
		             {
			             // The field: a lozenge medallion with eight lobes and a cream heart, and a
			             // quarter of one in each corner.
			             const float angle = std::atan2(v, u);
			             const float r = std::fabs(u) + std::fabs(v) * 1.1f;
			             const float lobes = 0.46f + 0.05f * std::cos(8.0f * angle);
			             const float corner = std::hypot(0.74f - std::fabs(u), 0.74f - std::fabs(v));
			             if (r < lobes)
			             {
				             c = r > lobes - 0.04f ? gold : (r < 0.16f ? cream : (r < 0.2f ? gold : navy));
			             }
			             else if (corner < 0.24f)
			             {
				             c = corner > 0.2f ? gold : navy;
			             }
		             }
		             return Scale(c, 0.9f + 0.2f * wool(x, y, 3));
	             });
}
// Pleated linen for the lamp's shade: sixteen soft folds round it, each eight texels or wider.
Image LampShade()
{
	const int size = 128;
	const TileNoise weave(43, 4, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float fold = 0.94f + 0.06f * std::cos(x / size * 16.0f * 2.0f * kPi);
		             return Scale(Hex(0xecd8a8), fold * (0.97f + 0.06f * weave(x, y, 2)));
	             });
}

Image Upholstery()
{
	const int size = 256;
	const TileNoise velvet(41, 32, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float diamond = std::fabs(std::fmod(x + y, 64.0f) - 32.0f) +
		                                   std::fabs(std::fmod(x - y + 512.0f, 64.0f) - 32.0f);
		             const float tuft = diamond < 5.0f ? 0.6f : 1.0f;
		             return Scale(Mix(Hex(0x1d4a34), Hex(0x2f6b4b), velvet(x, y)), tuft);
	             });
}

Image WrappingPaper(uint32_t ground, uint32_t print, bool stripes, uint32_t seed)
{
	const int size = 256;
	const TileNoise noise(seed, 16, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             Color c = Scale(Hex(ground), 0.95f + 0.1f * noise(x, y));
		             if (stripes)
		             {
			             if (std::fmod(x + y, 64.0f) < 14.0f)
			             {
				             c = Hex(print);
			             }
			             return c;
		             }
		             // Five-pointed stars in a staggered grid.
		             const float cx = std::fmod(x, 64.0f) - 32.0f;
		             const float cy = std::fmod(y + (static_cast<int>(x / 64.0f) % 2) * 32.0f, 64.0f) - 32.0f;
		             const float angle = std::atan2(cy, cx);
		             const float r = std::sqrt(cx * cx + cy * cy);
		             const float star = 7.0f + 5.0f * std::cos(5.0f * angle);
		             return r < star ? Hex(print) : c;
	             });
}

Image Books()
{
	const int size = 512;
	Random random(51);
	const uint32_t covers[] = {0x6b1d1d, 0x1d3b6b, 0x2d5a2d, 0x5a4a1d,
	                           0x3d1d4a, 0x7a5a3a, 0x202020, 0x8a2a1a};
	std::vector<std::pair<int, uint32_t>> spines;
	for (int x = 0; x < size;)
	{
		const int width = 14 + random.Below(22);
		spines.push_back({x, covers[random.Below(8)]});
		x += width;
	}
	const TileNoise noise(52, 32, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             size_t i = 0;
		             while (i + 1 < spines.size() && spines[i + 1].first <= x)
		             {
			             ++i;
		             }
		             const float next = i + 1 < spines.size() ? spines[i + 1].first : size;
		             const float inSpine = (x - spines[i].first) / (next - spines[i].first);
		             Color c = Scale(Hex(spines[i].second), 0.7f + 0.5f * std::sin(inSpine * kPi));
		             const float band = y / size;
		             if (std::fabs(band - 0.2f) < 0.015f || std::fabs(band - 0.8f) < 0.015f)
		             {
			             c = Hex(0xc9a45a);
		             }
		             return Scale(c, 0.9f + 0.2f * noise(x, y));
	             });
}

// A small winter painting: hills under a dusky sky, a red house with a lit window.
Image Painting(uint32_t sky, uint32_t hills, uint32_t seed)
{
	const int size = 256;
	const TileNoise noise(seed, 16, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float u = x / size, v = 1.0f - y / size;
		             const float ridge =
		                 0.35f + 0.08f * std::sin(u * 7.0f + seed) + 0.05f * noise(x, 0.0f, 2);
		             Color c = v > ridge ? Mix(Hex(hills), Hex(sky), (v - ridge) * 2.0f)
		                                 : Mix(Hex(0xdfe6ee), Hex(hills), v);
		             if (u > 0.6f && u < 0.75f && v > ridge - 0.05f && v < ridge + 0.07f)
		             {
			             c = (u > 0.65f && u < 0.69f && v > ridge && v < ridge + 0.04f) ? Hex(0xffd27a)
			                                                                            : Hex(0x8a2a1a);
		             }
		             return Scale(c, 0.9f + 0.2f * noise(x, y));
	             });
}

Image Snow(uint32_t seed)
{
	const int size = 512;
	const TileNoise drift(seed, 8, size);
	const TileNoise sparkle(seed + 1, 256, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float n = drift(x, y);
		             const float glint = sparkle(x, y, 1) > 0.93f ? 0.15f : 0.0f;
		             return Mix(Hex(0xb4c4dc), Hex(0xf4f8ff), 0.4f + 0.6f * n + glint);
	             });
}

Image Sky()
{
	const int size = 512;
	Random random(61);
	Canvas canvas(size, size);
	canvas.Fill(Hex(0x000000));
	Image image =
	    Paint(size, size,
	          [&](float, float y)
	          {
		          const float v = 1.0f - y / size;
		          // Deep night at the top, the fog's grey-blue at the horizon.
		          return Mix(Hex(0x8a9ab8), Mix(Hex(0x1c2a4a), Hex(0x060b1c), Clamp01((v - 0.35f) * 1.6f)),
		                     SmoothStep(0.0f, 0.4f, v));
	          });
	for (int i = 0; i < 600; ++i)
	{
		const int x = random.Below(size);
		const int y = random.Below(size / 2);
		const float bright = random.Uniform(0.4f, 1.0f) * (1.0f - static_cast<float>(y) / (size / 2));
		uint8_t* p = image.Pixel(x, y);
		for (int k = 0; k < 3; ++k)
		{
			p[k] = static_cast<uint8_t>(std::min(255.0f, p[k] + bright * 200.0f));
		}
	}
	// The moon, with a soft halo.
	for (int y = 0; y < size; ++y)
	{
		for (int x = 0; x < size; ++x)
		{
			const float dx = x - size * 0.7f, dy = y - size * 0.18f;
			const float r = std::sqrt(dx * dx + dy * dy);
			const float light = r < 14.0f ? 1.0f : 0.35f * std::exp(-(r - 14.0f) / 18.0f);
			uint8_t* p = image.Pixel(x, y);
			const float add[3] = {230.0f, 235.0f, 255.0f};
			for (int k = 0; k < 3; ++k)
			{
				p[k] = static_cast<uint8_t>(
				    std::min(255.0f, p[k] * (1.0f - std::min(light, 1.0f)) + add[k] * light));
			}
		}
	}
	return image;
}

} // namespace

FarFirRow FarFirLayout()
{
	FarFirRow row;
	Random random(18);
	for (float x = 10.0f; x < row.width; x += random.Uniform(25.0f, 55.0f))
	{
		row.firs.push_back({x, random.Uniform(0.55f, 0.95f) * row.height, random.Uniform(30.0f, 50.0f)});
	}
	return row;
}

namespace
{
// A row of fir silhouettes, cut out with alpha (zero outside, so the alpha test drops it).
Image FarFirs()
{
	const FarFirRow row = FarFirLayout();
	// Each fir has its own number of branch tiers; seeded in layout order, so the same every build.
	Random random(23);
	std::vector<float> tiers;
	for (size_t i = 0; i < row.firs.size(); ++i)
	{
		tiers.push_back(random.Uniform(6.0f, 10.0f));
	}
	const TileNoise snowNoise(24, 32, row.width);
	// Seven tenths of the needles' and the snow's colours: their shade at that distance.
	const Color needles = Hex(0x0f1b15), snow = Hex(0x919aa5);
	return Paint(row.width, row.height,
	             [&](float x, float y)
	             {
		             const float up = row.height - y;
		             for (size_t i = 0; i < row.firs.size(); ++i)
		             {
			             const FarFir& fir = row.firs[i];
			             if (up >= fir.height)
			             {
				             continue;
			             }
			             // Each tier droops: widest at its foot, drawn in towards the next one up.
			             const float tier = up / fir.height * tiers[i];
			             const float rise = tier - std::floor(tier);
			             const float half =
			                 fir.width * 0.5f * (1.0f - up / fir.height) * (1.0f - 0.45f * rise);
			             const float offset = std::fabs(x - fir.x);
			             if (offset < half)
			             {
				             // Snow lies on the outer branches near each tier's foot, in patches.
				             const float lying = (rise < 0.3f ? 1.0f - rise / 0.3f : 0.0f) * (offset / half);
				             const float cover = Clamp01(lying * 1.6f - 0.5f + 0.6f * snowNoise(x, y, 2));
				             return Mix(needles, snow, cover * 0.8f);
			             }
		             }
		             return WithAlpha(needles, 0.0f);
	             });
}

Image Glass()
{
	const int size = 128;
	const TileNoise frost(71, 8, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float u = x / size * 2.0f - 1.0f, v = y / size * 2.0f - 1.0f;
		             const float corner = std::max(0.0f, std::max(std::fabs(u), std::fabs(v)) - 0.6f) * 2.5f;
		             const float ice = Clamp01(corner * (0.6f + frost(x, y)));
		             return Color{0.75f + 0.25f * ice, 0.85f + 0.15f * ice, 1.0f, 0.1f + 0.55f * ice};
	             });
}

Image RadialGlow(uint32_t rgb, float falloff)
{
	const int size = 128;
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float u = x / size * 2.0f - 1.0f, v = y / size * 2.0f - 1.0f;
		             const float r = std::sqrt(u * u + v * v);
		             const float a = std::pow(Clamp01(1.0f - r), falloff);
		             return WithAlpha(Hex(rgb), a);
	             });
}

const Color kNeedleRoot = Hex(0x17391f);
const Color kNeedleTip = Hex(0x64a655);

// Needles drawn one by one into a square picture. Each remembers, per texel it covers, how far
// along the needle the texel lies and how far from its axis, so that a needle can be painted dark
// where it grows and fresh green at its tip, rounded across its width, with a shade of its own.
class NeedleCanvas
{
public:
	struct Texel
	{
		float along = -1.0f; // 0 where the needle grows, 1 at its tip; -1 where no needle is
		float across = 0.0f; // 0 on the needle's axis, 1 at its edge
		float shade = 1.0f;
	};

	explicit NeedleCanvas(int size) : size(size), texels(static_cast<size_t>(size) * size) {}

	// A later needle lies over the earlier ones.
	void Needle(float ax, float ay, float bx, float by, float radius, float shade)
	{
		const Distance d = Capsule(ax, ay, bx, by, radius);
		const float dx = bx - ax, dy = by - ay, lengthSquared = dx * dx + dy * dy;
		const int x0 = std::max(static_cast<int>(std::min(ax, bx) - radius - 1.0f), 0);
		const int y0 = std::max(static_cast<int>(std::min(ay, by) - radius - 1.0f), 0);
		const int x1 = std::min(static_cast<int>(std::max(ax, bx) + radius + 2.0f), size);
		const int y1 = std::min(static_cast<int>(std::max(ay, by) + radius + 2.0f), size);
		for (int y = y0; y < y1; ++y)
		{
			for (int x = x0; x < x1; ++x)
			{
				const float px = x + 0.5f, py = y + 0.5f, inside = d(px, py);
				if (inside < 0.0f)
				{
					const float t = Clamp01(((px - ax) * dx + (py - ay) * dy) / lengthSquared);
					texels[static_cast<size_t>(y) * size + x] = {t, 1.0f + inside / radius, shade};
				}
			}
		}
	}

	// The same needle and its copies a picture's width or height away, for a picture that tiles.
	void WrappedNeedle(float ax, float ay, float bx, float by, float radius, float shade)
	{
		for (int oy = -1; oy <= 1; ++oy)
		{
			for (int ox = -1; ox <= 1; ++ox)
			{
				const float sx = static_cast<float>(ox * size), sy = static_cast<float>(oy * size);
				Needle(ax + sx, ay + sy, bx + sx, by + sy, radius, shade);
			}
		}
	}

	const Texel& At(float x, float y) const
	{
		return texels[static_cast<size_t>(y) * size + static_cast<size_t>(x)];
	}

	// The needle's colour at a texel it covers: dark green where it grows, fresh at its tip,
	// darker towards its edges.
	static Color Paint(const Texel& n, float light)
	{
		const float l = light * n.shade * (1.0f - 0.35f * n.across * n.across);
		const Color c = Mix(kNeedleRoot, kNeedleTip, std::pow(n.along, 0.8f));
		return Color{c.r * l, c.g * l, c.b * l, 1.0f};
	}

private:
	int size;
	std::vector<Texel> texels;
};

// Fir branch: a brown twig up the middle of the picture with needles either side, transparent
// between them. The transparent texels carry the needles' middle green: the smaller mipmaps
// average them in, and black there would draw dark rims round the spray.
Image NeedleBranch()
{
	const int size = 256;
	Random random(81);
	NeedleCanvas needles(size);
	for (float y = 8.0f; y < size - 4; y += 3.5f)
	{
		const float reach = NeedleReach(1.0f - y / size) * size;
		for (int side = -1; side <= 1; side += 2)
		{
			const float length = reach * random.Uniform(0.6f, 1.0f);
			const float rise = random.Uniform(0.22f, 0.35f);
			needles.Needle(size * 0.5f, y, size * 0.5f + side * length, y - length * rise,
			               kNeedleStroke * size, random.Uniform(0.8f, 1.15f));
		}
	}
	const TileNoise tint(82, 16, size);
	const Color twig = Hex(0x4d3522);
	const Color clear = WithAlpha(Mix(kNeedleRoot, kNeedleTip, 0.45f), 0.0f);
	const Distance twigShape = Capsule(size * 0.5f, 0.0f, size * 0.5f, static_cast<float>(size), 2.2f);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             if (twigShape(x, y) < 0.0f)
		             {
			             return twig;
		             }
		             const NeedleCanvas::Texel& n = needles.At(x, y);
		             return n.along < 0.0f ? clear : NeedleCanvas::Paint(n, 0.9f + 0.2f * tint(x, y));
	             });
}

// The tree's body inside the branches: a thicket of short needles, all leaning down the cone,
// over a dark core. It tiles.
Image FirBody()
{
	const int size = 256;
	Random random(19);
	NeedleCanvas needles(size);
	for (int i = 0; i < 2600; ++i)
	{
		const float x = random.Uniform(0.0f, static_cast<float>(size)),
		            y = random.Uniform(0.0f, static_cast<float>(size));
		const float angle = random.Uniform(-0.45f, 0.45f), length = random.Uniform(9.0f, 20.0f);
		needles.WrappedNeedle(x, y, x + std::sin(angle) * length, y + std::cos(angle) * length, 1.1f,
		                      random.Uniform(0.55f, 1.0f));
	}
	const Color core = Hex(0x0f2414);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const NeedleCanvas::Texel& n = needles.At(x, y);
		             return n.along < 0.0f ? core : NeedleCanvas::Paint(n, 0.85f);
	             });
}

Image ClockFace()
{
	const int size = 512;
	Canvas canvas(size, size);
	const float c = size * 0.5f;
	canvas.Fill(Hex(0x3a2414));
	FillShape(canvas, CircleBounds(c, c, c, c), Ellipse(c, c, c * 0.98f, c * 0.98f), Hex(0xf1e6cc));
	for (int tick = 0; tick < 60; ++tick)
	{
		const float angle = tick * kPi / 30.0f;
		const float outer = c * 0.92f, inner = tick % 5 == 0 ? c * 0.8f : c * 0.87f;
		const float sx = std::sin(angle), sy = -std::cos(angle);
		FillShape(canvas, Box{0, 0, static_cast<float>(size), static_cast<float>(size)},
		          Capsule(c + sx * inner, c + sy * inner, c + sx * outer, c + sy * outer,
		                  tick % 5 == 0 ? 5.0f : 2.0f),
		          Hex(0x1c1410));
	}
	const char* numerals[] = {"12", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"};
	for (int hour = 0; hour < 12; ++hour)
	{
		const TextInk ink = Fonts::Display().Render(numerals[hour], 60.0f, 1.0f, 2);
		const float angle = hour * kPi / 6.0f;
		const float x = c + std::sin(angle) * c * 0.64f - ink.mask.width * 0.5f;
		const float y = c - std::cos(angle) * c * 0.64f - ink.mask.height * 0.5f;
		canvas.PaintMask(ink.mask, static_cast<int>(x), static_cast<int>(y), Hex(0x1c1410));
	}
	return canvas.ToImage();
}

Image Stocking(uint32_t knit, uint32_t seed)
{
	const int size = 128;
	const TileNoise noise(seed, 16, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float v = 1.0f - y / size;
		             const float rib = 0.85f + 0.15f * std::sin(x * 0.8f);
		             if (v > 0.78f)
		             {
			             return Scale(Hex(0xf4f1ea), 0.9f + 0.1f * noise(x, y));
		             }
		             const bool band = std::fmod(v * 10.0f, 1.0f) < 0.12f;
		             return Scale(band ? Hex(0xf4f1ea) : Hex(knit), rib);
	             });
}

Image Fur(uint32_t rgb, uint32_t seed)
{
	const int size = 128;
	const TileNoise noise(seed, 64, size);
	return Paint(size, size,
	             [&](float x, float y) { return Scale(Hex(rgb), 0.75f + 0.5f * noise(x, y, 2)); });
}

Image LogEnd()
{
	const int size = 128;
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float u = x / size * 2.0f - 1.0f, v = y / size * 2.0f - 1.0f;
		             const float r = std::sqrt(u * u + v * v);
		             return r > 0.9f ? Hex(0x3a2414)
		                             : Scale(Hex(0xc89a62), 0.8f + 0.2f * std::sin(r * 40.0f));
	             });
}

Image Curtain()
{
	const int size = 256;
	const TileNoise noise(91, 16, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float fold = 0.75f + 0.25f * std::sin(x / size * 8.0f * kPi);
		             return Scale(Mix(Hex(0x8c1a24), Hex(0xb02a34), noise(x, y)), fold);
	             });
}

// Flames for the fire: bright streaks that repeat along v, fading at both sides in u (the
// texture scrolls along v, so the shape across stays put).
Image Flame()
{
	const int size = 128;
	const TileNoise streaks(101, 8, size);
	return Paint(size, size,
	             [&](float x, float y)
	             {
		             const float u = x / size * 2.0f - 1.0f;
		             const float across = std::pow(Clamp01(1.0f - u * u), 1.5f);
		             const float n = streaks(x * 4.0f, y * 0.5f, 3);
		             const float heat = Clamp01(across * (0.4f + 1.2f * n));
		             return WithAlpha(Mix(Hex(0xc23a08), Hex(0xffe08a), heat), heat);
	             });
}

// A sphere map of the lit room: warm spots on a dark ground, blurred.
Image Reflection()
{
	const int size = 256;
	Canvas canvas(size, size);
	canvas.Fill(Hex(0x1a1410));
	AddGlow(canvas, size * 0.35f, size * 0.4f, size * 0.12f, Hex(0xffb060), 1.2f);
	AddGlow(canvas, size * 0.7f, size * 0.3f, size * 0.06f, Hex(0xffe0a0), 1.0f);
	AddGlow(canvas, size * 0.55f, size * 0.75f, size * 0.2f, Hex(0x603020), 0.8f);
	AddGlow(canvas, size * 0.2f, size * 0.2f, size * 0.05f, Hex(0x8090c0), 0.6f);
	return canvas.ToImage();
}

Image VerticalGlow(uint32_t rgb, float from, float to)
{
	const int size = 64;
	return Paint(size, size,
	             [&](float, float y) { return Scale(Hex(rgb), SmoothStep(from, to, 1.0f - y / size)); });
}
} // namespace

void TextureSet::Add(const std::string& name, Image image, bool withAlpha)
{
	entries[name] = Entry{std::move(image), withAlpha};
}

const Image* TextureSet::Find(const std::string& name) const
{
	const auto it = entries.find(name);
	return it == entries.end() ? nullptr : &it->second.image;
}

Color TextureSet::Sample(const std::string& name, float u, float v) const
{
	const Image* image = Find(name);
	if (!image)
	{
		return Color{1.0f, 1.0f, 1.0f, 1.0f};
	}
	const float fu = u - std::floor(u), fv = v - std::floor(v);
	const int x = std::min(static_cast<int>(fu * image->width), image->width - 1);
	const int y = std::min(static_cast<int>((1.0f - fv) * image->height), image->height - 1);
	const uint8_t* p = image->Pixel(x, y);
	return Color{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f};
}

Vec3 TextureSet::MeanColour(const std::string& name) const
{
	const Image* image = Find(name);
	if (!image)
	{
		return {0.5f, 0.5f, 0.5f};
	}
	double sum[3] = {0.0, 0.0, 0.0};
	for (size_t i = 0; i < image->rgba.size(); i += 4)
	{
		for (int k = 0; k < 3; ++k)
		{
			sum[k] += image->rgba[i + k];
		}
	}
	const double scale = 1.0 / (255.0 * image->width * image->height);
	return {static_cast<float>(sum[0] * scale), static_cast<float>(sum[1] * scale),
	        static_cast<float>(sum[2] * scale)};
}

void TextureSet::Save(const std::filesystem::path& folder) const
{
	for (const auto& [name, entry] : entries)
	{
		WriteTga(folder / "Textures" / name, entry.image, entry.withAlpha ? 32 : 24, TgaKind::Uncompressed);
	}
}

void TextureSet::PaintAll()
{
	Add("tex_floor.tga", Floor(), false);
	Add("tex_wallpaper.tga", Wallpaper(), false);
	Add("tex_panelling.tga", Panelling(), false);
	Add("tex_ceiling.tga", Plaster(), false);
	Add("tex_wood.tga", Wood(0x8a5a30, 0x4a2a14, 2, 512), false);
	Add("tex_darkwood.tga", Wood(0x5a3418, 0x2a160a, 3, 256), false);
	Add("tex_paint.tga", Swatch(0xf2ede2, 0.05f, 4), false);
	Add("tex_bricks.tga", Bricks(0.0f, 5), false);
	Add("tex_soot.tga", Bricks(0.75f, 6), false);
	Add("tex_hearth.tga", Swatch(0x6e6a66, 0.3f, 7), false);
	Add("tex_rug.tga", Rug(), false);
	Add("tex_upholstery.tga", Upholstery(), false);
	Add("tex_paper_red.tga", WrappingPaper(0xa01818, 0xe8c860, false, 8), false);
	Add("tex_paper_green.tga", WrappingPaper(0x1c5a2c, 0xf0f0f0, true, 9), false);
	Add("tex_paper_blue.tga", WrappingPaper(0x1c3c7a, 0xe0e0f0, false, 10), false);
	Add("tex_paper_gold.tga", WrappingPaper(0xc8a040, 0x9a1818, true, 11), false);
	Add("tex_ribbon.tga", Swatch(0xe0b040, 0.2f, 12), false);
	Add("tex_ribbon_red.tga", Swatch(0xc01a1a, 0.2f, 13), false);
	Add("tex_books.tga", Books(), false);
	Add("tex_painting1.tga", Painting(0x2a3a6a, 0x5a6a8a, 14), false);
	Add("tex_painting2.tga", Painting(0xc07040, 0x6a5a4a, 15), false);
	Add("tex_gold.tga", Swatch(0xb8913a, 0.3f, 16), false);
	Add("tex_snow.tga", Snow(17), false);
	Add("tex_sky.tga", Sky(), false);
	Add("tex_farfirs.tga", FarFirs(), true);
	Add("tex_glass.tga", Glass(), true);
	Add("ad_fireglow.tga", RadialGlow(0xff8a30, 2.0f), true);
	Add("ad_lampglow.tga", RadialGlow(0xffd890, 2.5f), true);

	Add("tex_needles.tga", NeedleBranch(), true);
	Add("tex_firbody.tga", FirBody(), false);
	Add("tex_bark.tga", Wood(0x5a4030, 0x2a1c12, 20, 128), false);
	Add("tex_bauble_red.tga", Swatch(0xb01020, 0.1f, 21), false);
	Add("tex_bauble_gold.tga", Swatch(0xd0a030, 0.1f, 22), false);
	Add("tex_bauble_blue.tga", Swatch(0x2040b0, 0.1f, 23), false);
	Add("tex_bauble_silver.tga", Swatch(0xc0c8d0, 0.1f, 24), false);
	Add("tex_reflection2.tga", Reflection(), false);
	Add("tex_star.tga", Swatch(0xf0c850, 0.1f, 25), false);
	Add("tex_star_i.tga", Swatch(0xffd060, 0.1f, 26), false);
	Add("tex_tinsel.tga", Swatch(0xd8c070, 0.6f, 27), false);
	Add("tex_bulbs.tga", Swatch(0xfff0c0, 0.1f, 28), false);
	Add("tex_bulbs_i.tga", Swatch(0xffc860, 0.1f, 29), false);
	Add("tex_candle.tga", Swatch(0xc8242a, 0.1f, 30), false);
	Add("tex_candle_i.tga", VerticalGlow(0xff9a40, 0.55f, 1.0f), false);
	Add("tex_wick.tga", Swatch(0x202020, 0.1f, 31), false);
	Add("tex_brass.tga", Swatch(0xb08a40, 0.3f, 32), false);
	Add("tex_clockface.tga", ClockFace(), false);
	Add("tex_hands.tga", Swatch(0x15100c, 0.1f, 33), false);
	Add("tex_secondhand.tga", Swatch(0xa01010, 0.1f, 34), false);
	Add("tex_steel.tga", Swatch(0x8a8a90, 0.3f, 35), false);
	Add("tex_loco.tga", Swatch(0x9a1414, 0.15f, 36), false);
	Add("tex_black.tga", Swatch(0x202024, 0.2f, 37), false);
	Add("tex_wagon.tga", Swatch(0x1e5a30, 0.15f, 38), false);
	Add("tex_wagon2.tga", Swatch(0x1e3a7a, 0.15f, 39), false);
	Add("tex_stocking.tga", Stocking(0xb01818, 40), false);
	Add("tex_stocking2.tga", Stocking(0x1a6a34, 41), false);
	Add("tex_teddy.tga", Fur(0x8a5a30, 42), false);
	Add("tex_logend.tga", LogEnd(), false);
	Add("tex_embers_i.tga", Swatch(0x3a1204, 0.6f, 45), false);
	Add("tex_lampshade.tga", LampShade(), false);
	Add("tex_lampshade_i.tga", VerticalGlow(0xc08040, 0.0f, 1.0f), false);
	Add("tex_curtain.tga", Curtain(), false);
	Add("tex_garland.tga", Swatch(0x1a4a22, 0.3f, 44), false);
	Add("add_flame.tga", Flame(), true);
}
