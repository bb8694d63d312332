#include "tools/room/Models.h"

#include "tools/room/ModelParts.h"

#include "tools/content/Draw.h"
#include "tools/room/Textures.h"

#include <algorithm>
#include <cmath>

namespace
{
Float3 ToFloat3(Vec3 v)
{
	return {v.x, v.y, v.z};
}

BsmMesh ToMesh(const ModelPart& part)
{
	BsmMesh mesh;
	mesh.baseTexture = part.texture;
	mesh.scrollU = part.scrollU;
	mesh.scrollV = part.scrollV;
	mesh.hasReflection = part.reflection.empty() ? 0 : 1;
	mesh.reflectionTexture = part.reflection;
	mesh.hasGlow = part.glow.empty() ? 0 : 1;
	mesh.glowTexture = part.glow;
	mesh.name = part.name;
	mesh.parentName = part.parent;
	mesh.pivot = ToFloat3(part.pivot);
	for (const Triangle& triangle : part.mesh.triangles)
	{
		const float first = static_cast<float>(mesh.positions.size());
		for (const Corner& corner : triangle.corners)
		{
			mesh.positions.push_back(ToFloat3(corner.position));
			mesh.uvs.push_back({corner.u, corner.v, 0.0f});
			mesh.normals.push_back(ToFloat3(corner.normal));
		}
		mesh.faces.push_back({first, first + 1.0f, first + 2.0f});
		mesh.uvFaces.push_back({first, first + 1.0f, first + 2.0f});
	}
	mesh.vertexCount = static_cast<int32_t>(mesh.positions.size());
	mesh.faceCount = static_cast<int32_t>(mesh.faces.size());
	mesh.uvCount = static_cast<int32_t>(mesh.uvs.size());
	mesh.uvFaceCount = mesh.faceCount;
	return mesh;
}

// ---- The fir ----------------------------------------------------------------------------

constexpr float kFirHeight = 230.0f;
constexpr int kFirTiers = 9;

float TierRadius(float height)
{
	return 8.0f + 78.0f * (1.0f - (height - 30.0f) / (kFirHeight - 40.0f));
}

// Where the needle spray has needles on its card (s across, t from the twig's root to its
// tip): a wedge widening towards the tip, with a few texels to spare for the blur of the
// smaller mipmaps. The transparent corners outside it are never rasterised.
const std::vector<Vec2>& SprayOutline()
{
	const float spare = kNeedleStroke + 3.0f / 256.0f;
	const float root = NeedleReach(0.0f) + spare;
	const float full = (0.5f - spare - NeedleReach(0.0f)) / (NeedleReach(1.0f) - NeedleReach(0.0f));
	static const std::vector<Vec2> outline{{0.5f - root, 0.0f}, {0.5f + root, 0.0f}, {1.0f, full},
	                                       {1.0f, 1.0f},        {0.0f, 1.0f},        {0.0f, full}};
	return outline;
}

ModelDraft Fir()
{
	ModelDraft fir{"fir"};
	Random random(1225);
	ModelPart hull = Part("Hull", "tex_bark.tga");
	// The trunk stands in the pot, its foot clear of the pot's bottom.
	hull.mesh.Cylinder(Frame::At({0.0f, 0.0f, 1.0f}), 6.0f, kFirHeight - 21.0f, 10, 40.0f);
	// A red pot with a gold rim.
	ModelPart pot = Part("pot", "tex_paper_red.tga");
	pot.mesh.Lathe(kUp, {{0.0f, 0.0f}, {20.0f, 0.0f}, {25.0f, 28.0f}, {27.0f, 30.0f}, {0.0f, 30.0f}}, 20,
	               30.0f, false, 3.0f);
	ModelPart branches = Part("branches", "tex_needles.tga");
	ModelPart body = Part("needles", "tex_firbody.tga");
	for (int tier = 0; tier < kFirTiers; ++tier)
	{
		const float base = 34.0f + tier * (kFirHeight - 60.0f) / kFirTiers;
		const float radius = TierRadius(base);
		const float top = base + 34.0f;
		body.mesh.Lathe(kUp, {{radius * 0.6f, base + 2.0f}, {radius * 0.2f, top}, {0.0f, top + 2.0f}}, 16,
		                40.0f, false, 4.0f);
		const int count = 9 + static_cast<int>(radius / 8.0f);
		for (int i = 0; i < count; ++i)
		{
			const float angle = (i + random.Uniform(-0.3f, 0.3f)) * 2.0f * kPi / count + tier * 0.7f;
			const Vec3 out{std::cos(angle), std::sin(angle), 0.0f};
			const Vec3 side{-out.y, out.x, 0.0f};
			const float reach = radius * random.Uniform(0.85f, 1.15f);
			const float width = std::max(reach * 0.45f, 9.0f);
			const Vec3 root = Vec3{0.0f, 0.0f, base + 14.0f} + out * 3.0f;
			const Vec3 tip = Vec3{0.0f, 0.0f, base + 14.0f - reach * 0.35f} + out * reach;
			// Two crossed cards per branch: a flat one and a tilted one.
			branches.mesh.CutOut(root - side * width * 0.5f, side * width, tip - root, SprayOutline());
			// The tilted card stands off the axis by a little of its own, so that no two of them, a
			// tier apart at the same bearing, lie in one plane.
			const Vec3 lift{0.0f, 0.0f, width * 0.4f};
			const Vec3 aside = side * random.Uniform(-1.0f, 1.0f);
			branches.mesh.CutOut(root + aside - lift, lift * 2.0f, tip - root, SprayOutline());
		}
	}
	// Baubles and bulbs, spread over the outside of the tiers.
	const char* baubleColours[] = {"red", "gold", "blue", "silver"};
	std::vector<ModelPart> baubles;
	for (const char* colour : baubleColours)
	{
		ModelPart part =
		    Part(std::string("baubles_") + colour, std::string("tex_bauble_") + colour + ".tga", "branches");
		part.reflection = "tex_reflection2.tga";
		baubles.push_back(part);
	}
	auto surfacePoint = [&](float depth)
	{
		const float z = random.Uniform(40.0f, kFirHeight - 40.0f);
		const float angle = random.Uniform(0.0f, 2.0f * kPi);
		const float radius = TierRadius(z - 10.0f) * depth;
		return Vec3{std::cos(angle) * radius, std::sin(angle) * radius, z};
	};
	struct Ball
	{
		Vec3 centre;
		float radius;
	};
	std::vector<Ball> baubleBalls;
	for (int i = 0; i < 44; ++i)
	{
		const Vec3 at = surfacePoint(random.Uniform(0.75f, 0.95f));
		const float size = random.Uniform(3.0f, 5.0f);
		baubleBalls.push_back({at - Vec3{0.0f, 0.0f, size}, size});
		ModelPart& part = baubles[i % baubles.size()];
		part.mesh.Sphere(Frame::At(at - Vec3{0.0f, 0.0f, size}), size, 10, 10.0f);
		part.mesh.Cylinder(Frame::At(at + Vec3{0.0f, 0.0f, size * 0.9f}), 0.8f, 1.5f, 6, 10.0f);
	}
	ModelPart bulbs = Part("bulbs", "tex_bulbs.tga", "branches");
	bulbs.glow = "tex_bulbs_i.tga";
	const char* lights[] = {"red_firlight", "blu_firlight", "gre_firlight", "vio_firlight",
	                        "yel_firlight", "redfirglow",   "grefirglow",   "yelfirglow"};
	// A bulb is not hung inside a bauble.
	auto clearOfBaubles = [&](const Vec3& bulb)
	{
		return std::none_of(baubleBalls.begin(), baubleBalls.end(),
		                    [&](const Ball& ball)
		                    {
			                    const Vec3 d = bulb - ball.centre;
			                    return Dot(d, d) < (ball.radius + 2.5f) * (ball.radius + 2.5f);
		                    });
	};
	for (int i = 0; i < 72; ++i)
	{
		Vec3 at = surfacePoint(random.Uniform(0.8f, 1.0f));
		while (!clearOfBaubles(at - Vec3{0.0f, 0.0f, 1.2f}))
		{
			at = surfacePoint(random.Uniform(0.8f, 1.0f));
		}
		bulbs.mesh.Sphere(Frame::At(at - Vec3{0.0f, 0.0f, 1.2f}), 1.2f, 6, 5.0f);
		fir.anchors.push_back(Emitter(at, lights[random.Below(8)], "branches"));
	}
	// Tinsel: a gold spiral down the tree.
	ModelPart tinsel = Part("tinsel", "tex_tinsel.tga", "branches");
	tinsel.reflection = "tex_reflection2.tga";
	std::vector<Vec3> spiral;
	for (int i = 0; i <= 160; ++i)
	{
		const float z = kFirHeight - 45.0f - i * (kFirHeight - 85.0f) / 160.0f;
		const float angle = i * 0.16f;
		const float radius = TierRadius(z - 8.0f) * 0.9f;
		spiral.push_back({std::cos(angle) * radius, std::sin(angle) * radius,
		                  z - 4.0f * std::fabs(std::sin(angle * 2.5f))});
	}
	tinsel.mesh.Tube(spiral, 0.9f, 5, 8.0f);
	// The star at the top, turned towards the middle of the room.
	const Vec3 starCentre = FirStarCentre();
	ModelPart star = Star(starCentre, Normalize({-0.84f, -0.54f, 0.0f}), 9.0f);
	fir.anchors.push_back(Emitter(starCentre, "yelfirglow", "branches"));

	fir.parts = {hull, pot, body, branches};
	for (ModelPart& part : baubles)
	{
		fir.parts.push_back(part);
	}
	fir.parts.push_back(bulbs);
	fir.parts.push_back(tinsel);
	fir.parts.push_back(star);
	return fir;
}

// ---- Small models -----------------------------------------------------------------------

ModelDraft Candle()
{
	ModelDraft candle{"candle"};
	ModelPart hull = Part("Hull", "tex_brass.tga");
	hull.mesh.Lathe(
	    kUp,
	    {{0.0f, 0.0f}, {5.0f, 0.0f}, {5.0f, 0.8f}, {2.0f, 1.5f}, {2.0f, 3.0f}, {3.2f, 3.5f}, {0.0f, 3.5f}},
	    16, 10.0f, true);
	ModelPart wax = Part("wax", "tex_candle.tga");
	wax.glow = "tex_candle_i.tga";
	wax.mesh.Lathe(kUp, {{0.0f, 3.5f}, {1.6f, 3.5f}, {1.6f, 20.5f}, {1.3f, 21.0f}, {0.0f, 21.0f}}, 12, 20.0f,
	               false);
	ModelPart wick = Part("wick", "tex_wick.tga", "wax");
	wick.mesh.Cylinder(Frame::At({0.0f, 0.0f, 21.0f}), 0.2f, 1.2f, 4, 5.0f);
	candle.parts = {hull, wax, wick};
	candle.anchors.push_back(Emitter({0.0f, 0.0f, 22.2f}, "candle", "wax"));
	return candle;
}

// The clock's dial lies in the x-z plane facing +y; seen from the front, +z is twelve o'clock
// and -x is three o'clock, so the hands turn clockwise at negative angles about y.
ModelDraft Clock()
{
	ModelDraft clock{"Clock"};
	const float radius = 24.0f;
	ModelPart hull = Part("Hull", "tex_darkwood.tga");
	const Frame facing = Frame::Along({0.0f, -9.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
	hull.mesh.Lathe(facing,
	                {{0.0f, 0.0f},
	                 {radius + 4.0f, 0.0f},
	                 {radius + 4.0f, 6.0f},
	                 {radius + 2.0f, 9.5f},
	                 {radius, 9.5f},
	                 {radius, 8.0f}},
	                32, 30.0f, false, 2.0f);
	// The dial: a round plate, its picture fitted to the plate's square.
	ModelPart dial = Part("dial", "tex_clockface.tga");
	std::vector<Vec2> rim;
	for (int i = 0; i < 48; ++i)
	{
		const float angle = i * 2.0f * kPi / 48.0f;
		rim.push_back({std::cos(angle) * radius, std::sin(angle) * radius});
	}
	dial.mesh.Prism(Frame{{0.0f, -1.6f, 0.0f}, {-1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}},
	                rim, 0.6f, 10.0f);
	// Hand outlines point up the dial (local y = model +z); local x is the viewer's right.
	auto hand =
	    [&](const std::string& name, const std::string& texture, float length, float width, float lift)
	{
		ModelPart part = Part(name, texture);
		const Frame frame{{0.0f, lift, 0.0f}, {-1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}};
		part.mesh.Prism(frame,
		                {{0.0f, -length * 0.18f},
		                 {width, 0.0f},
		                 {width * 0.4f, length * 0.85f},
		                 {0.0f, length},
		                 {-width * 0.4f, length * 0.85f},
		                 {-width, 0.0f}},
		                0.4f, 10.0f);
		return part;
	};
	ModelPart cap = Part("cap", "tex_brass.tga");
	cap.mesh.Cylinder(Frame::Along({0.0f, -1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}), 1.2f, 2.4f, 10, 5.0f);
	clock.parts = {hull,
	               dial,
	               cap,
	               hand("Arrow01", "tex_hands.tga", radius * 0.82f, 1.1f, -0.5f),
	               hand("Arrow02", "tex_hands.tga", radius * 0.55f, 1.6f, -0.8f),
	               hand("Arrow03", "tex_secondhand.tga", radius * 0.9f, 0.4f, 0.0f)};
	return clock;
}

constexpr float kTrackRadius = 95.0f;

// A locomotive or wagon built in a frame whose x runs along the track and y points inwards.
Frame TrackFrame(float angle)
{
	return Frame::TurnedZ({std::cos(angle) * kTrackRadius, std::sin(angle) * kTrackRadius, 0.0f},
	                      angle + kPi * 0.5f);
}

ModelDraft Railroad(Vec3& chimney)
{
	ModelDraft railroad{"railroad"};
	ModelPart hull = Part("Hull", "tex_steel.tga");
	for (float radius : {kTrackRadius - 4.5f, kTrackRadius + 3.5f})
	{
		hull.mesh.Lathe(
		    kUp,
		    {{radius, 1.5f}, {radius + 1.0f, 1.5f}, {radius + 1.0f, 3.0f}, {radius, 3.0f}, {radius, 1.5f}},
		    64, 10.0f, false);
	}
	ModelPart sleepers = Part("sleepers", "tex_darkwood.tga");
	for (int i = 0; i < 60; ++i)
	{
		const Frame frame = TrackFrame(i * 2.0f * kPi / 60.0f);
		sleepers.mesh.Box(frame, {-1.5f, -7.5f, 0.0f}, {1.5f, 7.5f, 1.5f}, 10.0f, 16);
	}
	auto wheels = [&](Mesh& mesh, const Frame& frame, float from, float to)
	{
		for (float x : {from, to})
		{
			for (float side : {-4.0f, 4.0f})
			{
				mesh.Cylinder(
				    Frame::Along(frame.Point({x, side - (side > 0 ? 0.0f : 1.2f), 3.6f}), frame.yAxis), 3.2f,
				    1.2f, 10, 5.0f);
			}
		}
	};
	const float locoAngle = 0.42f;
	const Frame loco = TrackFrame(locoAngle);
	ModelPart locoPart = Part("loco", "tex_loco.tga");
	locoPart.mesh.Cylinder(Frame::Along(loco.Point({-6.0f, 0.0f, 10.0f}), loco.xAxis), 5.0f, 18.0f, 14,
	                       20.0f);
	locoPart.mesh.Box(loco, {-16.0f, -5.5f, 4.0f}, {-5.0f, 5.5f, 21.0f}, 20.0f);
	locoPart.mesh.Box(loco, {-17.0f, -6.5f, 21.0f}, {-4.0f, 6.5f, 23.0f}, 20.0f);
	locoPart.mesh.Box(loco, {-17.0f, -5.0f, 3.0f}, {14.0f, 5.0f, 6.0f}, 20.0f);
	ModelPart locoBlack = Part("loco_trim", "tex_black.tga", "loco");
	locoBlack.mesh.Lathe(Frame::At(loco.Point({7.0f, 0.0f, 14.0f})),
	                     {{0.0f, 0.0f}, {1.8f, 0.0f}, {1.8f, 5.0f}, {3.0f, 8.0f}, {0.0f, 8.0f}}, 10, 5.0f,
	                     false);
	wheels(locoBlack.mesh, loco, -11.0f, 6.0f);
	chimney = loco.Point({7.0f, 0.0f, 22.0f});

	auto wagon = [&](const std::string& name, const std::string& texture, float angle)
	{
		const Frame frame = TrackFrame(angle);
		ModelPart part = Part(name, texture);
		part.mesh.Box(frame, {-10.0f, -5.5f, 4.0f}, {10.0f, 5.5f, 6.0f}, 20.0f);
		part.mesh.Box(frame, {-10.0f, -5.5f, 6.0f}, {10.0f, -4.5f, 13.0f}, 20.0f);
		part.mesh.Box(frame, {-10.0f, 4.5f, 6.0f}, {10.0f, 5.5f, 13.0f}, 20.0f);
		part.mesh.Box(frame, {-10.0f, -4.5f, 6.0f}, {-9.0f, 4.5f, 13.0f}, 20.0f);
		part.mesh.Box(frame, {9.0f, -4.5f, 6.0f}, {10.0f, 4.5f, 13.0f}, 20.0f);
		wheels(part.mesh, frame, -6.0f, 6.0f);
		return part;
	};
	// The first wagon runs close behind the locomotive's cab without reaching into it.
	const float wagon1Angle = 0.11f;
	ModelPart wagon1 = wagon("wagon01", "tex_wagon.tga", wagon1Angle);
	ModelPart wagon2 = wagon("wagon02", "tex_wagon2.tga", -0.12f);
	// Presents ride in the second wagon.
	const Frame cargo = TrackFrame(-0.12f);
	wagon2.mesh.Box(cargo, {-7.0f, -3.5f, 6.0f}, {-1.0f, 3.5f, 14.0f}, 8.0f);
	wagon2.mesh.Box(cargo, {1.0f, -3.0f, 6.0f}, {7.0f, 3.0f, 12.0f}, 8.0f);
	const Frame seat = TrackFrame(wagon1Angle);
	ModelDraft rider =
	    Teddy("teddy", 0.35f, Frame{seat.Point({0.0f, 0.0f, 6.0f}), seat.xAxis, seat.yAxis, seat.zAxis});
	ModelPart teddy = rider.parts.front();
	teddy.name = "teddy";
	teddy.parent = "wagon01";
	// Mesh order matters: with "CollMesh" second, the locomotive is the fourth mesh, and its
	// first anchor is the steam point that follows the train.
	railroad.parts = {hull, wagon2, locoPart, wagon1, teddy, sleepers, locoBlack};
	railroad.anchors.push_back(Emitter(chimney, "locosteam", "loco"));
	return railroad;
}

ModelDraft FloorLamp()
{
	ModelDraft lamp{"floorlamp"};
	ModelPart hull = Part("Hull", "tex_brass.tga");
	hull.mesh.Lathe(kUp,
	                {{0.0f, 0.0f},
	                 {16.0f, 0.0f},
	                 {16.0f, 2.0f},
	                 {4.0f, 5.0f},
	                 {1.5f, 8.0f},
	                 {1.5f, 150.0f},
	                 {0.0f, 150.0f}},
	                16, 40.0f, false);
	ModelPart shade = Part("shade", "tex_lampshade.tga");
	shade.glow = "tex_lampshade_i.tga";
	shade.mesh.Lathe(kUp, {{26.0f, 132.0f}, {15.0f, 168.0f}}, 24, 40.0f, false);
	// The inside a little within the outside: two faces in one place would fight over the depth.
	shade.mesh.Lathe(kUp, {{14.6f, 168.0f}, {25.6f, 132.0f}}, 24, 40.0f, false);
	ModelPart bulb = Part("bulb", "tex_bulbs.tga");
	bulb.glow = "tex_bulbs_i.tga";
	bulb.mesh.Sphere(Frame::At({0.0f, 0.0f, 146.0f}), 4.0f, 10, 10.0f);
	lamp.parts = {hull, shade, bulb};
	return lamp;
}

// Two gathered panels either side of a window 120 wide, hung from a rod at the origin; the
// panels face -y (into the room).
ModelDraft Curtains()
{
	ModelDraft curtains{"curtains"};
	ModelPart hull = Part("Hull", "tex_brass.tga");
	hull.mesh.Cylinder(Frame::Along({-95.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}), 1.5f, 190.0f, 8, 40.0f);
	ModelPart cloth = Part("cloth", "tex_curtain.tga");
	for (float side : {-1.0f, 1.0f})
	{
		const int columns = 14;
		for (int i = 0; i < columns; ++i)
		{
			auto at = [&](int column, float z)
			{
				const float t = static_cast<float>(column) / columns;
				// Wider at the top, gathered towards the bottom edge.
				const float gather = 1.0f - 0.35f * (-z / 230.0f);
				const float x = side * (52.0f + t * 38.0f * gather);
				const float y = -2.0f - 3.0f * std::sin(t * kPi * 5.0f);
				return Vec3{x, y, z};
			};
			const Vec3 a = at(i, -225.0f), b = at(i + 1, -225.0f), c = at(i + 1, -2.0f), d = at(i, -2.0f);
			if (side > 0)
			{
				cloth.mesh.Quad(b, a, d, c, 60.0f);
			}
			else
			{
				cloth.mesh.Quad(a, b, c, d, 60.0f);
			}
		}
	}
	curtains.parts = {hull, cloth};
	return curtains;
}

// A sagging string of lights along the mantel's front edge (along y, 190 long).
ModelDraft Garland()
{
	ModelDraft garland{"garland"};
	ModelPart hull = Part("Hull", "tex_garland.tga");
	ModelPart bulbs = Part("bulbs", "tex_bulbs.tga");
	bulbs.glow = "tex_bulbs_i.tga";
	std::vector<Vec3> wire;
	const char* glows[] = {"redfirglow", "grefirglow", "yelfirglow"};
	for (int i = 0; i <= 96; ++i)
	{
		const float t = static_cast<float>(i) / 96.0f;
		const float loop = std::fmod(t * 4.0f, 1.0f);
		wire.push_back({0.0f, -95.0f + 190.0f * t, -10.0f * std::sin(loop * kPi)});
	}
	hull.mesh.Tube(wire, 0.4f, 4, 10.0f);
	for (int i = 2; i < 96; i += 4)
	{
		const Vec3 at = wire[i] + Vec3{0.0f, 0.0f, -1.5f};
		bulbs.mesh.Sphere(Frame::At(at - Vec3{0.0f, 0.0f, 1.0f}), 1.0f, 6, 5.0f);
		garland.anchors.push_back(Emitter(at, glows[(i * 7) % 3], "bulbs"));
	}
	garland.parts = {hull, bulbs};
	return garland;
}

Mesh CollisionBox(const Bounds& bounds)
{
	Mesh mesh;
	mesh.Box(kUp, bounds.min, bounds.max, 100.0f);
	return mesh;
}
} // namespace

ModelPart Part(const std::string& name, const std::string& texture, const std::string& parent)
{
	ModelPart part;
	part.name = name;
	part.parent = name == "Hull" ? "Scene Root" : parent;
	part.texture = texture;
	return part;
}

BsmAnchor Emitter(Vec3 position, const std::string& effect, const std::string& parent)
{
	BsmAnchor anchor;
	anchor.position = ToFloat3(position);
	anchor.name = "emit " + effect;
	anchor.parentName = parent;
	anchor.rotation = {0.0f, 0.0f, 0.0f, 1.0f};
	anchor.kind = 2;
	return anchor;
}

BsmFile ToBsm(const ModelDraft& model)
{
	BsmFile file;
	Bounds bounds;
	for (const ModelPart& part : model.parts)
	{
		const Bounds extent = part.mesh.Extent();
		bounds.Add(extent.min);
		bounds.Add(extent.max);
	}
	ModelPart collision = Part("CollMesh", "tex_default.tga");
	collision.parent = "Scene Root";
	collision.mesh = CollisionBox(bounds);
	file.meshes.push_back(ToMesh(model.parts.front()));
	file.meshes.push_back(ToMesh(collision));
	for (size_t i = 1; i < model.parts.size(); ++i)
	{
		file.meshes.push_back(ToMesh(model.parts[i]));
	}
	file.anchors = model.anchors;
	file.meshCount = static_cast<int32_t>(file.meshes.size());
	file.anchorCount = static_cast<int32_t>(file.anchors.size());
	return file;
}

std::vector<ModelDraft> BuildModels()
{
	Vec3 chimney;
	return {Fir(),
	        Candle(),
	        Clock(),
	        Railroad(chimney),
	        Teddy("teddy", 1.0f, Frame{}),
	        Stocking("stocking", "tex_stocking.tga"),
	        Stocking("stocking2", "tex_stocking2.tga"),
	        Logs(),
	        TeaTray(),
	        MantelBooks(),
	        LogBasket(),
	        FloorLamp(),
	        Curtains(),
	        Garland()};
}

Vec3 FirStarCentre()
{
	return {0.0f, 0.0f, kFirHeight - 9.0f};
}

std::vector<Vec3> FirLightPositions(const ModelDraft& fir)
{
	std::vector<Vec3> positions;
	for (const BsmAnchor& anchor : fir.anchors)
	{
		positions.push_back({anchor.position.x, anchor.position.y, anchor.position.z});
	}
	return positions;
}
