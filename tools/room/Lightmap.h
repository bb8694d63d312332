#pragma once

#include "tools/content/Image.h"
#include "tools/room/RoomScene.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The room's lightmaps: charts packed into one atlas, lit by a CPU ray tracer (the fire,
// candles, tree lights and lamp as soft sphere lights, moonlight through the windows, sky and
// ambient light with occlusion, one bounce of colour), then exposed and tone mapped into eight
// bits. Deterministic: every texel has its own random stream.
struct Lightmap
{
	Image atlas;
	// Per object, per run, per triangle: the lightmap coordinates of the three corners.
	std::vector<std::vector<std::vector<std::array<Vec2, 3>>>> uvs;
	int texels = 0; // lit texels
};

// The mean colour of a texture, for the light it passes on when it bounces.
using Albedo = std::function<Vec3(const std::string& texture)>;

// The 8-bit lightmap value of a baked light level: a fixed exposure and tone curve.
uint8_t ExposeLight(float light);

// `occluders` are world-space triangles that cast shadows without being lightmapped (models).
Lightmap BakeLightmap(const RoomLayout& layout, const std::vector<Triangle>& occluders, const Albedo& albedo,
                      int size, int threads);
