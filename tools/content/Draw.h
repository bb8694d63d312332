#pragma once

#include "tools/content/Image.h"

#include <cstdint>
#include <functional>
#include <vector>

// A tiny drawing library for the content builder: float pictures with premultiplied alpha,
// antialiased shapes from signed distances, blurs and deterministic noise. Everything here is
// plain arithmetic on fixed seeds, so the same calls always give the same bytes.

struct Color
{
	float r = 0.0f;
	float g = 0.0f;
	float b = 0.0f;
	float a = 1.0f;
};

// 0xRRGGBB.
Color Hex(uint32_t rgb, float alpha = 1.0f);
Color Mix(const Color& from, const Color& to, float t);
Color WithAlpha(const Color& color, float alpha);
float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float v);
// A half sine over 0..1: 0 at both ends, 1 in the middle, never negative (safe under pow).
float Arch(float t);

// One channel of coverage or alpha, 0 to 1.
struct Mask
{
	int width = 0;
	int height = 0;
	std::vector<float> values;

	Mask() = default;
	Mask(int w, int h) : width(w), height(h), values(static_cast<size_t>(w) * h, 0.0f) {}
	float& At(int x, int y) { return values[static_cast<size_t>(y) * width + x]; }
	float At(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
	// Zero outside the mask, so callers can sample shifted copies freely.
	float Sample(int x, int y) const;
};

// Gaussian-like blur (three box passes each way); radius in pixels.
Mask Blur(const Mask& mask, float radius);
// Grows the covered area by about `radius` pixels with a soft edge (for outlines and halos).
Mask Grow(const Mask& mask, float radius);

// RGBA picture with premultiplied alpha, top row first.
class Canvas
{
public:
	Canvas() = default;
	Canvas(int w, int h);

	int Width() const { return width; }
	int Height() const { return height; }

	void Fill(const Color& color);
	// Straight-alpha colour painted over the pixel with the given coverage.
	void Over(int x, int y, const Color& color, float coverage = 1.0f);
	// Light added to the pixel (glows on an opaque picture; on a transparent one the alpha
	// grows with the light, which is what additive sprites want).
	void Add(int x, int y, const Color& color, float amount);
	void Multiply(int x, int y, float factor);
	// Paints `source` over this picture with its top-left corner at (x, y).
	void Draw(const Canvas& source, int x, int y);
	// Paints a coverage mask in one colour, or in a colour per pixel.
	void PaintMask(const Mask& mask, int x, int y, const Color& color);
	void PaintMask(const Mask& mask, int x, int y, const std::function<Color(int, int)>& colorAt);

	Color Get(int x, int y) const; // straight alpha
	Mask Alpha() const;
	Image ToImage() const;
	// Area-average downscale by a whole factor (used to draw large and store small).
	Canvas Downscaled(int factor) const;

private:
	float* At(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
	const float* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }

	int width = 0;
	int height = 0;
	std::vector<float> pixels;
};

// Signed distance in pixels: negative inside the shape.
using Distance = std::function<float(float x, float y)>;

struct Box
{
	float x0 = 0.0f;
	float y0 = 0.0f;
	float x1 = 0.0f;
	float y1 = 0.0f;
};

// Antialiased fill of a shape bounded by `bounds`; `soft` widens the edge for blurry shapes.
void FillShape(Canvas& canvas, const Box& bounds, const Distance& shape, const Color& color,
               float soft = 1.0f);
void FillShape(Canvas& canvas, const Box& bounds, const Distance& shape,
               const std::function<Color(float, float)>& colorAt, float soft = 1.0f);

Distance Ellipse(float cx, float cy, float rx, float ry);
Distance Capsule(float ax, float ay, float bx, float by, float radius);
struct Point
{
	float x = 0.0f;
	float y = 0.0f;
};
Distance Polygon(std::vector<Point> points);
Box BoundsOf(const std::vector<Point>& points, float margin);
Box CircleBounds(float cx, float cy, float rx, float ry);

// A soft round light: colour added with a Gaussian falloff of the given radius (sigma).
void AddGlow(Canvas& canvas, float cx, float cy, float sigma, const Color& color, float strength,
             float aspect = 1.0f);

// Deterministic pseudo-random numbers (xorshift), one stream per seed.
class Random
{
public:
	explicit Random(uint32_t seed);
	uint32_t Next();
	float Uniform(float low, float high);
	int Below(int n);

private:
	uint32_t state;
};

// Smooth value noise in 0..1 with `octaves` layers, repeating every `period` cells.
class Noise
{
public:
	explicit Noise(uint32_t seed, int period = 256);
	float Value(float x, float y) const;
	float Fractal(float x, float y, int octaves) const;

private:
	float Lattice(int x, int y) const;

	int period;
	std::vector<float> table;
};
