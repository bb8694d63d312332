#include "tools/content/Draw.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

Color Hex(uint32_t rgb, float alpha)
{
	return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, alpha};
}

Color Mix(const Color& from, const Color& to, float t)
{
	return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
	        from.a + (to.a - from.a) * t};
}

Color WithAlpha(const Color& color, float alpha)
{
	return {color.r, color.g, color.b, alpha};
}

float Clamp01(float v)
{
	return std::clamp(v, 0.0f, 1.0f);
}

float SmoothStep(float edge0, float edge1, float v)
{
	const float t = Clamp01((v - edge0) / (edge1 - edge0));
	return t * t * (3.0f - 2.0f * t);
}

float Arch(float t)
{
	return std::max(0.0f, std::sin(3.14159265f * Clamp01(t)));
}

float Mask::Sample(int x, int y) const
{
	if (x < 0 || y < 0 || x >= width || y >= height)
	{
		return 0.0f;
	}
	return At(x, y);
}

namespace
{
// One box pass along a line of `count` values spaced `stride` apart; edges read as zero.
void BoxPass(float* line, int count, int stride, int radius, std::vector<float>& scratch)
{
	scratch.assign(static_cast<size_t>(count), 0.0f);
	const float scale = 1.0f / static_cast<float>(2 * radius + 1);
	float sum = 0.0f;
	for (int i = 0; i <= radius && i < count; ++i)
	{
		sum += line[i * stride];
	}
	for (int i = 0; i < count; ++i)
	{
		scratch[static_cast<size_t>(i)] = sum * scale;
		const int enter = i + radius + 1;
		const int leave = i - radius;
		if (enter < count)
		{
			sum += line[enter * stride];
		}
		if (leave >= 0)
		{
			sum -= line[leave * stride];
		}
	}
	for (int i = 0; i < count; ++i)
	{
		line[i * stride] = scratch[static_cast<size_t>(i)];
	}
}
} // namespace

Mask Blur(const Mask& mask, float radius)
{
	Mask result = mask;
	// Three box passes of this width approximate a Gaussian of sigma `radius`.
	const int box = std::max(0, static_cast<int>(std::lround(radius * 0.85f)));
	if (box == 0)
	{
		return result;
	}
	std::vector<float> scratch;
	for (int pass = 0; pass < 3; ++pass)
	{
		for (int y = 0; y < result.height; ++y)
		{
			BoxPass(&result.At(0, y), result.width, 1, box, scratch);
		}
		for (int x = 0; x < result.width; ++x)
		{
			BoxPass(&result.At(x, 0), result.height, result.width, box, scratch);
		}
	}
	return result;
}

Mask Grow(const Mask& mask, float radius)
{
	Mask grown = Blur(mask, radius * 0.5f);
	for (float& v : grown.values)
	{
		v = Clamp01(v * 3.0f);
	}
	for (size_t i = 0; i < grown.values.size(); ++i)
	{
		grown.values[i] = std::max(grown.values[i], mask.values[i]);
	}
	return grown;
}

Canvas::Canvas(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 4, 0.0f) {}

void Canvas::Fill(const Color& color)
{
	for (int y = 0; y < height; ++y)
	{
		for (int x = 0; x < width; ++x)
		{
			float* p = At(x, y);
			p[0] = color.r * color.a;
			p[1] = color.g * color.a;
			p[2] = color.b * color.a;
			p[3] = color.a;
		}
	}
}

void Canvas::Over(int x, int y, const Color& color, float coverage)
{
	if (x < 0 || y < 0 || x >= width || y >= height)
	{
		return;
	}
	const float a = Clamp01(color.a * coverage);
	float* p = At(x, y);
	p[0] = color.r * a + p[0] * (1.0f - a);
	p[1] = color.g * a + p[1] * (1.0f - a);
	p[2] = color.b * a + p[2] * (1.0f - a);
	p[3] = a + p[3] * (1.0f - a);
}

void Canvas::Add(int x, int y, const Color& color, float amount)
{
	if (x < 0 || y < 0 || x >= width || y >= height)
	{
		return;
	}
	float* p = At(x, y);
	const float a = color.a * amount;
	p[0] += color.r * a;
	p[1] += color.g * a;
	p[2] += color.b * a;
	p[3] = std::min(1.0f, p[3] + a);
}

void Canvas::Multiply(int x, int y, float factor)
{
	float* p = At(x, y);
	for (int c = 0; c < 4; ++c)
	{
		p[c] *= factor;
	}
}

void Canvas::Draw(const Canvas& source, int x, int y)
{
	for (int sy = 0; sy < source.height; ++sy)
	{
		for (int sx = 0; sx < source.width; ++sx)
		{
			const int tx = x + sx;
			const int ty = y + sy;
			if (tx < 0 || ty < 0 || tx >= width || ty >= height)
			{
				continue;
			}
			const float* s = source.At(sx, sy);
			float* p = At(tx, ty);
			for (int c = 0; c < 4; ++c)
			{
				p[c] = s[c] + p[c] * (1.0f - s[3]);
			}
		}
	}
}

void Canvas::PaintMask(const Mask& mask, int x, int y, const Color& color)
{
	PaintMask(mask, x, y, [&](int, int) { return color; });
}

void Canvas::PaintMask(const Mask& mask, int x, int y, const std::function<Color(int, int)>& colorAt)
{
	for (int my = 0; my < mask.height; ++my)
	{
		for (int mx = 0; mx < mask.width; ++mx)
		{
			const float coverage = mask.At(mx, my);
			if (coverage > 0.0f)
			{
				Over(x + mx, y + my, colorAt(x + mx, y + my), coverage);
			}
		}
	}
}

Color Canvas::Get(int x, int y) const
{
	const float* p = At(x, y);
	if (p[3] <= 0.0f)
	{
		return {0.0f, 0.0f, 0.0f, 0.0f};
	}
	return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

Mask Canvas::Alpha() const
{
	Mask mask(width, height);
	for (int y = 0; y < height; ++y)
	{
		for (int x = 0; x < width; ++x)
		{
			mask.At(x, y) = At(x, y)[3];
		}
	}
	return mask;
}

Image Canvas::ToImage() const
{
	for (const float v : pixels)
	{
		if (!std::isfinite(v))
		{
			throw std::runtime_error("a picture holds a value that is not a number");
		}
	}
	Image image(width, height);
	auto toByte = [](float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); };
	for (int y = 0; y < height; ++y)
	{
		for (int x = 0; x < width; ++x)
		{
			const Color c = Get(x, y);
			uint8_t* out = image.Pixel(x, y);
			out[0] = toByte(c.r);
			out[1] = toByte(c.g);
			out[2] = toByte(c.b);
			out[3] = toByte(c.a);
		}
	}
	return image;
}

Canvas Canvas::Downscaled(int factor) const
{
	Canvas result(width / factor, height / factor);
	const float scale = 1.0f / static_cast<float>(factor * factor);
	for (int y = 0; y < result.height; ++y)
	{
		for (int x = 0; x < result.width; ++x)
		{
			float* out = result.At(x, y);
			for (int sy = 0; sy < factor; ++sy)
			{
				for (int sx = 0; sx < factor; ++sx)
				{
					const float* in = At(x * factor + sx, y * factor + sy);
					for (int c = 0; c < 4; ++c)
					{
						out[c] += in[c] * scale;
					}
				}
			}
		}
	}
	return result;
}

namespace
{
template <typename ColorAt>
void FillShapeWith(Canvas& canvas, const Box& bounds, const Distance& shape, ColorAt&& colorAt, float soft)
{
	const int x0 = std::max(0, static_cast<int>(std::floor(bounds.x0)));
	const int y0 = std::max(0, static_cast<int>(std::floor(bounds.y0)));
	const int x1 = std::min(canvas.Width() - 1, static_cast<int>(std::ceil(bounds.x1)));
	const int y1 = std::min(canvas.Height() - 1, static_cast<int>(std::ceil(bounds.y1)));
	for (int y = y0; y <= y1; ++y)
	{
		for (int x = x0; x <= x1; ++x)
		{
			const float px = static_cast<float>(x) + 0.5f;
			const float py = static_cast<float>(y) + 0.5f;
			const float coverage = Clamp01(0.5f - shape(px, py) / soft);
			if (coverage > 0.0f)
			{
				canvas.Over(x, y, colorAt(px, py), coverage);
			}
		}
	}
}
} // namespace

void FillShape(Canvas& canvas, const Box& bounds, const Distance& shape, const Color& color, float soft)
{
	FillShapeWith(
	    canvas, bounds, shape, [&](float, float) { return color; }, soft);
}

void FillShape(Canvas& canvas, const Box& bounds, const Distance& shape,
               const std::function<Color(float, float)>& colorAt, float soft)
{
	FillShapeWith(canvas, bounds, shape, colorAt, soft);
}

Distance Ellipse(float cx, float cy, float rx, float ry)
{
	// Scaled circle distance: exact for circles, close enough for the mild ellipses drawn here.
	return [=](float x, float y)
	{
		const float dx = (x - cx) / rx;
		const float dy = (y - cy) / ry;
		const float k = std::sqrt(dx * dx + dy * dy);
		return (k - 1.0f) * std::min(rx, ry);
	};
}

Distance Capsule(float ax, float ay, float bx, float by, float radius)
{
	return [=](float x, float y)
	{
		const float dx = bx - ax;
		const float dy = by - ay;
		const float lengthSquared = dx * dx + dy * dy;
		const float t =
		    lengthSquared > 0.0f ? Clamp01(((x - ax) * dx + (y - ay) * dy) / lengthSquared) : 0.0f;
		const float ex = x - (ax + dx * t);
		const float ey = y - (ay + dy * t);
		return std::sqrt(ex * ex + ey * ey) - radius;
	};
}

Distance Polygon(std::vector<Point> points)
{
	return [points = std::move(points)](float x, float y)
	{
		float nearest = 1e30f;
		bool inside = false;
		const size_t count = points.size();
		for (size_t i = 0, j = count - 1; i < count; j = i++)
		{
			const Point& a = points[i];
			const Point& b = points[j];
			const float ex = b.x - a.x;
			const float ey = b.y - a.y;
			const float wx = x - a.x;
			const float wy = y - a.y;
			const float t = Clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
			const float dx = wx - ex * t;
			const float dy = wy - ey * t;
			nearest = std::min(nearest, dx * dx + dy * dy);
			if ((a.y > y) != (b.y > y) && x < ex * (y - a.y) / ey + a.x)
			{
				inside = !inside;
			}
		}
		const float distance = std::sqrt(nearest);
		return inside ? -distance : distance;
	};
}

Box BoundsOf(const std::vector<Point>& points, float margin)
{
	Box box{1e30f, 1e30f, -1e30f, -1e30f};
	for (const Point& p : points)
	{
		box.x0 = std::min(box.x0, p.x - margin);
		box.y0 = std::min(box.y0, p.y - margin);
		box.x1 = std::max(box.x1, p.x + margin);
		box.y1 = std::max(box.y1, p.y + margin);
	}
	return box;
}

Box CircleBounds(float cx, float cy, float rx, float ry)
{
	return {cx - rx - 2.0f, cy - ry - 2.0f, cx + rx + 2.0f, cy + ry + 2.0f};
}

void AddGlow(Canvas& canvas, float cx, float cy, float sigma, const Color& color, float strength,
             float aspect)
{
	const float reach = sigma * 3.0f;
	const int x0 = std::max(0, static_cast<int>(cx - reach * aspect));
	const int x1 = std::min(canvas.Width() - 1, static_cast<int>(cx + reach * aspect) + 1);
	const int y0 = std::max(0, static_cast<int>(cy - reach));
	const int y1 = std::min(canvas.Height() - 1, static_cast<int>(cy + reach) + 1);
	for (int y = y0; y <= y1; ++y)
	{
		for (int x = x0; x <= x1; ++x)
		{
			const float dx = (static_cast<float>(x) + 0.5f - cx) / aspect;
			const float dy = static_cast<float>(y) + 0.5f - cy;
			const float falloff = std::exp(-(dx * dx + dy * dy) / (2.0f * sigma * sigma));
			canvas.Add(x, y, color, strength * falloff);
		}
	}
}

Random::Random(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}

uint32_t Random::Next()
{
	state ^= state << 13;
	state ^= state >> 17;
	state ^= state << 5;
	return state;
}

float Random::Uniform(float low, float high)
{
	return low + (high - low) * static_cast<float>(Next() >> 8) / 16777216.0f;
}

int Random::Below(int n)
{
	return n > 0 ? static_cast<int>(Next() % static_cast<uint32_t>(n)) : 0;
}

Noise::Noise(uint32_t seed, int period) : period(period), table(static_cast<size_t>(period) * period)
{
	Random random(seed);
	for (float& v : table)
	{
		v = random.Uniform(0.0f, 1.0f);
	}
}

float Noise::Lattice(int x, int y) const
{
	const int wx = ((x % period) + period) % period;
	const int wy = ((y % period) + period) % period;
	return table[static_cast<size_t>(wy) * period + wx];
}

float Noise::Value(float x, float y) const
{
	const float fx = std::floor(x);
	const float fy = std::floor(y);
	const int ix = static_cast<int>(fx);
	const int iy = static_cast<int>(fy);
	auto smooth = [](float t) { return t * t * (3.0f - 2.0f * t); };
	const float tx = smooth(x - fx);
	const float ty = smooth(y - fy);
	const float top = Lattice(ix, iy) + (Lattice(ix + 1, iy) - Lattice(ix, iy)) * tx;
	const float bottom = Lattice(ix, iy + 1) + (Lattice(ix + 1, iy + 1) - Lattice(ix, iy + 1)) * tx;
	return top + (bottom - top) * ty;
}

float Noise::Fractal(float x, float y, int octaves) const
{
	float sum = 0.0f;
	float weight = 0.5f;
	float total = 0.0f;
	for (int i = 0; i < octaves; ++i)
	{
		sum += Value(x, y) * weight;
		total += weight;
		x *= 2.0f;
		y *= 2.0f;
		weight *= 0.5f;
	}
	return sum / total;
}
