#include "tools/content/Ornaments.h"

#include <cmath>

namespace
{
constexpr float kPi = 3.14159265f;

Point Place(float x, float y, float cx, float cy, float turn, float aspect)
{
	const float c = std::cos(turn);
	const float s = std::sin(turn);
	return {cx + (x * c - y * s) * aspect, cy + x * s + y * c};
}

// A holly leaf along +x from the origin: length 1, with three spikes a side.
std::vector<Point> HollyLeaf(float cx, float cy, float length, float turn, float aspect)
{
	std::vector<Point> points;
	constexpr int kSteps = 12;
	for (int side = 0; side < 2; ++side)
	{
		for (int i = 0; i <= kSteps; ++i)
		{
			const int k = side == 0 ? i : kSteps - i;
			const float t = static_cast<float>(k) / kSteps;
			float width = 0.3f * std::pow(Arch(t), 0.7f);
			if (k > 0 && k < kSteps)
			{
				width *= (k % 4 == 2) ? 1.25f : ((k % 4 == 0) ? 0.75f : 1.0f);
			}
			const float y = (side == 0 ? -width : width) * length;
			points.push_back(Place(t * length, y, cx, cy, turn, aspect));
		}
	}
	return points;
}
} // namespace

void DrawSparkle(Canvas& canvas, float cx, float cy, float radius, const Color& color, float aspect)
{
	AddGlow(canvas, cx, cy, radius * 0.35f, color, 0.7f, aspect);
	std::vector<Point> star;
	for (int i = 0; i < 8; ++i)
	{
		const float angle = kPi * 0.25f * static_cast<float>(i);
		const float r = (i % 2 == 0) ? radius : radius * 0.18f;
		star.push_back({cx + std::sin(angle) * r * aspect, cy - std::cos(angle) * r});
	}
	FillShape(canvas, BoundsOf(star, 2.0f), Polygon(star), Mix(color, Hex(0xFFFFFF), 0.6f));
}

void DrawHollySprig(Canvas& canvas, float cx, float cy, float scale, float turn, float aspect)
{
	const Color leafDark = Hex(0x124D22);
	const Color leafLight = Hex(0x3A9A48);
	for (const float angle : {turn + 2.6f, turn + 0.5f})
	{
		const std::vector<Point> leaf = HollyLeaf(cx, cy, scale, angle, aspect);
		FillShape(canvas, BoundsOf(leaf, 2.0f), Polygon(leaf), Hex(0x0A2410, 0.9f), 1.6f);
		const std::vector<Point> inner = HollyLeaf(cx, cy, scale * 0.94f, angle, aspect);
		FillShape(canvas, BoundsOf(inner, 2.0f), Polygon(inner),
		          [&](float x, float y)
		          {
			          const float t =
			              Clamp01(((x - cx) * std::cos(angle) + (y - cy) * std::sin(angle)) / scale);
			          return Mix(leafLight, leafDark, t);
		          });
		const Point tip = Place(scale * 0.9f, 0.0f, cx, cy, angle, aspect);
		FillShape(canvas,
		          {std::min(cx, tip.x) - 2, std::min(cy, tip.y) - 2, std::max(cx, tip.x) + 2,
		           std::max(cy, tip.y) + 2},
		          Capsule(cx, cy, tip.x, tip.y, std::max(0.4f, scale * 0.02f)), Hex(0x7CC47A, 0.7f));
	}
	const float berry = scale * 0.17f;
	const Point offsets[3] = {{-0.12f, -0.02f}, {0.12f, -0.06f}, {0.0f, 0.14f}};
	for (const Point& o : offsets)
	{
		const Point at = Place(o.x * scale, o.y * scale, cx, cy, turn, aspect);
		FillShape(canvas, CircleBounds(at.x, at.y, berry * aspect + 1, berry + 1),
		          Ellipse(at.x, at.y, berry * aspect + 0.8f, berry + 0.8f), Hex(0x3A0408, 0.9f));
		FillShape(canvas, CircleBounds(at.x, at.y, berry * aspect, berry),
		          Ellipse(at.x, at.y, berry * aspect, berry),
		          [&](float x, float y)
		          {
			          const float d =
			              std::hypot((x - at.x) / aspect + berry * 0.35f, y - at.y + berry * 0.35f) /
			              (berry * 1.6f);
			          return Mix(Hex(0xFF4A4A), Hex(0x9A0A14), Clamp01(d));
		          });
		FillShape(canvas, CircleBounds(at.x, at.y, berry, berry),
		          Ellipse(at.x - berry * 0.35f * aspect, at.y - berry * 0.35f, berry * 0.25f * aspect,
		                  berry * 0.25f),
		          Hex(0xFFFFFF, 0.8f));
	}
}

void DrawBauble(Canvas& canvas, float cx, float cy, float radius, const Color& glass, float aspect)
{
	const float rx = radius * aspect;
	// Cap and hanging loop.
	const float capTop = cy - radius * 1.12f;
	const Distance loopCircle = Ellipse(cx, capTop - radius * 0.12f, rx * 0.11f, radius * 0.11f);
	FillShape(
	    canvas, {cx - rx * 0.3f, capTop - radius * 0.3f, cx + rx * 0.3f, capTop},
	    [&](float x, float y) { return std::fabs(loopCircle(x, y)) - std::max(0.6f, radius * 0.025f); },
	    Hex(0xC9A14A));
	const std::vector<Point> cap = {{cx - rx * 0.24f, capTop},
	                                {cx + rx * 0.24f, capTop},
	                                {cx + rx * 0.26f, cy - radius * 0.9f},
	                                {cx - rx * 0.26f, cy - radius * 0.9f}};
	FillShape(canvas, BoundsOf(cap, 2.0f), Polygon(cap),
	          [&](float x, float)
	          {
		          const float t = Clamp01((x - (cx - rx * 0.26f)) / (rx * 0.52f));
		          return Mix(Hex(0xFFE9A0), Hex(0x8A5A12), t);
	          });
	// Glass: lit from the upper left, a warm rim from the fire below right.
	FillShape(canvas, CircleBounds(cx, cy, rx, radius), Ellipse(cx, cy, rx, radius),
	          [&](float x, float y)
	          {
		          const float dx = (x - cx) / rx + 0.35f;
		          const float dy = (y - cy) / radius + 0.4f;
		          const float d = Clamp01(std::sqrt(dx * dx + dy * dy) / 1.5f);
		          Color c = Mix(Mix(glass, Hex(0xFFD0C0), 0.25f), Mix(glass, Hex(0x000000), 0.75f), d);
		          const float rim = SmoothStep(0.75f, 1.0f, std::hypot((x - cx) / rx, (y - cy) / radius)) *
		                            Clamp01((x - cx) / rx + (y - cy) / radius);
		          return Mix(c, Hex(0xFFB347), rim * 0.6f);
	          });
	FillShape(canvas, CircleBounds(cx, cy, rx, radius),
	          Ellipse(cx - rx * 0.38f, cy - radius * 0.42f, rx * 0.22f, radius * 0.14f), Hex(0xFFFFFF, 0.75f),
	          2.0f);
	AddGlow(canvas, cx - rx * 0.42f, cy - radius * 0.45f, radius * 0.08f, Hex(0xFFFFFF), 0.8f, aspect);
}

void DrawStarburst(Canvas& canvas, float cx, float cy, float radius, const Color& color, int rays, float turn,
                   float aspect)
{
	for (int i = 0; i < rays; ++i)
	{
		const float angle = turn + 2.0f * kPi * static_cast<float>(i) / static_cast<float>(rays);
		const float s = std::sin(angle) * aspect;
		const float c = -std::cos(angle);
		const float inner = radius * 0.35f;
		const float ax = cx + s * inner;
		const float ay = cy + c * inner;
		const float bx = cx + s * radius * 0.85f;
		const float by = cy + c * radius * 0.85f;
		const Box bounds{std::min(ax, bx) - 3, std::min(ay, by) - 3, std::max(ax, bx) + 3,
		                 std::max(ay, by) + 3};
		FillShape(canvas, bounds, Capsule(ax, ay, bx, by, std::max(0.5f, radius * 0.03f)),
		          WithAlpha(color, 0.85f));
		AddGlow(canvas, cx + s * radius, cy + c * radius, std::max(0.8f, radius * 0.06f), color, 1.0f,
		        aspect);
	}
	AddGlow(canvas, cx, cy, radius * 0.25f, color, 0.5f, aspect);
}

void DrawFirTree(Canvas& canvas, float cx, float baseY, float height, float width, const Color& needles,
                 const Color& snow, Random& random, bool lit)
{
	const float trunk = height * 0.06f;
	const std::vector<Point> stem = {{cx - width * 0.05f, baseY},
	                                 {cx + width * 0.05f, baseY},
	                                 {cx + width * 0.05f, baseY - trunk * 2},
	                                 {cx - width * 0.05f, baseY - trunk * 2}};
	FillShape(canvas, BoundsOf(stem, 2.0f), Polygon(stem), Mix(needles, Hex(0x1A0E08), 0.5f));
	constexpr int kTiers = 4;
	std::vector<Point> lights;
	for (int tier = 0; tier < kTiers; ++tier)
	{
		const float t = static_cast<float>(tier) / kTiers;
		const float bottom = baseY - trunk - (height - trunk) * t * 0.82f;
		const float top = bottom - (height - trunk) * 0.42f;
		const float half = width * 0.5f * (1.0f - t * 0.72f);
		const std::vector<Point> tierShape = {
		    {cx - half, bottom},         {cx - half * 0.5f, bottom - half * 0.08f},
		    {cx, bottom + half * 0.05f}, {cx + half * 0.5f, bottom - half * 0.08f},
		    {cx + half, bottom},         {cx, top}};
		FillShape(canvas, BoundsOf(tierShape, 2.0f), Polygon(tierShape),
		          [&](float x, float y)
		          {
			          const float shade = Clamp01((x - cx) / (half * 2.0f) + 0.5f) * 0.5f +
			                              Clamp01((y - top) / (bottom - top)) * 0.2f;
			          return Mix(needles, Mix(needles, Hex(0x000000), 0.6f), shade);
		          });
		// Snow lies along the upper left edge of each tier.
		const float tierHeight = bottom - top;
		const std::vector<Point> cap = {{cx - half * 0.96f, bottom - 1},
		                                {cx, top},
		                                {cx + half * 0.1f, top + tierHeight * 0.14f},
		                                {cx - half * 0.3f, bottom - tierHeight * 0.32f},
		                                {cx - half * 0.68f, bottom - tierHeight * 0.08f}};
		FillShape(canvas, BoundsOf(cap, 2.0f), Polygon(cap),
		          [&](float x, float y)
		          {
			          return WithAlpha(snow, 0.5f + 0.3f * Clamp01(1.0f - (x - cx + half) / (half * 1.2f)) -
			                                     0.25f * Clamp01((y - top) / (bottom - top)));
		          });
		if (lit)
		{
			for (int i = 0; i < 10 - tier * 2; ++i)
			{
				const float u = random.Uniform(-0.8f, 0.8f);
				const float v = random.Uniform(0.35f, 0.9f);
				lights.push_back({cx + u * half * v, top + (bottom - top) * v});
			}
		}
	}
	const Color palette[5] = {Hex(0xFF4030), Hex(0xFFC040), Hex(0x40E060), Hex(0x4080FF), Hex(0xC060FF)};
	for (size_t i = 0; i < lights.size(); ++i)
	{
		const Color& light = palette[i % 5];
		AddGlow(canvas, lights[i].x, lights[i].y, std::max(1.0f, width * 0.045f), light, 0.8f);
		AddGlow(canvas, lights[i].x, lights[i].y, std::max(0.6f, width * 0.014f),
		        Mix(light, Hex(0xFFFFFF), 0.6f), 1.0f);
	}
	if (lit)
	{
		const float starY = baseY - height - width * 0.02f;
		DrawSparkle(canvas, cx, starY, width * 0.11f, Hex(0xFFD060));
	}
}
