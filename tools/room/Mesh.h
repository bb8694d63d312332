#pragma once

#include "tools/room/RoomMath.h"

#include <vector>

// Triangle soups with two sets of surface coordinates: texture coordinates (u, v) for the
// base texture, and chart coordinates (s, t) in scene units, which the lightmap packer scales
// into the atlas. Every generator opens charts of its own; one chart is one flat or unrolled
// piece of surface that can be laid out in the plane without overlap.

struct Vec2
{
	float x = 0.0f;
	float y = 0.0f;
};

struct Corner
{
	Vec3 position;
	Vec3 normal;
	float u = 0.0f;
	float v = 0.0f;
	float s = 0.0f;
	float t = 0.0f;
};

struct Triangle
{
	Corner corners[3];
	int chart = 0;
};

class Mesh
{
public:
	std::vector<Triangle> triangles;
	int chartCount = 0;

	void Append(const Mesh& other);
	Bounds Extent() const;

	// A flat quad a, b, c, d counter-clockwise seen from its front. Texture coordinates repeat
	// every `tile` units; with `fit`, they run 0..1 across the quad instead.
	void Quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, float tile, bool fit = false);
	// The part of the rectangle origin + across·s + along·t (s, t in 0..1) inside a convex
	// outline of (s, t) points, counter-clockwise. The texture runs 0..1 across the whole
	// rectangle, as on a fitted Quad: a cut-out picture is drawn on only the part that shows.
	void CutOut(Vec3 origin, Vec3 across, Vec3 along, const std::vector<Vec2>& outline);
	// A box of the frame's local space, faces outwards. `skip` leaves faces out: bits
	// 1 -x, 2 +x, 4 -y, 8 +y, 16 -z (bottom), 32 +z (top).
	void Box(const Frame& frame, Vec3 min, Vec3 max, float tile, int skip = 0);
	// A surface of revolution about the frame's z axis from a profile of (radius, height)
	// points. `smooth` shares normals across profile points (spheres); otherwise every profile
	// segment is a band with its own normals (cylinders with caps). `uRepeat` is how often the
	// texture goes around.
	void Lathe(const Frame& frame, const std::vector<Vec2>& profile, int segments, float tile, bool smooth,
	           float uRepeat = 1.0f);
	void Cylinder(const Frame& frame, float radius, float height, int segments, float tile, bool caps = true);
	void Sphere(const Frame& frame, float radius, int segments, float tile);
	// A flat outline extruded along the frame's z from 0 to `depth`; the outline must be
	// star-shaped about its centroid (convex shapes, stars, arrows). Texture coordinates of the
	// faces fit the outline's box.
	void Prism(const Frame& frame, const std::vector<Vec2>& outline, float depth, float tile);
	// A round tube of `radius` along a polyline.
	void Tube(const std::vector<Vec3>& path, float radius, int sides, float tile);

	// A smooth surface through rings of points: each ring closes on itself and runs round the
	// way to the next ring by the right-hand rule (counter-clockwise seen from ahead), so the
	// faces look outwards. Normals come from the neighbouring points; a ring shrunk to a point at
	// either end gets the direction away from its neighbour. The chart unrolls the rings.
	void Surface(const std::vector<std::vector<Vec3>>& rings, float tile);
	// The same with the normals given, one per point.
	void Surface(const std::vector<std::vector<Vec3>>& rings, const std::vector<std::vector<Vec3>>& normals,
	             float tile);
	// A flat convex polygon, counter-clockwise seen from its front.
	void Fan(const std::vector<Vec3>& outline, float tile);
	// A box of the frame's local space whose edges and corners are rounded by `radius`, in
	// `steps` segments a quarter turn: flat faces that bend smoothly into each other (cushions,
	// tops). The flat top and bottom are cut with hard edges only where the rounding leaves them.
	void RoundedBox(const Frame& frame, Vec3 min, Vec3 max, float radius, int steps, float tile);
	// An ellipsoid of the given radii along the frame's axes, smooth.
	void Ellipsoid(const Frame& frame, Vec3 radii, int segments, float tile);
	// A tube of elliptic section along a smooth path: at each point, radii.x across (starting
	// along `across`, turned with the path) and radii.y the other way. A radius of 0 at an end
	// closes the tube to a rounded tip. Returns the last ring, for a cap.
	std::vector<Vec3> Sweep(const std::vector<Vec3>& path, const std::vector<Vec2>& radii, Vec3 across, int sides,
	           float tile);

	int NewChart() { return chartCount++; }
	void Add(const Corner& a, const Corner& b, const Corner& c, int chart);
};
