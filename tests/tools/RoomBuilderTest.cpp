// The room builder's pieces: surface generators, the ray caster, the lightmap baker and the
// camera flights.

#include "tools/content/Draw.h"
#include "tools/room/Flights.h"
#include "tools/room/Lightmap.h"
#include "tools/room/RayCaster.h"
#include "tools/room/Textures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <set>
#include <stdexcept>

namespace
{
// Every triangle's winding must agree with its corner normals, or culling and the baker's
// "front" would disagree with the engine's lighting.
void ExpectWindingMatchesNormals(const Mesh& mesh, const char* what)
{
	ASSERT_FALSE(mesh.triangles.empty()) << what;
	for (const Triangle& t : mesh.triangles)
	{
		const Vec3 face = Cross(t.corners[1].position - t.corners[0].position,
		                        t.corners[2].position - t.corners[0].position);
		if (Length(face) < 1e-6f)
		{
			continue;
		}
		const Vec3 normal = t.corners[0].normal + t.corners[1].normal + t.corners[2].normal;
		EXPECT_GT(Dot(face, normal), 0.0f) << what;
	}
}

SceneDraft BoxRoom()
{
	SceneDraft room("room");
	SceneRun walls{"tex_paint.tga", {}, false};
	// An inward-facing box: the outward box turned inside out by swapping two corners.
	Mesh outward;
	outward.Box(Frame{}, {0.0f, 0.0f, 0.0f}, {200.0f, 150.0f, 100.0f}, 50.0f);
	for (Triangle t : outward.triangles)
	{
		std::swap(t.corners[1], t.corners[2]);
		for (Corner& c : t.corners)
		{
			c.normal = -c.normal;
		}
		walls.mesh.triangles.push_back(t);
	}
	walls.mesh.chartCount = outward.chartCount;
	room.runs = {walls};
	room.texelsPerUnit = 0.5f;
	return room;
}
} // namespace

TEST(RoomBuilder, GeneratorsWindFacesTowardsTheirNormals)
{
	Mesh box, lathe, cylinder, sphere, prism, tube, quad;
	box.Box(Frame::TurnedZ({10.0f, 0.0f, 0.0f}, 0.7f), {-1.0f, -2.0f, 0.0f}, {3.0f, 2.0f, 5.0f}, 10.0f);
	lathe.Lathe(Frame{}, {{0.0f, 0.0f}, {5.0f, 0.0f}, {3.0f, 4.0f}, {0.0f, 6.0f}}, 12, 10.0f, false);
	cylinder.Cylinder(Frame::Along({1.0f, 2.0f, 3.0f}, {1.0f, 1.0f, 0.0f}), 2.0f, 8.0f, 10, 10.0f);
	sphere.Sphere(Frame{}, 4.0f, 12, 10.0f);
	prism.Prism(Frame{}, {{0.0f, 3.0f}, {-2.0f, -1.0f}, {2.0f, -1.0f}}, 1.0f, 10.0f);
	tube.Tube({{0.0f, 0.0f, 0.0f}, {10.0f, 0.0f, 2.0f}, {10.0f, 10.0f, 2.0f}}, 1.0f, 6, 10.0f);
	quad.Quad({0.0f, 0.0f, 0.0f}, {4.0f, 0.0f, 0.0f}, {4.0f, 3.0f, 0.0f}, {0.0f, 3.0f, 0.0f}, 2.0f);
	ExpectWindingMatchesNormals(box, "box");
	ExpectWindingMatchesNormals(lathe, "lathe");
	ExpectWindingMatchesNormals(cylinder, "cylinder");
	ExpectWindingMatchesNormals(sphere, "sphere");
	ExpectWindingMatchesNormals(prism, "prism");
	ExpectWindingMatchesNormals(tube, "tube");
	ExpectWindingMatchesNormals(quad, "quad");
	Mesh rounded, sweep, ellipsoid, fan;
	rounded.RoundedBox(Frame::TurnedZ({5.0f, 0.0f, 0.0f}, 0.4f), {-4.0f, -3.0f, 0.0f}, {4.0f, 3.0f, 2.0f}, 0.8f, 3,
	                   10.0f);
	// A bent tube closed to a tip at one end, as a stocking's toe.
	sweep.Sweep({{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -5.0f}, {0.0f, 2.0f, -8.0f}, {0.0f, 5.0f, -9.0f}, {0.0f, 6.0f, -9.0f}},
	            {{3.0f, 1.0f}, {3.0f, 1.0f}, {2.8f, 1.0f}, {2.5f, 0.9f}, {0.0f, 0.0f}}, {0.0f, 1.0f, 0.0f}, 12, 10.0f);
	ellipsoid.Ellipsoid(Frame::At({1.0f, 2.0f, 3.0f}), {2.0f, 1.0f, 3.0f}, 12, 10.0f);
	fan.Fan({{0.0f, 0.0f, 0.0f}, {3.0f, 0.0f, 0.0f}, {3.0f, 0.0f, 0.0f}, {3.0f, 2.0f, 1.0f}, {0.0f, 2.0f, 1.0f}}, 5.0f);
	ExpectWindingMatchesNormals(rounded, "rounded box");
	ExpectWindingMatchesNormals(sweep, "sweep");
	ExpectWindingMatchesNormals(ellipsoid, "ellipsoid");
	ExpectWindingMatchesNormals(fan, "fan");
	EXPECT_FLOAT_EQ(quad.triangles[0].corners[2].u, 2.0f); // repeats every two units
	EXPECT_EQ(box.chartCount, 6);
}

namespace
{
// The volume a triangle soup encloses, by the divergence theorem about `origin`. Only a closed
// surface gives the same volume about every origin.
double EnclosedVolume(const Mesh& mesh, Vec3 origin)
{
	double volume = 0.0;
	for (const Triangle& t : mesh.triangles)
	{
		const Vec3 a = t.corners[0].position - origin, b = t.corners[1].position - origin,
		           c = t.corners[2].position - origin;
		volume += Dot(a, Cross(b, c)) / 6.0;
	}
	return volume;
}
} // namespace

// The rounded shapes are closed, face outwards and have smooth normals where they are round:
// a rounded box is its inner box grown by a ball, so its volume lies between the inner box
// grown by a cube and by the ball's inscribed polygon; an ellipsoid is close to 4/3 pi abc.
TEST(RoomBuilder, RoundedShapesAreClosedAndSmooth)
{
	Mesh box;
	const float r = 1.0f;
	box.RoundedBox(Frame::TurnedZ({3.0f, -2.0f, 1.0f}, 0.7f), {0.0f, 0.0f, 0.0f}, {10.0f, 6.0f, 4.0f}, r, 4, 10.0f);
	const double volume = EnclosedVolume(box, {0.0f, 0.0f, 0.0f});
	EXPECT_NEAR(EnclosedVolume(box, {50.0f, -30.0f, 20.0f}), volume, 1e-3 * volume);
	const double inner = 8.0 * 4.0 * 2.0;
	const double slabs = 2.0 * r * (8.0 * 4.0 + 8.0 * 2.0 + 4.0 * 2.0);
	const double edges = kPi * r * r * (8.0 + 4.0 + 2.0);
	const double ball = 4.0 / 3.0 * kPi * r * r * r;
	EXPECT_LT(volume, inner + slabs + edges + ball + 1e-3);
	EXPECT_GT(volume, inner + slabs + 0.9 * (edges + ball));
	// Smooth: where two triangles share a corner position they share its normal too.
	for (const Triangle& a : box.triangles)
	{
		for (const Triangle& b : box.triangles)
		{
			for (const Corner& ca : a.corners)
			{
				for (const Corner& cb : b.corners)
				{
					if (Length(ca.position - cb.position) < 1e-5f && a.chart == b.chart)
					{
						EXPECT_LT(Length(ca.normal - cb.normal), 1e-3f);
					}
				}
			}
		}
	}
	Mesh ellipsoid;
	ellipsoid.Ellipsoid(Frame{}, {2.0f, 3.0f, 4.0f}, 24, 10.0f);
	const double expected = 4.0 / 3.0 * kPi * 24.0;
	EXPECT_NEAR(EnclosedVolume(ellipsoid, {7.0f, 1.0f, -3.0f}), EnclosedVolume(ellipsoid, {}), 1e-3 * expected);
	EXPECT_NEAR(EnclosedVolume(ellipsoid, {}), expected, 0.05 * expected);
	// A sweep closed to tips at both ends is closed too.
	Mesh limb;
	limb.Sweep({{0.0f, 0.0f, -1.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 8.0f}, {0.0f, 0.0f, 9.0f}},
	           {{0.0f, 0.0f}, {1.0f, 1.0f}, {1.0f, 1.0f}, {0.0f, 0.0f}}, {1.0f, 0.0f, 0.0f}, 16, 10.0f);
	EXPECT_NEAR(EnclosedVolume(limb, {5.0f, 5.0f, 5.0f}), EnclosedVolume(limb, {}), 1e-3);
	EXPECT_GT(EnclosedVolume(limb, {}), 0.0);
}

TEST(RoomBuilder, RayCasterFindsTheSameNearestHitAsBruteForce)
{
	Random random(7);
	std::vector<std::array<Vec3, 3>> triangles;
	for (int i = 0; i < 300; ++i)
	{
		const Vec3 centre{random.Uniform(-50.0f, 50.0f), random.Uniform(-50.0f, 50.0f),
		                  random.Uniform(-50.0f, 50.0f)};
		auto corner = [&]
		{
			return centre + Vec3{random.Uniform(-8.0f, 8.0f), random.Uniform(-8.0f, 8.0f),
			                     random.Uniform(-8.0f, 8.0f)};
		};
		triangles.push_back({corner(), corner(), corner()});
	}
	const RayCaster caster(triangles);
	int hits = 0;
	for (int i = 0; i < 400; ++i)
	{
		const Vec3 origin{random.Uniform(-60.0f, 60.0f), random.Uniform(-60.0f, 60.0f),
		                  random.Uniform(-60.0f, 60.0f)};
		const Vec3 direction = Normalize(
		    {random.Uniform(-1.0f, 1.0f), random.Uniform(-1.0f, 1.0f), random.Uniform(-1.0f, 1.0f)});
		float nearest = 1e30f;
		for (const auto& t : triangles)
		{
			const RayCaster single({t});
			const float d = single.Cast(origin, direction, 1000.0f);
			if (d > 0.0f)
			{
				nearest = std::min(nearest, d);
			}
		}
		const RayCaster::Hit hit = caster.Nearest(origin, direction, 1000.0f);
		if (nearest < 1e30f)
		{
			++hits;
			ASSERT_GE(hit.triangle, 0);
			EXPECT_NEAR(hit.distance, nearest, 1e-3f);
			const auto& t = triangles[hit.triangle];
			const Vec3 at = t[0] * (1.0f - hit.u - hit.v) + t[1] * hit.u + t[2] * hit.v;
			EXPECT_NEAR(Length(at - (origin + direction * hit.distance)), 0.0f, 1e-2f);
		}
		else
		{
			EXPECT_LT(hit.distance, 0.0f);
		}
	}
	EXPECT_GT(hits, 40);
}

TEST(RoomBuilder, LightmapChartsStayApartAndTheBakeIgnoresThreadCount)
{
	RoomLayout layout;
	layout.objects.push_back(BoxRoom());
	layout.lights.push_back({{100.0f, 75.0f, 80.0f}, {1000.0f, 800.0f, 600.0f}, 5.0f});
	const Albedo grey = [](const std::string&) { return Vec3{0.5f, 0.5f, 0.5f}; };
	const Lightmap one = BakeLightmap(layout, {}, grey, 256, 1);
	const Lightmap three = BakeLightmap(layout, {}, grey, 256, 3);
	EXPECT_EQ(one.atlas.rgba, three.atlas.rgba);
	EXPECT_GT(one.texels, 1000);

	// Each face of the box owns its own rectangle of the atlas: no texel centre falls inside
	// triangles of two different charts.
	const auto& uvs = one.uvs[0][0];
	const auto& triangles = layout.objects[0].runs[0].mesh.triangles;
	ASSERT_EQ(uvs.size(), triangles.size());
	std::vector<int> owner(256 * 256, -1);
	for (size_t t = 0; t < triangles.size(); ++t)
	{
		for (const Vec2& uv : uvs[t])
		{
			EXPECT_TRUE(uv.x > 0.0f && uv.x < 1.0f && uv.y > 0.0f && uv.y < 1.0f);
		}
		for (int y = 0; y < 256; ++y)
		{
			for (int x = 0; x < 256; ++x)
			{
				const float px = (x + 0.5f) / 256.0f, py = 1.0f - (y + 0.5f) / 256.0f;
				const Vec2 a = uvs[t][0], b = uvs[t][1], c = uvs[t][2];
				const float d0 = (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
				const float d1 = (c.x - b.x) * (py - b.y) - (c.y - b.y) * (px - b.x);
				const float d2 = (a.x - c.x) * (py - c.y) - (a.y - c.y) * (px - c.x);
				const bool inside = (d0 > 0 && d1 > 0 && d2 > 0) || (d0 < 0 && d1 < 0 && d2 < 0);
				if (inside)
				{
					int& o = owner[y * 256 + x];
					EXPECT_TRUE(o < 0 || o == triangles[t].chart) << "texel " << x << ", " << y;
					o = triangles[t].chart;
				}
			}
		}
	}
}

TEST(RoomBuilder, FlightsAreSmoothAndLookWhereTheyMove)
{
	const std::vector<ModelDraft> models = BuildModels();
	const RoomLayout layout = BuildRoom(models);
	const std::vector<BssCamera> cameras = BuildFlights(layout);
	ASSERT_EQ(cameras.size(), 5u);
	for (const BssCamera& camera : cameras)
	{
		auto distance = [](Float3 a, Float3 b) {
			return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) +
			                 (b.z - a.z) * (b.z - a.z));
		};
		float previousStep = 0.0f;
		for (int k = 1; k < camera.keyCount - 1; ++k)
		{
			// No jumps and no jerks: the speed stays gentle and changes little from key to key.
			const float step = distance(camera.positions[k - 1], camera.positions[k]);
			EXPECT_LT(step, 12.0f) << "key " << k;
			EXPECT_LT(std::fabs(step - previousStep), 0.6f) << "key " << k;
			previousStep = step;
			const Float4 p = camera.rotations[k - 1], q = camera.rotations[k];
			EXPECT_GT(std::fabs(p.x * q.x + p.y * q.y + p.z * q.z + p.w * q.w), 0.995f) << "key " << k;
		}
		// The stored rotation is the conjugate of the view's: turning (0, 1, 0) by the view
		// rotation gives an up vector that points up.
		const Float4 stored = camera.rotations[0];
		const Vec3 up = Rotate(Quat{-stored.x, -stored.y, -stored.z, stored.w}, {0.0f, 1.0f, 0.0f});
		EXPECT_GT(up.z, 0.5f);
	}
}

namespace
{
const ModelDraft& FindModel(const std::vector<ModelDraft>& models, const std::string& name)
{
	for (const ModelDraft& model : models)
	{
		if (model.name == name)
		{
			return model;
		}
	}
	throw std::runtime_error("no model " + name);
}

// The far end of a part from the origin, in the x-z plane (a clock hand's tip).
Vec3 FarthestPoint(const ModelPart& part)
{
	Vec3 best;
	for (const Triangle& t : part.mesh.triangles)
	{
		for (const Corner& c : t.corners)
		{
			if (c.position.x * c.position.x + c.position.z * c.position.z > best.x * best.x + best.z * best.z)
			{
				best = c.position;
			}
		}
	}
	return best;
}
} // namespace

TEST(RoomBuilder, ClockHandsStartAtTwelveAndTurnClockwiseSeenFromTheRoom)
{
	const std::vector<ModelDraft> models = BuildModels();
	const ModelDraft& clock = FindModel(models, "Clock");
	for (const char* hand : {"Arrow01", "Arrow02", "Arrow03"})
	{
		const auto part = std::find_if(clock.parts.begin(), clock.parts.end(),
		                               [&](const ModelPart& p) { return p.name == hand; });
		ASSERT_NE(part, clock.parts.end()) << hand;
		const Vec3 tip = FarthestPoint(*part);
		EXPECT_GT(tip.z, 10.0f) << hand << " points at twelve";
		EXPECT_NEAR(tip.x, 0.0f, 0.5f) << hand;
		// The engine turns a hand by minutes × −6 degrees about y. A quarter hour must bring the
		// tip to the right of someone facing the dial (the dial faces +y, so their right is −x).
		const float angle = -90.0f * kPi / 180.0f;
		const Vec3 turned{tip.x * std::cos(angle) + tip.z * std::sin(angle), tip.y,
		                  -tip.x * std::sin(angle) + tip.z * std::cos(angle)};
		EXPECT_LT(turned.x, -10.0f) << hand;
	}
}

TEST(RoomBuilder, TrainRunsLocomotiveFirstAroundTheTrack)
{
	const std::vector<ModelDraft> models = BuildModels();
	const ModelDraft& railroad = FindModel(models, "railroad");
	auto angleOf = [&](const std::string& name)
	{
		for (const ModelPart& part : railroad.parts)
		{
			if (part.name == name)
			{
				const Bounds b = part.mesh.Extent();
				const Vec3 centre = (b.min + b.max) * 0.5f;
				EXPECT_NEAR(Length({centre.x, centre.y, 0.0f}), 95.0f, 10.0f)
				    << name << " stands on the track";
				return std::atan2(centre.y, centre.x);
			}
		}
		ADD_FAILURE() << "no part " << name;
		return 0.0f;
	};
	// The engine turns the train by growing angles about +z, counter-clockwise from above: the
	// locomotive leads, the first wagon follows, then the second.
	EXPECT_GT(angleOf("loco"), angleOf("wagon01"));
	EXPECT_GT(angleOf("wagon01"), angleOf("wagon02"));
	ASSERT_EQ(railroad.anchors.size(), 1u);
	EXPECT_GT(railroad.anchors[0].position.z, 15.0f) << "the steam leaves the chimney top";
}

TEST(RoomBuilder, LargeSurfaceTexturesTileWithoutSeams)
{
	TextureSet textures;
	textures.PaintAll();
	for (const char* name :
	     {"tex_floor.tga", "tex_wallpaper.tga", "tex_bricks.tga", "tex_snow.tga", "tex_upholstery.tga"})
	{
		const Image* image = textures.Find(name);
		ASSERT_NE(image, nullptr) << name;
		// Across the wrap, neighbouring pixels differ no more than neighbours inside do.
		auto difference = [&](int x0, int y0, int x1, int y1)
		{
			double sum = 0.0;
			for (int k = 0; k < 3; ++k)
			{
				sum += std::abs(image->Pixel(x0, y0)[k] - image->Pixel(x1, y1)[k]);
			}
			return sum;
		};
		double inside = 0.0, wrap = 0.0;
		for (int i = 0; i < image->height; ++i)
		{
			inside += difference(image->width / 2 - 1, i, image->width / 2, i);
			wrap += difference(image->width - 1, i, 0, i);
		}
		for (int i = 0; i < image->width; ++i)
		{
			inside += difference(i, image->height / 2 - 1, i, image->height / 2);
			wrap += difference(i, image->height - 1, i, 0);
		}
		EXPECT_LT(wrap, inside * 2.0 + 1000.0) << name;
	}
}

// The fir's branch cards and the distant firs' cards are cut to where their pictures have
// something to show: no opaque texel may fall outside the cut (it would vanish from the screen).
TEST(RoomBuilder, CutOutCardsKeepEveryOpaqueTexel)
{
	TextureSet textures;
	textures.PaintAll();
	auto covers = [](const std::vector<Triangle>& card, float u, float v)
	{
		for (const Triangle& t : card)
		{
			const Corner* c = t.corners;
			float area = (c[1].u - c[0].u) * (c[2].v - c[0].v) - (c[2].u - c[0].u) * (c[1].v - c[0].v);
			bool inside = std::fabs(area) > 1e-9f;
			for (int k = 0; k < 3 && inside; ++k)
			{
				const Corner& a = c[(k + 1) % 3];
				const Corner& b = c[(k + 2) % 3];
				inside = ((b.u - a.u) * (v - a.v) - (b.v - a.v) * (u - a.u)) / area >= -1e-4f;
			}
			if (inside)
			{
				return true;
			}
		}
		return false;
	};
	auto expectCovered = [&](const std::string& texture, const std::vector<Triangle>& card)
	{
		const Image* image = textures.Find(texture);
		ASSERT_NE(image, nullptr);
		int lost = 0, opaque = 0;
		for (int y = 0; y < image->height; ++y)
		{
			for (int x = 0; x < image->width; ++x)
			{
				if (image->Pixel(x, y)[3] == 0)
				{
					continue;
				}
				++opaque;
				lost += covers(card, (x + 0.5f) / image->width, 1.0f - (y + 0.5f) / image->height) ? 0 : 1;
			}
		}
		EXPECT_GT(opaque, 0) << texture;
		EXPECT_EQ(lost, 0) << texture;
	};

	const std::vector<ModelDraft> models = BuildModels();
	const ModelPart& branches = *std::find_if(models[0].parts.begin(), models[0].parts.end(),
	                                          [](const ModelPart& p) { return p.name == "branches"; });
	std::vector<Triangle> card;
	std::copy_if(branches.mesh.triangles.begin(), branches.mesh.triangles.end(), std::back_inserter(card),
	             [&](const Triangle& t) { return t.chart == branches.mesh.triangles[0].chart; });
	expectCovered("tex_needles.tga", card);

	// A distant card is a row of strips side by side, each its own chart; the first card's
	// strips run from s = 0 to s = 1.
	const RoomLayout layout = BuildRoom(models);
	const SceneDraft& far = *std::find_if(layout.objects.begin(), layout.objects.end(),
	                                      [](const SceneDraft& o) { return o.name == "farfirs"; });
	const std::vector<Triangle>& strips = far.runs[0].mesh.triangles;
	const auto last =
	    std::find_if(strips.begin(), strips.end(),
	                 [](const Triangle& t) {
		                 return std::max({t.corners[0].u, t.corners[1].u, t.corners[2].u}) >= 1.0f;
	                 });
	ASSERT_NE(last, strips.end());
	card.clear();
	std::copy_if(strips.begin(), strips.end(), std::back_inserter(card),
	             [&](const Triangle& t) { return t.chart <= last->chart; });
	expectCovered("tex_farfirs.tga", card);
}
