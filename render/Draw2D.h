#pragma once

#include <cstdint>
#include <span>
#include <vector>

// The 2D overlay state: while it is active both matrices are the identity, so positions run from
// -1 to +1 on both axes (y upwards) whatever the window size, and a rectangle is given by its
// centre and half-size. Begin2D and End2D pair: each pushes or pops both matrix stacks.
void Begin2D();
void End2D();
// One textured rectangle with texture coordinate (0, 0) at its lower-left corner and (1, 1) at
// its upper-right; a negative half-height mirrors the picture vertically. Meant for use between
// Begin2D and End2D: it leaves blending and the depth test as they are.
void DrawScreenQuad(float x, float y, float halfWidth, float halfHeight, uint32_t texture);
// A textured rectangle by centre and half-size, in the 2D overlay space; texture 0 is a plain
// coloured one.
struct ScreenQuad
{
	float x = 0.0f;
	float y = 0.0f;
	float halfWidth = 0.0f;
	float halfHeight = 0.0f;
	uint32_t texture = 0;
};
// Several rectangles as DrawScreenQuad draws one, with its state set once around them all: the
// overlay's characters would otherwise switch the same state on and off for every one.
void DrawScreenQuads(std::span<const ScreenQuad> quads);
// The four corners of a rectangle with their texture coordinates, in drawing order.
void EmitQuadCorners(const ScreenQuad& quad);
// Sphere-map texture coordinates for reflective meshes; the mesh pass switches them off again.
void EnableSphereMap();

// The 2D quads of one frame: queued by the passes that want something over the room (the veil,
// the frozen frame) and drawn, each with its own colour and blend, by the frame's 2D pass.
class ScreenQuadQueue
{
public:
	// Drawn with the colour (r, g, b, a) and the blend factors given.
	void Queue(const ScreenQuad& quad, float r, float g, float b, float a, uint32_t sourceBlend,
	           uint32_t destinationBlend);
	// Between Begin2D and End2D; the queue is empty afterwards.
	void DrawAndClear();
	bool Empty() const { return quads.empty(); }

private:
	struct TintedQuad
	{
		ScreenQuad quad;
		float r = 1.0f;
		float g = 1.0f;
		float b = 1.0f;
		float a = 1.0f;
		uint32_t sourceBlend = 0;
		uint32_t destinationBlend = 0;
	};
	std::vector<TintedQuad> quads;
};

extern ScreenQuadQueue g_screenQuads;
