#include "tools/room/Flights.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace
{
struct Plan
{
	std::vector<Vec3> positions;
	std::vector<Vec3> targets;
	float fov = kWideFov;
};

Vec3 CatmullRom(const std::vector<Vec3>& points, float u)
{
	const int segments = static_cast<int>(points.size()) - 1;
	const float scaled = std::fmin(std::fmax(u, 0.0f), 1.0f) * segments;
	const int i = std::min(static_cast<int>(scaled), segments - 1);
	const float t = scaled - i;
	auto at = [&](int k) { return points[std::clamp(k, 0, segments)]; };
	const Vec3 p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
	const float t2 = t * t, t3 = t2 * t;
	return (p1 * 2.0f + (p2 - p0) * t + (p0 * 2.0f - p1 * 5.0f + p2 * 4.0f - p3) * t2 +
	        (p1 * 3.0f - p0 - p2 * 3.0f + p3) * t3) *
	       0.5f;
}

// Slow at both ends, steady in the middle.
float Ease(float u)
{
	return u - std::sin(2.0f * kPi * u) / (2.0f * kPi);
}

// The camera looks along its -z with +y up; the file stores the conjugate of that rotation.
Float4 StoredRotation(Vec3 position, Vec3 target, const Quat& previous, Quat& current)
{
	const Vec3 forward = Normalize(target - position);
	const Vec3 right = Normalize(Cross(forward, {0.0f, 0.0f, 1.0f}));
	const Vec3 up = Cross(right, forward);
	current = QuatFromAxes(right, up, -forward);
	if (current.x * previous.x + current.y * previous.y + current.z * previous.z + current.w * previous.w <
	    0.0f)
	{
		current = {-current.x, -current.y, -current.z, -current.w};
	}
	return {-current.x, -current.y, -current.z, current.w};
}

void Check(const RoomLayout& layout, Vec3 p, size_t flight)
{
	Bounds inner = layout.roomBox;
	inner.min = inner.min + Vec3{5.0f, 5.0f, 5.0f};
	inner.max = inner.max - Vec3{5.0f, 5.0f, 5.0f};
	bool clear = inner.Contains(p);
	for (const Bounds& box : layout.furniture)
	{
		clear = clear && !box.Contains(p);
	}
	if (!clear)
	{
		throw std::runtime_error("camera flight " + std::to_string(flight) + " passes through (" +
		                         std::to_string(p.x) + ", " + std::to_string(p.y) + ", " +
		                         std::to_string(p.z) + ")");
	}
}

BssCamera Sample(const Plan& plan, const RoomLayout& layout, size_t flight)
{
	BssCamera camera;
	Quat previous;
	// The flight plays keys 0 to 298; the last key only closes the record.
	const int played = kFlightKeys - 2;
	for (int key = 0; key < kFlightKeys; ++key)
	{
		const float u = Ease(static_cast<float>(std::min(key, played)) / played);
		const Vec3 position = CatmullRom(plan.positions, u);
		const Vec3 target = CatmullRom(plan.targets, u);
		Check(layout, position, flight);
		Quat current;
		camera.positions.push_back({position.x, position.y, position.z});
		camera.rotations.push_back(StoredRotation(position, target, previous, current));
		camera.fovs.push_back(plan.fov);
		previous = current;
	}
	camera.keyCount = kFlightKeys;
	return camera;
}

} // namespace

std::vector<BssCamera> BuildFlights(const RoomLayout& layout)
{
	const Vec3 tree = layout.treePosition;
	std::vector<Plan> plans;
	// The tree and its lights: down from the star to the presents, around the tree's south-west
	// side. The cameras keep out of the tree's query box (about 200 units off in x or y).
	plans.push_back(
	    {{{352, 470, 215}, {346, 340, 185}, {345, 215, 145}, {430, 196, 115}, {520, 180, 90}, {605, 150, 82}},
	     {tree + Vec3{0, 0, 195}, tree + Vec3{0, 0, 170}, tree + Vec3{0, 0, 130}, tree + Vec3{0, 0, 95},
	      tree + Vec3{0, 0, 60}, tree + Vec3{-15, -10, 38}},
	     kCloseFov});
	// The fireplace: in from the armchairs, past the stockings, down to the fire.
	const Vec3 mantel{40.0f, 275.0f, 130.0f};
	plans.push_back({{{300, 210, 160}, {230, 250, 150}, {165, 300, 140}, {135, 265, 115}, {120, 240, 90}},
	                 {mantel + Vec3{0, -40, 10},
	                  mantel + Vec3{0, 0, 0},
	                  mantel + Vec3{0, 40, -10},
	                  {40, 275, 70},
	                  {25, 275, 25}},
	                 kCloseFov});
	// Alongside the train: low beside the track, following it round the tree's south side and
	// looking over the roofs towards the tree.
	plans.push_back(
	    {{{350, 420, 60}, {345, 300, 55}, {360, 203, 52}, {450, 196, 50}, {550, 194, 52}, {628, 198, 58}},
	     {tree + Vec3{-95, 60, 25}, tree + Vec3{-95, -40, 25}, tree + Vec3{-60, -80, 25},
	      tree + Vec3{0, -95, 25}, tree + Vec3{60, -80, 30}, tree + Vec3{75, -50, 35}},
	     kWideFov});
	// The window and the snow: across the room towards the glass, looking out at the hills.
	plans.push_back({{{270, 210, 125}, {235, 320, 140}, {215, 430, 155}, {212, 485, 160}},
	                 {{210, 560, 185}, {205, 800, 220}, {200, 1200, 290}, {190, 1500, 330}},
	                 kWideFov});
	// A sweep of the whole room, ending on the clock.
	plans.push_back(
	    {{{600, 120, 272},
	      {400, 480, 265},
	      {280, 460, 225},
	      {150, 330, 190},
	      {260, 160, 200},
	      {350, 120, 205}},
	     {{300, 250, 100}, {200, 300, 120}, {60, 275, 120}, {300, 100, 150}, {350, 10, 205}, {350, 9, 205}},
	     kWideFov});
	std::vector<BssCamera> cameras;
	for (size_t i = 0; i < plans.size(); ++i)
	{
		cameras.push_back(Sample(plans[i], layout, i));
	}
	return cameras;
}
