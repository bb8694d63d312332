#pragma once

#include <cstdint>

struct AppContext;

// The 2D overlay state: while it is active both matrices are the identity, so positions run from
// -1 to +1 on both axes (y upwards) whatever the window size, and a rectangle is given by its
// centre and half-size. Begin2D and End2D pair: each pushes or pops both matrix stacks.
void Begin2D(const AppContext& app);
void End2D();
// One textured rectangle with texture coordinate (0, 0) at its lower-left corner and (1, 1) at
// its upper-right; a negative half-height mirrors the picture vertically. Meant for use between
// Begin2D and End2D: it leaves blending and the depth test as they are.
void DrawScreenQuad(float x, float y, float halfWidth, float halfHeight, uint32_t texture);
// The four corners of a rectangle with their texture coordinates, in drawing order.
void EmitQuadCorners(float x, float y, float halfWidth, float halfHeight);
// Sphere-map texture coordinates for reflective meshes; the mesh pass switches them off again.
void EnableSphereMap();
