#include "tools/room/Lightmap.h"

#include "tools/content/Draw.h"
#include "tools/room/RayCaster.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <stdexcept>
#include <thread>
#include <tuple>

namespace
{
// ---- Casters --------------------------------------------------------------------------

// Every triangle that casts a shadow: the lit objects (each remembered by object, run and
// triangle, for the light it bounces) and then the models; not the glass, glows or backdrops.
struct Casters
{
	std::vector<std::array<Vec3, 3>> triangles;
	std::vector<std::tuple<size_t, size_t, size_t>> sources;
};

std::array<Vec3, 3> Corners(const Triangle& t)
{
	return {t.corners[0].position, t.corners[1].position, t.corners[2].position};
}

Casters CollectCasters(const RoomLayout& layout, const std::vector<Triangle>& occluders)
{
	Casters casters;
	for (size_t o = 0; o < layout.objects.size(); ++o)
	{
		if (layout.objects[o].mode != LightmapMode::Baked)
		{
			continue;
		}
		for (size_t r = 0; r < layout.objects[o].runs.size(); ++r)
		{
			const std::vector<Triangle>& triangles = layout.objects[o].runs[r].mesh.triangles;
			for (size_t t = 0; t < triangles.size(); ++t)
			{
				casters.triangles.push_back(Corners(triangles[t]));
				casters.sources.push_back({o, r, t});
			}
		}
	}
	for (const Triangle& t : occluders)
	{
		casters.triangles.push_back(Corners(t));
	}
	return casters;
}

// ---- Charts ---------------------------------------------------------------------------

struct Chart
{
	int object = 0, run = 0, chart = 0;
	float s0 = 1e30f, t0 = 1e30f, s1 = -1e30f, t1 = -1e30f;
	float density = 0.0f;
	int width = 0, height = 0, x = 0, y = 0;
};

using ChartKey = std::tuple<size_t, size_t, int>; // object, run, chart of the run's mesh

struct ChartSet
{
	std::vector<Chart> charts;
	std::map<ChartKey, size_t> index;

	const Chart& Of(size_t object, size_t run, int chart) const
	{
		return charts[index.at({object, run, chart})];
	}
};

// One chart per chart number of every lit run, spanning the (s, t) of its triangles.
ChartSet MakeCharts(const RoomLayout& layout)
{
	ChartSet set;
	for (size_t o = 0; o < layout.objects.size(); ++o)
	{
		const SceneDraft& object = layout.objects[o];
		if (object.mode != LightmapMode::Baked)
		{
			continue;
		}
		for (size_t r = 0; r < object.runs.size(); ++r)
		{
			for (const Triangle& t : object.runs[r].mesh.triangles)
			{
				auto found = set.index.find({o, r, t.chart});
				if (found == set.index.end())
				{
					found = set.index.emplace(ChartKey{o, r, t.chart}, set.charts.size()).first;
					set.charts.push_back({static_cast<int>(o), static_cast<int>(r), t.chart});
				}
				Chart& chart = set.charts[found->second];
				for (const Corner& c : t.corners)
				{
					chart.s0 = std::min(chart.s0, c.s), chart.s1 = std::max(chart.s1, c.s);
					chart.t0 = std::min(chart.t0, c.t), chart.t1 = std::max(chart.t1, c.t);
				}
			}
		}
	}
	return set;
}

constexpr int kPad = 2;

// Shelf packing, tallest first. False when the charts do not fit.
bool Pack(std::vector<Chart*>& charts, int size)
{
	std::sort(charts.begin(), charts.end(),
	          [](const Chart* a, const Chart* b)
	          { return a->height != b->height ? a->height > b->height : a->width > b->width; });
	int x = 0, y = 0, shelf = 0;
	for (Chart* chart : charts)
	{
		if (chart->width > size)
		{
			return false;
		}
		if (x + chart->width > size)
		{
			x = 0;
			y += shelf;
			shelf = 0;
		}
		if (y + chart->height > size)
		{
			return false;
		}
		chart->x = x;
		chart->y = y;
		x += chart->width;
		shelf = std::max(shelf, chart->height);
	}
	return true;
}

// Every object's texel density, scaled down in steps of a tenth until the charts fit.
void PackCharts(ChartSet& set, const RoomLayout& layout, int size)
{
	for (float scale = 1.0f;; scale *= 0.9f)
	{
		std::vector<Chart*> order;
		for (Chart& chart : set.charts)
		{
			chart.density = layout.objects[chart.object].texelsPerUnit * scale;
			chart.width = static_cast<int>(std::ceil((chart.s1 - chart.s0) * chart.density)) + 2 * kPad + 1;
			chart.height = static_cast<int>(std::ceil((chart.t1 - chart.t0) * chart.density)) + 2 * kPad + 1;
			order.push_back(&chart);
		}
		if (Pack(order, size))
		{
			return;
		}
		if (scale < 0.05f)
		{
			throw std::runtime_error("the lightmap charts do not fit the atlas");
		}
	}
}

// ---- Texels ---------------------------------------------------------------------------

// The surface point a texel shows; `interior` when its centre lies inside its triangle, not
// just near its edge.
struct Sample
{
	Vec3 position;
	Vec3 normal;
	bool set = false;
	bool interior = false;
};

std::array<Vec2, 3> ChartTexels(const Chart& chart, const Triangle& t)
{
	std::array<Vec2, 3> texel{};
	for (int k = 0; k < 3; ++k)
	{
		texel[k] = {chart.x + kPad + 0.5f + (t.corners[k].s - chart.s0) * chart.density,
		            chart.y + kPad + 0.5f + (t.corners[k].t - chart.t0) * chart.density};
	}
	return texel;
}

// The texels a triangle covers, and those within a third of a texel of its edges (so that
// filtering at the edges reads the surface's own light), remember its surface points. A texel
// inside one triangle is not taken over by a neighbour it is merely near.
void RasteriseTriangle(const std::array<Vec2, 3>& texel, const Triangle& t, int size,
                       std::vector<Sample>& samples)
{
	const float area = (texel[1].x - texel[0].x) * (texel[2].y - texel[0].y) -
	                   (texel[2].x - texel[0].x) * (texel[1].y - texel[0].y);
	if (std::fabs(area) < 1e-8f)
	{
		return;
	}
	const auto [xLow, xHigh] = std::minmax({texel[0].x, texel[1].x, texel[2].x});
	const auto [yLow, yHigh] = std::minmax({texel[0].y, texel[1].y, texel[2].y});
	const int x0 = std::max(0, static_cast<int>(std::floor(xLow)) - 1);
	const int x1 = std::min(size - 1, static_cast<int>(std::ceil(xHigh)) + 1);
	const int y0 = std::max(0, static_cast<int>(std::floor(yLow)) - 1);
	const int y1 = std::min(size - 1, static_cast<int>(std::ceil(yHigh)) + 1);
	for (int y = y0; y <= y1; ++y)
	{
		for (int x = x0; x <= x1; ++x)
		{
			const float px = x + 0.5f, py = y + 0.5f;
			float b[3];
			for (int k = 0; k < 3; ++k)
			{
				const Vec2 a = texel[(k + 1) % 3], c = texel[(k + 2) % 3];
				b[k] = ((c.x - a.x) * (py - a.y) - (c.y - a.y) * (px - a.x)) / area;
			}
			const bool inside = b[0] >= 0.0f && b[1] >= 0.0f && b[2] >= 0.0f;
			const bool near = b[0] > -0.35f && b[1] > -0.35f && b[2] > -0.35f;
			Sample& sample = samples[static_cast<size_t>(y) * size + x];
			if (!near || sample.interior || (sample.set && !inside))
			{
				continue;
			}
			float sum = 0.0f;
			for (float& w : b)
			{
				w = std::max(w, 0.0f);
				sum += w;
			}
			Vec3 p, n;
			for (int k = 0; k < 3; ++k)
			{
				p = p + t.corners[k].position * (b[k] / sum);
				n = n + t.corners[k].normal * (b[k] / sum);
			}
			sample = {p, Normalize(n), true, inside};
		}
	}
}

// Lays every lit triangle into its chart: fills the lightmap coordinates of every object
// (zeros for the unlit ones) and returns what each texel shows.
std::vector<Sample> PlaceTexels(const RoomLayout& layout, const ChartSet& charts, int size, Lightmap& result)
{
	std::vector<Sample> samples(static_cast<size_t>(size) * size);
	result.uvs.resize(layout.objects.size());
	for (size_t o = 0; o < layout.objects.size(); ++o)
	{
		const SceneDraft& object = layout.objects[o];
		result.uvs[o].resize(object.runs.size());
		for (size_t r = 0; r < object.runs.size(); ++r)
		{
			for (const Triangle& t : object.runs[r].mesh.triangles)
			{
				std::array<Vec2, 3> uv{};
				if (object.mode == LightmapMode::Baked)
				{
					const std::array<Vec2, 3> texel = ChartTexels(charts.Of(o, r, t.chart), t);
					for (int k = 0; k < 3; ++k)
					{
						// The atlas is stored top row first and written bottom row first, so
						// texture v counts from the bottom of the picture.
						uv[k] = {texel[k].x / size, 1.0f - texel[k].y / size};
					}
					RasteriseTriangle(texel, t, size, samples);
				}
				result.uvs[o][r].push_back(uv);
			}
		}
	}
	return samples;
}

// ---- Light ----------------------------------------------------------------------------

// The moon stands high over the hills behind the windows; its light is cool and faint beside
// the fire, and only the room and what stands in it shade it.
const Vec3 kMoonDirection = Normalize({0.35f, 1.0f, 0.55f});
const Vec3 kMoonColour{0.30f, 0.40f, 0.78f};
// The night sky seen through the glass.
const Vec3 kSkyColour{0.16f, 0.2f, 0.34f};
// The room's own soft fill: light that has bounced about too often to come from anywhere.
// Surfaces that see little of the room (corners, under furniture, the backs of shelves) get
// less of it: a hit nearer than kOcclusionReach counts for less.
const Vec3 kFillColour{0.13f, 0.105f, 0.085f};
constexpr float kOcclusionReach = 110.0f;
constexpr int kGatherRays = 16;

Vec3 SphereJitter(Random& random)
{
	for (;;)
	{
		const Vec3 v{random.Uniform(-1.0f, 1.0f), random.Uniform(-1.0f, 1.0f), random.Uniform(-1.0f, 1.0f)};
		if (Dot(v, v) <= 1.0f)
		{
			return v;
		}
	}
}

Vec3 CosineDirection(Vec3 normal, Random& random)
{
	const float a = random.Uniform(0.0f, 2.0f * kPi);
	const float r = std::sqrt(random.Uniform(0.0f, 1.0f));
	const Frame frame = Frame::Along({}, normal);
	return Normalize(
	    frame.Direction({r * std::cos(a), r * std::sin(a), std::sqrt(std::max(0.0f, 1.0f - r * r))}));
}

// How far a ray from inside `box` runs before it leaves it.
float DistanceOut(const Bounds& box, Vec3 origin, Vec3 direction)
{
	float distance = 1e30f;
	const float o[3] = {origin.x, origin.y, origin.z}, d[3] = {direction.x, direction.y, direction.z};
	const float low[3] = {box.min.x, box.min.y, box.min.z}, high[3] = {box.max.x, box.max.y, box.max.z};
	for (int axis = 0; axis < 3; ++axis)
	{
		if (std::fabs(d[axis]) > 1e-6f)
		{
			distance = std::min(distance, ((d[axis] > 0.0f ? high[axis] : low[axis]) - o[axis]) / d[axis]);
		}
	}
	return std::max(distance, 0.0f);
}

// The sphere lights: the share of each light's sphere the texel sees, with the light falling
// off with the square of the distance (softened within a few radii of the light).
Vec3 LightFromSources(const Sample& sample, Vec3 origin, const RoomLayout& layout, const RayCaster& caster,
                      Random& random)
{
	Vec3 total;
	for (const BakeLight& light : layout.lights)
	{
		const Vec3 toLight = light.position - origin;
		const float distance2 = Dot(toLight, toLight);
		const float facing = Dot(sample.normal, toLight) / std::sqrt(distance2);
		if (facing <= 0.0f)
		{
			continue;
		}
		const Vec3 full = light.colour * (facing / (distance2 + light.radius * light.radius * 4.0f));
		if (full.x + full.y + full.z < 0.004f)
		{
			continue;
		}
		const int rays = light.radius > 5.0f ? 6 : (light.radius > 2.0f ? 3 : 1);
		int open = 0;
		for (int i = 0; i < rays; ++i)
		{
			const Vec3 d = light.position + SphereJitter(random) * light.radius - origin;
			const float length = Length(d);
			open += caster.Cast(origin, d * (1.0f / length), length - 0.5f) < 0.0f ? 1 : 0;
		}
		total = total + full * (static_cast<float>(open) / rays);
	}
	return total;
}

// Moonlight through the windows. Inside the room the rays stop where they leave the room's
// walls (widened by their thickness): the hills outside lie below the moon and must not shade
// the panes it lays on the sill and the floor.
Vec3 Moonlight(const Sample& sample, Vec3 origin, const RoomLayout& layout, const RayCaster& caster,
               Random& random)
{
	const float facing = Dot(sample.normal, kMoonDirection);
	if (facing <= 0.0f)
	{
		return {};
	}
	Bounds walls = layout.roomBox;
	walls.min = walls.min - Vec3{30.0f, 30.0f, 30.0f};
	walls.max = walls.max + Vec3{30.0f, 30.0f, 30.0f};
	const bool inside = walls.Contains(origin);
	int open = 0;
	for (int i = 0; i < 2; ++i)
	{
		const Vec3 d = Normalize(kMoonDirection + SphereJitter(random) * 0.04f);
		open += caster.Cast(origin, d, inside ? DistanceOut(walls, origin, d) : 5000.0f) < 0.0f ? 1 : 0;
	}
	return kMoonColour * (facing * open * 0.5f);
}

// Light that reaches the texel straight from the sources and the moon.
Vec3 DirectLight(const Sample& sample, const RoomLayout& layout, const RayCaster& caster, uint32_t seed)
{
	Random random(seed * 2654435761u + 12345u);
	const Vec3 origin = sample.position + sample.normal * 0.4f;
	return LightFromSources(sample, origin, layout, caster, random) +
	       Moonlight(sample, origin, layout, caster, random);
}

// What a surface hit by a gathering ray sends back: the direct light on it times its colour.
struct Bouncer
{
	int texelX[3] = {0, 0, 0};
	int texelY[3] = {0, 0, 0};
	Vec3 albedo;
	bool lit = false; // false for models, which have no lightmap texels
};

std::vector<Bouncer> MakeBouncers(const Casters& casters, const RoomLayout& layout, const Lightmap& lightmap,
                                  const Albedo& albedo, int size)
{
	std::vector<Bouncer> bouncers(casters.triangles.size());
	for (size_t i = 0; i < casters.sources.size(); ++i)
	{
		const auto [o, r, t] = casters.sources[i];
		Bouncer& bouncer = bouncers[i];
		bouncer.lit = true;
		bouncer.albedo = albedo(layout.objects[o].runs[r].texture);
		for (int k = 0; k < 3; ++k)
		{
			bouncer.texelX[k] = static_cast<int>(lightmap.uvs[o][r][t][k].x * size);
			bouncer.texelY[k] = static_cast<int>((1.0f - lightmap.uvs[o][r][t][k].y) * size);
		}
	}
	return bouncers;
}

// The direct light at the point of a bouncer a ray hit, read from its texels.
Vec3 BouncedLight(const Bouncer& bouncer, const RayCaster::Hit& hit, const std::vector<Vec3>& direct,
                  int size)
{
	const float w[3] = {1.0f - hit.u - hit.v, hit.u, hit.v};
	float x = 0.0f, y = 0.0f;
	for (int k = 0; k < 3; ++k)
	{
		x += w[k] * bouncer.texelX[k];
		y += w[k] * bouncer.texelY[k];
	}
	const int ix = std::clamp(static_cast<int>(x), 0, size - 1),
	          iy = std::clamp(static_cast<int>(y), 0, size - 1);
	return Mul(direct[static_cast<size_t>(iy) * size + ix], bouncer.albedo);
}

// Over the hemisphere: the sky through the windows, the room's fill darkened by what stands
// close (ambient occlusion), and one bounce of the direct light off the surfaces it sees, in
// their colour.
Vec3 GatherLight(const Sample& sample, const RayCaster& caster, const std::vector<Bouncer>& bouncers,
                 const std::vector<Vec3>& direct, int size, uint32_t seed)
{
	Random random(seed * 2246822519u + 777u);
	const Vec3 origin = sample.position + sample.normal * 0.4f;
	Vec3 gathered;
	for (int i = 0; i < kGatherRays; ++i)
	{
		const RayCaster::Hit hit = caster.Nearest(origin, CosineDirection(sample.normal, random), 5000.0f);
		if (hit.triangle < 0)
		{
			gathered = gathered + kSkyColour;
			continue;
		}
		const float openness = std::min(1.0f, hit.distance / kOcclusionReach);
		gathered = gathered + kFillColour * (openness * openness * (3.0f - 2.0f * openness));
		const Bouncer& bouncer = bouncers[hit.triangle];
		if (bouncer.lit)
		{
			gathered = gathered + BouncedLight(bouncer, hit, direct, size);
		}
	}
	return gathered * (1.0f / kGatherRays);
}

// Calls `light` for every texel that shows a surface, rows shared out by index among the
// threads, so the result does not depend on timing.
void ForEachTexel(const std::vector<Sample>& samples, int size, int threads,
                  const std::function<void(size_t index)>& light)
{
	auto work = [&](int first)
	{
		for (int y = first; y < size; y += threads)
		{
			for (int x = 0; x < size; ++x)
			{
				const size_t index = static_cast<size_t>(y) * size + x;
				if (samples[index].set)
				{
					light(index);
				}
			}
		}
	};
	std::vector<std::thread> workers;
	for (int i = 1; i < threads; ++i)
	{
		workers.emplace_back(work, i);
	}
	work(0);
	for (std::thread& worker : workers)
	{
		worker.join();
	}
}

// ---- Dilation -------------------------------------------------------------------------

// The empty texels around the charts take the mean of their lit neighbours, pass by pass, so
// that filtering and mipmaps at a chart's edge do not pull in black.
void Dilate(Image& atlas, std::vector<uint8_t>& filled, int passes)
{
	const int size = atlas.width;
	for (int pass = 0; pass < passes; ++pass)
	{
		std::vector<uint8_t> next = filled;
		for (int y = 0; y < size; ++y)
		{
			for (int x = 0; x < size; ++x)
			{
				if (filled[y * size + x])
				{
					continue;
				}
				int sum[3] = {0, 0, 0}, count = 0;
				for (int dy = -1; dy <= 1; ++dy)
				{
					for (int dx = -1; dx <= 1; ++dx)
					{
						const int nx = x + dx, ny = y + dy;
						if (nx >= 0 && ny >= 0 && nx < size && ny < size && filled[ny * size + nx])
						{
							const uint8_t* p = atlas.Pixel(nx, ny);
							sum[0] += p[0], sum[1] += p[1], sum[2] += p[2];
							++count;
						}
					}
				}
				if (count > 0)
				{
					uint8_t* p = atlas.Pixel(x, y);
					for (int k = 0; k < 3; ++k)
					{
						p[k] = static_cast<uint8_t>(sum[k] / count);
					}
					next[y * size + x] = 1;
				}
			}
		}
		filled = next;
	}
}
} // namespace

uint8_t ExposeLight(float light)
{
	// Exposure sets the fire-lit middle of the room at mid grey; the curve (Reinhard's, with a
	// white point) rolls the highlights off softly instead of clipping them, and the encoding
	// gamma spreads the shadows over enough codes that they stay dark without going black.
	constexpr float kExposure = 1.7f;
	constexpr float kWhite = 10.0f;
	const float x = kExposure * std::max(light, 0.0f);
	const float mapped = x * (1.0f + x / (kWhite * kWhite)) / (1.0f + x);
	const float encoded = std::pow(std::min(mapped, 1.0f), 1.0f / 2.2f);
	return static_cast<uint8_t>(encoded * 255.0f + 0.5f);
}

Lightmap BakeLightmap(const RoomLayout& layout, const std::vector<Triangle>& occluders, const Albedo& albedo,
                      int size, int threads)
{
	const Casters casters = CollectCasters(layout, occluders);
	const RayCaster caster(casters.triangles);
	ChartSet charts = MakeCharts(layout);
	PackCharts(charts, layout, size);

	Lightmap result;
	result.atlas = Image(size, size);
	const std::vector<Sample> samples = PlaceTexels(layout, charts, size, result);
	const std::vector<Bouncer> bouncers = MakeBouncers(casters, layout, result, albedo, size);

	std::vector<Vec3> direct(samples.size());
	ForEachTexel(samples, size, threads,
	             [&](size_t index) {
		             direct[index] =
		                 DirectLight(samples[index], layout, caster, static_cast<uint32_t>(index));
	             });
	std::vector<uint8_t> filled(samples.size(), 0);
	ForEachTexel(samples, size, threads,
	             [&](size_t index)
	             {
		             const Vec3 light = direct[index] + GatherLight(samples[index], caster, bouncers, direct,
		                                                            size, static_cast<uint32_t>(index));
		             uint8_t* p =
		                 result.atlas.Pixel(static_cast<int>(index % size), static_cast<int>(index / size));
		             p[0] = ExposeLight(light.x), p[1] = ExposeLight(light.y), p[2] = ExposeLight(light.z),
		             p[3] = 255;
		             filled[index] = 1;
	             });
	result.texels = static_cast<int>(std::count(filled.begin(), filled.end(), uint8_t{1}));
	Dilate(result.atlas, filled, kPad + 1);
	return result;
}
