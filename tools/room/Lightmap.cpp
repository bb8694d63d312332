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
// ---- Charts ---------------------------------------------------------------------------

struct Chart
{
	int object = 0, run = 0, chart = 0;
	float s0 = 1e30f, t0 = 1e30f, s1 = -1e30f, t1 = -1e30f;
	float density = 0.0f;
	int width = 0, height = 0, x = 0, y = 0;
};

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

struct Sample
{
	Vec3 position;
	Vec3 normal;
	bool set = false;
	bool interior = false;
};

// ---- Lighting -------------------------------------------------------------------------

const Vec3 kMoonDirection = Normalize({0.35f, 1.0f, 0.55f});
const Vec3 kMoonColour{0.20f, 0.26f, 0.46f};
const Vec3 kSkyColour{0.16f, 0.2f, 0.34f};
const Vec3 kAmbientColour{0.05f, 0.035f, 0.025f};

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

// Light that reaches the texel straight from the sources and the moon.
Vec3 DirectLight(const Sample& sample, const RoomLayout& layout, const RayCaster& caster, uint32_t seed)
{
	Random random(seed * 2654435761u + 12345u);
	const Vec3 origin = sample.position + sample.normal * 0.4f;
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
			const Vec3 target = light.position + SphereJitter(random) * light.radius;
			const Vec3 d = target - origin;
			const float length = Length(d);
			if (caster.Cast(origin, d * (1.0f / length), length - 0.5f) < 0.0f)
			{
				++open;
			}
		}
		total = total + full * (static_cast<float>(open) / rays);
	}
	const float moonFacing = Dot(sample.normal, kMoonDirection);
	if (moonFacing > 0.0f)
	{
		int open = 0;
		for (int i = 0; i < 2; ++i)
		{
			const Vec3 d = Normalize(kMoonDirection + SphereJitter(random) * 0.04f);
			open += caster.Cast(origin, d, 5000.0f) < 0.0f ? 1 : 0;
		}
		total = total + kMoonColour * (moonFacing * open * 0.5f);
	}
	return total;
}

// What a surface hit by a gathering ray sends back: the direct light on it times its colour.
struct Bouncer
{
	int texelX[3] = {0, 0, 0};
	int texelY[3] = {0, 0, 0};
	Vec3 albedo;
	bool lit = false; // false for models, which have no lightmap texels
};

// Sky light, and one bounce of the direct light off the surfaces the hemisphere sees.
Vec3 GatherLight(const Sample& sample, const RayCaster& caster, const std::vector<Bouncer>& bouncers,
                 const std::vector<Vec3>& direct, int size, uint32_t seed)
{
	Random random(seed * 2246822519u + 777u);
	const Vec3 origin = sample.position + sample.normal * 0.4f;
	const int rays = 16;
	Vec3 gathered;
	for (int i = 0; i < rays; ++i)
	{
		const RayCaster::Hit hit = caster.Nearest(origin, CosineDirection(sample.normal, random), 5000.0f);
		if (hit.triangle < 0)
		{
			gathered = gathered + kSkyColour;
			continue;
		}
		const Bouncer& bouncer = bouncers[hit.triangle];
		gathered = gathered + kAmbientColour * std::min(1.0f, 0.25f + hit.distance / 150.0f);
		if (!bouncer.lit)
		{
			continue;
		}
		const float w[3] = {1.0f - hit.u - hit.v, hit.u, hit.v};
		float x = 0.0f, y = 0.0f;
		for (int k = 0; k < 3; ++k)
		{
			x += w[k] * bouncer.texelX[k];
			y += w[k] * bouncer.texelY[k];
		}
		const int ix = std::clamp(static_cast<int>(x), 0, size - 1),
		          iy = std::clamp(static_cast<int>(y), 0, size - 1);
		gathered = gathered + Mul(direct[static_cast<size_t>(iy) * size + ix], bouncer.albedo);
	}
	return gathered * (1.0f / rays);
}

uint8_t ToneMap(float value)
{
	const float mapped = std::pow(1.0f - std::exp(-1.9f * std::max(value, 0.0f)), 0.75f);
	return static_cast<uint8_t>(std::clamp(mapped, 0.0f, 1.0f) * 255.0f + 0.5f);
}

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

Lightmap BakeLightmap(const RoomLayout& layout, const std::vector<Triangle>& occluders, const Albedo& albedo,
                      int size, int threads)
{
	// Shadow casters: every lit object and every model; not the glass, glows or backdrops.
	std::vector<std::array<Vec3, 3>> casters;
	std::vector<std::tuple<size_t, size_t, size_t>> casterSources; // object, run, triangle
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
				const Triangle& triangle = triangles[t];
				casters.push_back({triangle.corners[0].position, triangle.corners[1].position,
				                   triangle.corners[2].position});
				casterSources.push_back({o, r, t});
			}
		}
	}
	for (const Triangle& t : occluders)
	{
		casters.push_back({t.corners[0].position, t.corners[1].position, t.corners[2].position});
	}
	const RayCaster caster(casters);

	// Charts.
	std::vector<Chart> charts;
	std::map<std::tuple<size_t, size_t, int>, size_t> chartOf;
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
				const auto key = std::make_tuple(o, r, t.chart);
				auto found = chartOf.find(key);
				if (found == chartOf.end())
				{
					found = chartOf.emplace(key, charts.size()).first;
					Chart chart;
					chart.object = static_cast<int>(o);
					chart.run = static_cast<int>(r);
					chart.chart = t.chart;
					charts.push_back(chart);
				}
				Chart& chart = charts[found->second];
				for (const Corner& c : t.corners)
				{
					chart.s0 = std::min(chart.s0, c.s), chart.s1 = std::max(chart.s1, c.s);
					chart.t0 = std::min(chart.t0, c.t), chart.t1 = std::max(chart.t1, c.t);
				}
			}
		}
	}
	for (float scale = 1.0f;; scale *= 0.9f)
	{
		std::vector<Chart*> order;
		for (Chart& chart : charts)
		{
			chart.density = layout.objects[chart.object].texelsPerUnit * scale;
			chart.width = static_cast<int>(std::ceil((chart.s1 - chart.s0) * chart.density)) + 2 * kPad + 1;
			chart.height = static_cast<int>(std::ceil((chart.t1 - chart.t0) * chart.density)) + 2 * kPad + 1;
			order.push_back(&chart);
		}
		if (Pack(order, size))
		{
			break;
		}
		if (scale < 0.05f)
		{
			throw std::runtime_error("the lightmap charts do not fit the atlas");
		}
	}

	// Rasterise every triangle into its chart: each texel remembers the surface point it shows.
	Lightmap result;
	result.atlas = Image(size, size);
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
					const Chart& chart = charts[chartOf[std::make_tuple(o, r, t.chart)]];
					Vec2 texel[3];
					for (int k = 0; k < 3; ++k)
					{
						texel[k] = {chart.x + kPad + 0.5f + (t.corners[k].s - chart.s0) * chart.density,
						            chart.y + kPad + 0.5f + (t.corners[k].t - chart.t0) * chart.density};
						// The atlas is stored top row first and written bottom row first, so
						// texture v counts from the bottom of the picture.
						uv[k] = {texel[k].x / size, 1.0f - texel[k].y / size};
					}
					const float area = (texel[1].x - texel[0].x) * (texel[2].y - texel[0].y) -
					                   (texel[2].x - texel[0].x) * (texel[1].y - texel[0].y);
					if (std::fabs(area) < 1e-8f)
					{
						result.uvs[o][r].push_back(uv);
						continue;
					}
					const int x0 = std::max(
					    0, static_cast<int>(std::floor(std::min({texel[0].x, texel[1].x, texel[2].x}))) - 1);
					const int x1 = std::min(
					    size - 1,
					    static_cast<int>(std::ceil(std::max({texel[0].x, texel[1].x, texel[2].x}))) + 1);
					const int y0 = std::max(
					    0, static_cast<int>(std::floor(std::min({texel[0].y, texel[1].y, texel[2].y}))) - 1);
					const int y1 = std::min(
					    size - 1,
					    static_cast<int>(std::ceil(std::max({texel[0].y, texel[1].y, texel[2].y}))) + 1);
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
				result.uvs[o][r].push_back(uv);
			}
		}
	}

	// The surfaces a gathering ray can land on, with their texels and colours.
	std::vector<Bouncer> bouncers(casters.size());
	for (size_t i = 0; i < casterSources.size(); ++i)
	{
		const auto [o, r, t] = casterSources[i];
		Bouncer& bouncer = bouncers[i];
		bouncer.lit = true;
		bouncer.albedo = albedo(layout.objects[o].runs[r].texture);
		for (int k = 0; k < 3; ++k)
		{
			bouncer.texelX[k] = static_cast<int>(result.uvs[o][r][t][k].x * size);
			bouncer.texelY[k] = static_cast<int>((1.0f - result.uvs[o][r][t][k].y) * size);
		}
	}

	// Two passes over every texel: direct light, then the gather that bounces it once. Rows
	// are shared out by index, so the result does not depend on timing.
	std::vector<uint8_t> filled(samples.size(), 0);
	std::vector<Vec3> direct(samples.size());
	auto forEachTexel = [&](const std::function<void(size_t index, int x, int y)>& light)
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
						light(index, x, y);
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
	};
	forEachTexel(
	    [&](size_t index, int, int)
	    { direct[index] = DirectLight(samples[index], layout, caster, static_cast<uint32_t>(index)); });
	forEachTexel(
	    [&](size_t index, int x, int y)
	    {
		    const Vec3 light = direct[index] + GatherLight(samples[index], caster, bouncers, direct, size,
		                                                   static_cast<uint32_t>(index));
		    uint8_t* p = result.atlas.Pixel(x, y);
		    p[0] = ToneMap(light.x), p[1] = ToneMap(light.y), p[2] = ToneMap(light.z), p[3] = 255;
		    filled[index] = 1;
	    });
	result.texels = static_cast<int>(std::count(filled.begin(), filled.end(), uint8_t{1}));
	Dilate(result.atlas, filled, kPad + 1);
	return result;
}
