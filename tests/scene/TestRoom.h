#pragma once

#include "scene/BsmFile.h"
#include "scene/BssFile.h"

#include <cstdint>
#include <vector>

// A small room for the draw tests: a lightmapped back wall, a half-transparent glass pane, an
// additive glow and a placed model, seen by a camera that looks down -z from inside the room,
// and a second camera outside every zone. Positions are given on screen (-1 to +1 across the
// view of the first camera) and placed at a depth, so the tests know which pixels show what.
namespace TestRoom
{
// Screen points of the first camera's view, where each part of the room shows.
inline constexpr float kWallOnlyX = 0.6f, kWallOnlyY = 0.6f;
inline constexpr float kGlassX = -0.6f, kGlassY = 0.6f;
inline constexpr float kGlowX = -0.6f, kGlowY = -0.6f;
inline constexpr float kModelX = 0.5f, kModelY = -0.5f;

BssFile Scene();
BsmFile BoxModel();
// "Models/test.BSS", "Models/box.BSM" and the textures, as one stored archive.
std::vector<uint8_t> Archive(const BssFile& scene, const BsmFile& box = BoxModel());
} // namespace TestRoom
