#include "tools/room/Furnishings.h"

#include "tools/content/Draw.h"

#include <cmath>

namespace
{
SceneRun Run(const std::string& texture)
{
	return SceneRun{texture, {}, false};
}

// A frame inside `outer` at local `at`, leaning back (its z towards -x) by `lean` radians.
Frame Leaning(const Frame& outer, Vec3 at, float lean)
{
	return Frame{outer.Point(at), outer.Direction({std::cos(lean), 0.0f, std::sin(lean)}), outer.yAxis,
	             outer.Direction({-std::sin(lean), 0.0f, std::cos(lean)})};
}

// The points round the upper edge of a rounded box where its rounding is half way up, for
// piping sewn along the seam. `inner` is the box less its rounding.
std::vector<Vec3> SeamLine(const Frame& frame, Vec3 innerLo, Vec3 innerHi, float radius)
{
	std::vector<Vec3> seam;
	const float out = radius * std::cos(kPi * 0.25f), up = radius * std::sin(kPi * 0.25f);
	for (int quarter = 0; quarter < 4; ++quarter)
	{
		const float x = quarter == 0 || quarter == 3 ? innerHi.x : innerLo.x;
		const float y = quarter < 2 ? innerHi.y : innerLo.y;
		for (int j = 0; j <= 3; ++j)
		{
			const float angle = kPi * 0.5f * (quarter + j / 3.0f);
			seam.push_back(frame.Point({x + out * std::cos(angle), y + out * std::sin(angle), innerHi.z + up}));
		}
	}
	seam.push_back(seam.front());
	return seam;
}

// Four short turned legs, `height` tall, at the corners (x, y) of the frame's floor.
void TurnedLegs(Mesh& mesh, const Frame& frame, Vec2 x, Vec2 y, float height)
{
	for (float px : {x.x, x.y})
	{
		for (float py : {y.x, y.y})
		{
			mesh.Lathe(Frame::At(frame.Point({px, py, 0.0f})),
			           {{0.0f, 0.0f}, {1.6f, 0.0f}, {2.4f, height * 0.35f}, {2.0f, height * 0.8f}, {2.6f, height},
			            {0.0f, height}},
			           10, 20.0f, true);
		}
	}
}

// A button pressed into a face whose outward normal is the frame's x.
void Button(Mesh& mesh, const Frame& frame, Vec3 at)
{
	mesh.Ellipsoid(Frame{frame.Point(at), frame.xAxis, frame.yAxis, frame.zAxis}, {0.9f, 1.5f, 1.5f}, 8, 5.0f);
}

// The box of a piece of furniture, widened by `margin` round its sides and `above` over its top.
Bounds Keepout(const Mesh& mesh, float margin, float above)
{
	Bounds bounds = mesh.Extent();
	bounds.min = bounds.min - Vec3{margin, margin, 0.0f};
	bounds.max = bounds.max + Vec3{margin, margin, above};
	return bounds;
}

// One loop of a bow: a ribbon that leaves the knot, swings out along `out` and up, and comes
// back; its plane leans outwards.
void BowLoop(Mesh& mesh, const Frame& gift, Vec3 knot, float out, float length, float height)
{
	std::vector<Vec3> path;
	std::vector<Vec2> radii;
	const Vec3 along = gift.Direction({out, 0.0f, 0.0f});
	const Vec3 up = Normalize(gift.Direction({out * 0.5f, 0.0f, 1.0f}));
	for (int i = 0; i <= 20; ++i)
	{
		const float a = 2.0f * kPi * i / 20.0f;
		path.push_back(knot + along * (length * 0.5f * (1.0f - std::cos(a))) +
		               up * (height * (0.5f * std::sin(a) + 0.25f * (1.0f - std::cos(a)))));
		radii.push_back({1.7f, 0.25f});
	}
	mesh.Sweep(path, radii, gift.yAxis, 6, 10.0f);
}
} // namespace

SceneDraft Armchair(const std::string& name, Vec3 at, float facing, RoomLayout& layout)
{
	SceneDraft chair{name};
	const Frame frame = Frame::TurnedZ(at, facing);
	SceneRun cloth = Run("tex_upholstery.tga");
	SceneRun legs = Run("tex_darkwood.tga");
	// The frame: a padded base, a high back, and arms rolled over at the top.
	cloth.mesh.RoundedBox(frame, {-40.0f, -38.0f, 10.0f}, {38.0f, 38.0f, 31.0f}, 4.0f, 2, 50.0f);
	cloth.mesh.RoundedBox(frame, {-42.0f, -36.0f, 28.0f}, {-26.0f, 36.0f, 94.0f}, 6.0f, 3, 50.0f);
	for (float side : {-1.0f, 1.0f})
	{
		cloth.mesh.RoundedBox(frame, {-40.0f, side > 0 ? 27.0f : -41.0f, 26.0f},
		                      {36.0f, side > 0 ? 41.0f : -27.0f, 58.0f}, 4.0f, 2, 50.0f);
		// The roll flares out a little towards the front and ends in a flat scroll with a button.
		std::vector<Vec3> roll;
		std::vector<Vec2> radii;
		for (int i = 0; i <= 6; ++i)
		{
			const float t = i / 6.0f;
			roll.push_back(frame.Point({-38.0f + 76.0f * t, side * (34.0f + 1.8f * t * t), 60.0f - 1.5f * t * t}));
			radii.push_back({7.0f, 8.5f});
		}
		const std::vector<Vec3> scroll = cloth.mesh.Sweep(roll, radii, frame.zAxis, 16, 50.0f);
		cloth.mesh.Fan(scroll, 50.0f);
		Button(cloth.mesh, frame, {38.0f, side * 35.8f, 58.5f});
	}
	// The cushions: a seat with piping round its top edge, and a buttoned back leaning back.
	const float seatRound = 5.0f;
	const Vec3 seatLo{-24.0f, -26.5f, 30.0f}, seatHi{37.0f, 26.5f, 45.0f};
	cloth.mesh.RoundedBox(frame, seatLo, seatHi, seatRound, 3, 50.0f);
	// Swept rather than a tube of straight pieces: the pieces' faces would overlap at the corners.
	const std::vector<Vec3> seam = SeamLine(frame, seatLo + Vec3{seatRound, seatRound, seatRound},
	                                        seatHi - Vec3{seatRound, seatRound, seatRound}, seatRound);
	cloth.mesh.Sweep(seam, std::vector<Vec2>(seam.size(), {0.7f, 0.7f}), frame.zAxis, 6, 10.0f);
	const Frame back = Leaning(frame, {-20.0f, 0.0f, 45.0f}, 0.14f);
	cloth.mesh.RoundedBox(back, {-5.0f, -26.0f, 0.0f}, {5.0f, 26.0f, 42.0f}, 4.5f, 3, 50.0f);
	for (float y : {-13.0f, 0.0f, 13.0f})
	{
		for (float z : {15.0f, 29.0f})
		{
			Button(cloth.mesh, back, {5.0f, y, z});
		}
	}
	TurnedLegs(legs.mesh, frame, {-34.0f, 32.0f}, {-34.0f, 34.0f}, 10.0f);
	chair.runs = {cloth, legs};
	chair.texelsPerUnit = 0.5f;
	layout.furniture.push_back(Keepout(chair.runs[0].mesh, 8.0f, 10.0f));
	return chair;
}

SceneDraft Footstool(Vec3 at, float facing, RoomLayout& layout)
{
	SceneDraft stool{"footstool"};
	const Frame frame = Frame::TurnedZ(at, facing);
	SceneRun cloth = Run("tex_upholstery.tga");
	SceneRun legs = Run("tex_darkwood.tga");
	cloth.mesh.RoundedBox(frame, {-22.0f, -16.0f, 12.0f}, {22.0f, 16.0f, 30.0f}, 6.0f, 3, 50.0f);
	const Frame top{frame.Point({0.0f, 0.0f, 0.0f}), frame.zAxis, frame.yAxis, -frame.xAxis};
	for (float x : {-8.0f, 8.0f})
	{
		for (float y : {-6.0f, 6.0f})
		{
			// Pressed into the top: its normal is up.
			Button(cloth.mesh, top, {30.0f, y, -x});
		}
	}
	TurnedLegs(legs.mesh, frame, {-17.0f, 17.0f}, {-11.0f, 11.0f}, 12.5f);
	stool.runs = {cloth, legs};
	stool.texelsPerUnit = 0.5f;
	layout.furniture.push_back(Keepout(stool.runs[0].mesh, 8.0f, 10.0f));
	return stool;
}

SceneDraft Presents(Vec3 tree, RoomLayout& layout)
{
	SceneDraft presents{"presents"};
	const char* papers[] = {"tex_paper_red.tga", "tex_paper_green.tga", "tex_paper_blue.tga",
	                        "tex_paper_gold.tga"};
	std::vector<SceneRun> runs;
	for (const char* paper : papers)
	{
		runs.push_back(Run(paper));
	}
	SceneRun gold = Run("tex_ribbon.tga");
	SceneRun red = Run("tex_ribbon_red.tga");
	struct Gift
	{
		Vec3 at;
		float angle, sx, sy, sz;
	};
	std::vector<Gift> gifts;
	Random random(2412);
	for (int i = 0; i < 7; ++i)
	{
		const float angle = -2.2f + i * 0.62f;
		const float radius = random.Uniform(45.0f, 62.0f);
		gifts.push_back({tree + Vec3{std::cos(angle) * radius, std::sin(angle) * radius, 0.0f},
		                 random.Uniform(0.0f, 1.5f), random.Uniform(16.0f, 26.0f),
		                 random.Uniform(14.0f, 24.0f), random.Uniform(10.0f, 24.0f)});
	}
	gifts.push_back({{432.0f, 318.0f, 0.0f}, 0.3f, 30.0f, 24.0f, 18.0f});
	gifts.push_back({{425.0f, 285.0f, 0.0f}, -0.2f, 18.0f, 18.0f, 30.0f});
	gifts.push_back({{428.0f, 318.0f, 18.0f}, 0.9f, 14.0f, 14.0f, 12.0f});
	for (size_t i = 0; i < gifts.size(); ++i)
	{
		const Gift& g = gifts[i];
		const Frame frame = Frame::TurnedZ(g.at, g.angle);
		const float hx = g.sx * 0.5f, hy = g.sy * 0.5f;
		runs[i % runs.size()].mesh.Box(frame, {-hx, -hy, 0.0f}, {hx, hy, g.sz}, 30.0f, 16);
		SceneRun& ribbon = i % 2 == 0 ? gold : red;
		ribbon.mesh.Box(frame, {-hx - 0.3f, -2.0f, 0.0f}, {hx + 0.3f, 2.0f, g.sz + 0.3f}, 10.0f, 16);
		// The second band lies over the first where they cross, not in the same plane.
		ribbon.mesh.Box(frame, {-2.0f, -hy - 0.3f, 0.0f}, {2.0f, hy + 0.3f, g.sz + 0.45f}, 10.0f, 16);
		// The bow: two loops leaning apart over a knot, and two tails lying on the lid.
		const Vec3 knot = frame.Point({0.0f, 0.0f, g.sz + 1.4f});
		const float loop = std::min(hx, 8.0f);
		BowLoop(ribbon.mesh, frame, knot, 1.0f, loop, loop * 0.7f);
		BowLoop(ribbon.mesh, frame, knot, -1.0f, loop, loop * 0.7f);
		ribbon.mesh.Ellipsoid(Frame{knot, frame.xAxis, frame.yAxis, frame.zAxis}, {1.6f, 2.0f, 1.3f}, 8, 5.0f);
		for (float side : {-1.0f, 1.0f})
		{
			std::vector<Vec3> tail;
			std::vector<Vec2> radii;
			for (int k = 0; k <= 5; ++k)
			{
				const float t = k / 5.0f;
				tail.push_back(frame.Point({side * 2.0f * t, side * std::min(hy, 9.0f) * t,
				                            g.sz + 1.3f - 0.6f * std::sqrt(t)}));
				radii.push_back({1.5f, 0.22f});
			}
			ribbon.mesh.Sweep(tail, radii, frame.Direction({1.0f, -side * 0.2f, 0.0f}), 6, 10.0f);
		}
		layout.furniture.push_back(
		    {g.at - Vec3{hx + hy, hx + hy, 0.0f}, g.at + Vec3{hx + hy, hx + hy, g.sz + 10.0f}});
	}
	for (SceneRun& run : runs)
	{
		presents.runs.push_back(run);
	}
	presents.runs.push_back(gold);
	presents.runs.push_back(red);
	presents.texelsPerUnit = 0.6f;
	return presents;
}
