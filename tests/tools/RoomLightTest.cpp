// The room's light and surfaces: the tone curve into the 8-bit lightmap, what the baker makes
// of moonlight, occlusion and the bounce on small scenes of a few quads, the textures of the
// large surfaces and the walls' panelling.

#include "tools/room/Lightmap.h"
#include "tools/room/Textures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr int kAtlas = 128;
const Albedo kGrey = [](const std::string&) { return Vec3{0.5f, 0.5f, 0.5f}; };

// An upward-facing floor of 200 × 150 at height 0, in a room box 100 high.
RoomLayout FloorOnly()
{
	RoomLayout layout;
	SceneDraft floor("floor");
	SceneRun run{"tex_floor.tga", {}, false};
	run.mesh.Quad({0.0f, 0.0f, 0.0f}, {200.0f, 0.0f, 0.0f}, {200.0f, 150.0f, 0.0f}, {0.0f, 150.0f, 0.0f}, 50.0f);
	floor.runs = {run};
	floor.texelsPerUnit = 0.5f;
	layout.objects.push_back(floor);
	layout.roomBox = {{0.0f, 0.0f, 0.0f}, {200.0f, 150.0f, 100.0f}};
	return layout;
}

// A flat quad facing down (a table top, a roof) over x0..x1, y0..y1 at height z.
std::vector<Triangle> Slab(float x0, float y0, float x1, float y1, float z)
{
	Mesh mesh;
	mesh.Quad({x0, y0, z}, {x0, y1, z}, {x1, y1, z}, {x1, y0, z}, 50.0f);
	return mesh.triangles;
}

// The lightmap colour baked for the point of object 0, run 0 at (x, y) on the floor.
const uint8_t* FloorTexel(const Lightmap& lightmap, const RoomLayout& layout, float x, float y)
{
	const std::vector<Triangle>& triangles = layout.objects[0].runs[0].mesh.triangles;
	for (size_t t = 0; t < triangles.size(); ++t)
	{
		const Vec3 a = triangles[t].corners[0].position, b = triangles[t].corners[1].position,
		           c = triangles[t].corners[2].position;
		const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
		const float wb = ((x - a.x) * (c.y - a.y) - (c.x - a.x) * (y - a.y)) / area;
		const float wc = ((b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y)) / area;
		if (wb < 0.0f || wc < 0.0f || wb + wc > 1.0f)
		{
			continue;
		}
		const auto& uv = lightmap.uvs[0][0][t];
		const float u = uv[0].x + wb * (uv[1].x - uv[0].x) + wc * (uv[2].x - uv[0].x);
		const float v = uv[0].y + wb * (uv[1].y - uv[0].y) + wc * (uv[2].y - uv[0].y);
		return lightmap.atlas.Pixel(static_cast<int>(u * kAtlas), static_cast<int>((1.0f - v) * kAtlas));
	}
	ADD_FAILURE() << "no floor at " << x << ", " << y;
	static const uint8_t none[4] = {};
	return none;
}

int Sum(const uint8_t* texel)
{
	return texel[0] + texel[1] + texel[2];
}

// The mean difference of the picture's brightness between pixels `step` apart along x (or y),
// wrapping round.
double Contrast(const Image& image, int step, bool alongX)
{
	double sum = 0.0;
	for (int y = 0; y < image.height; ++y)
	{
		for (int x = 0; x < image.width; ++x)
		{
			const uint8_t* a = image.Pixel(x, y);
			const uint8_t* b = alongX ? image.Pixel((x + step) % image.width, y)
			                          : image.Pixel(x, (y + step) % image.height);
			sum += std::abs(Sum(a) - Sum(b));
		}
	}
	return sum / (static_cast<double>(image.width) * image.height);
}
} // namespace

TEST(RoomLight, ToneCurveKeepsShadowsAboveBlackAndHighlightsBelowWhite)
{
	EXPECT_EQ(ExposeLight(0.0f), 0);
	EXPECT_EQ(ExposeLight(-1.0f), 0);
	int previous = 0;
	for (float light = 0.0f; light < 20.0f; light += 0.01f)
	{
		const int value = ExposeLight(light);
		EXPECT_GE(value, previous) << light;
		previous = value;
	}
	// The fill in a corner reads as a dark colour, not as black; the fire's pool on the hearth
	// keeps its gradation instead of clipping; only a light's own surroundings reach white.
	EXPECT_GT(ExposeLight(0.02f), 40);
	EXPECT_LT(ExposeLight(0.02f), 100);
	EXPECT_LT(ExposeLight(2.0f), 245);
	EXPECT_GT(ExposeLight(2.0f) - ExposeLight(1.0f), 10);
	EXPECT_EQ(ExposeLight(100.0f), 255);
}

TEST(RoomLight, FloorUnderFurnitureIsDarkerThanOpenFloor)
{
	const RoomLayout layout = FloorOnly();
	const Lightmap lightmap = BakeLightmap(layout, Slab(20.0f, 20.0f, 80.0f, 80.0f, 12.0f), kGrey, kAtlas, 2);
	const int under = Sum(FloorTexel(lightmap, layout, 50.0f, 50.0f));
	const int open = Sum(FloorTexel(lightmap, layout, 160.0f, 110.0f));
	EXPECT_GT(open, 0);
	EXPECT_LT(under * 2, open) << "under " << under << ", open " << open;
}

TEST(RoomLight, MoonlightIsShadedByTheRoomButNotByTheHillsOutside)
{
	const RoomLayout layout = FloorOnly();
	const Lightmap open = BakeLightmap(layout, {}, kGrey, kAtlas, 2);
	// Both the moonlit and the shaded floor are blue: the moon and the night sky light them.
	const uint8_t* moonlit = FloorTexel(open, layout, 100.0f, 40.0f);
	EXPECT_GT(moonlit[2], moonlit[0]);

	// A hilltop far out along the moon's direction, beyond the walls, leaves the floor as it was
	// (it is too small in the floor's sky to take any of the sky's light).
	const Vec3 moon = Normalize({0.35f, 1.0f, 0.55f});
	const Vec3 across = Normalize(Cross(moon, {0.0f, 0.0f, 1.0f})), up = Cross(across, moon);
	const Vec3 top = Vec3{100.0f, 40.0f, 0.0f} + moon * 1500.0f;
	Mesh hill;
	hill.Quad(top - across * 60.0f - up * 60.0f, top + across * 60.0f - up * 60.0f,
	          top + across * 60.0f + up * 60.0f, top - across * 60.0f + up * 60.0f, 50.0f);
	const Lightmap behindHill = BakeLightmap(layout, hill.triangles, kGrey, kAtlas, 2);
	EXPECT_EQ(Sum(FloorTexel(behindHill, layout, 100.0f, 40.0f)), Sum(moonlit));

	// A shelf inside the room, between the floor and the moon, shades it: the moon is most of
	// the light there.
	const Lightmap shaded = BakeLightmap(layout, Slab(112.0f, 111.0f, 152.0f, 151.0f, 50.0f), kGrey, kAtlas, 2);
	EXPECT_LT(Sum(FloorTexel(shaded, layout, 100.0f, 40.0f)) * 10, Sum(moonlit) * 9);
}

TEST(RoomLight, BouncedLightTakesTheColourOfWhatItBouncesOff)
{
	// A lamp under a lit slab of the room's own surfaces: the floor beside it gathers the slab's
	// light in the slab's colour.
	RoomLayout layout = FloorOnly();
	SceneDraft slab("slab");
	SceneRun run{"tex_wallpaper.tga", {}, false};
	run.mesh.triangles = Slab(-50.0f, -50.0f, 250.0f, 200.0f, 60.0f);
	run.mesh.chartCount = 1;
	slab.runs = {run};
	layout.objects.push_back(slab);
	layout.lights.push_back({{100.0f, 75.0f, 4.0f}, {4000.0f, 4000.0f, 4000.0f}, 1.0f});
	const Albedo red = [](const std::string& texture)
	{ return texture == "tex_wallpaper.tga" ? Vec3{0.8f, 0.1f, 0.1f} : Vec3{0.5f, 0.5f, 0.5f}; };
	const Lightmap grey = BakeLightmap(layout, {}, kGrey, kAtlas, 2);
	const Lightmap warm = BakeLightmap(layout, {}, red, kAtlas, 2);
	const uint8_t* g = FloorTexel(grey, layout, 20.0f, 20.0f);
	const uint8_t* w = FloorTexel(warm, layout, 20.0f, 20.0f);
	EXPECT_GT(w[0] - w[1], g[0] - g[1] + 10);
}

TEST(RoomLight, LargeSurfacesHaveNoPatternFinerThanFourTexels)
{
	// A picture whose finest detail is four texels a period or broader changes from one pixel
	// to the next at most half as much as over two pixels; a two-texel pattern or a speckle
	// changes as much or more, and shimmers as the mipmaps come and go.
	TextureSet textures;
	textures.PaintAll();
	for (const char* name : {"tex_floor.tga", "tex_wallpaper.tga", "tex_panelling.tga", "tex_ceiling.tga",
	                         "tex_rug.tga", "tex_lampshade.tga", "tex_wood.tga", "tex_darkwood.tga"})
	{
		const Image* image = textures.Find(name);
		ASSERT_NE(image, nullptr) << name;
		for (bool alongX : {true, false})
		{
			const double one = Contrast(*image, 1, alongX), two = Contrast(*image, 2, alongX);
			EXPECT_LT(one, 0.6 * two + 0.05) << name << (alongX ? " along x" : " along y");
		}
	}
}

TEST(RoomLight, WallsArePanelledUpToTheSillsAndPaperedAbove)
{
	const RoomLayout layout = BuildRoom({});
	const SceneDraft& room = layout.objects.front();
	ASSERT_EQ(room.name, "room");
	int papered = 0, panelled = 0;
	for (const SceneRun& run : room.runs)
	{
		if (run.texture != "tex_wallpaper.tga" && run.texture != "tex_panelling.tga")
		{
			continue;
		}
		const bool paper = run.texture == "tex_wallpaper.tga";
		for (const Triangle& t : run.mesh.triangles)
		{
			// No sliver of a triangle: each has an area worth drawing and lighting.
			const Vec3 a = t.corners[0].position, b = t.corners[1].position, c = t.corners[2].position;
			EXPECT_GT(Length(Cross(b - a, c - a)), 1.0f) << run.texture;
			for (const Corner& corner : t.corners)
			{
				if (paper)
				{
					EXPECT_GE(corner.position.z, 89.9f);
				}
				else
				{
					EXPECT_LE(corner.position.z, 90.1f);
				}
			}
			(paper ? papered : panelled) += 1;
		}
	}
	// Four walls of panelling; the paper of the window wall goes round both windows.
	EXPECT_EQ(panelled, 8);
	EXPECT_GE(papered, 8 + 2 * 4);
}
