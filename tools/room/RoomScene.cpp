#include "tools/room/RoomScene.h"

#include "tools/room/Furnishings.h"

#include "tools/content/Draw.h"
#include "tools/room/Textures.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kWidth = 700.0f;  // x
constexpr float kDepth = 550.0f;  // y
constexpr float kHeight = 300.0f; // z
constexpr float kWallThickness = 20.0f;
constexpr float kSillHeight = 90.0f;
constexpr float kWindowTop = 230.0f;
const float kWindows[2][2] = {{150.0f, 270.0f}, {390.0f, 510.0f}};
const Vec3 kTree{560.0f, 410.0f, 0.0f};
const Vec3 kFire{22.0f, 275.0f, 1.5f};
const Frame kWorld{};

// A flat rectangle from `origin`, `width` along u and `height` along v; it faces u × v.
void Rect(Mesh& mesh, Vec3 origin, Vec3 u, Vec3 v, float width, float height, float tile, bool fit = false)
{
	mesh.Quad(origin, origin + u * width, origin + u * width + v * height, origin + v * height, tile, fit);
}

// A rectangle cut into a grid of cells whose texture runs 0..1 across the whole. Large distant
// surfaces need the cells: fog is worked out at the corners, and one corner far beyond the fog
// would wash the whole face out.
void FittedGrid(Mesh& mesh, Vec3 origin, Vec3 u, Vec3 v, float width, float height, int columns, int rows)
{
	const float cellWidth = width / columns, cellHeight = height / rows;
	for (int row = 0; row < rows; ++row)
	{
		for (int column = 0; column < columns; ++column)
		{
			const size_t first = mesh.triangles.size();
			Rect(mesh, origin + u * (column * cellWidth) + v * (row * cellHeight), u, v, cellWidth,
			     cellHeight, 1.0f);
			for (size_t t = first; t < mesh.triangles.size(); ++t)
			{
				for (Corner& c : mesh.triangles[t].corners)
				{
					c.u = (column * cellWidth + c.s) / width;
					c.v = (row * cellHeight + c.t) / height;
				}
			}
		}
	}
}

struct Hole
{
	float u0, u1, v0, v1;
};

// A wall rectangle with rectangular holes side by side along u.
void WallWithHoles(Mesh& mesh, Vec3 origin, Vec3 u, Vec3 v, float width, float height,
                   const std::vector<Hole>& holes, float tile)
{
	float at = 0.0f;
	for (const Hole& hole : holes)
	{
		Rect(mesh, origin + u * at, u, v, hole.u0 - at, height, tile);
		if (hole.v0 > 0.0f)
		{
			Rect(mesh, origin + u * hole.u0, u, v, hole.u1 - hole.u0, hole.v0, tile);
		}
		Rect(mesh, origin + u * hole.u0 + v * hole.v1, u, v, hole.u1 - hole.u0, height - hole.v1, tile);
		at = hole.u1;
	}
	Rect(mesh, origin + u * at, u, v, width - at, height, tile);
}

// A wall from `origin` along u, wood panels up to the sill height and paper above; the holes'
// heights count from the panelling's top.
void PanelledWall(Mesh& paper, Mesh& panels, Vec3 origin, Vec3 u, float width, const std::vector<Hole>& holes)
{
	const Vec3 up{0.0f, 0.0f, 1.0f};
	Rect(panels, origin, u, up, width, kSillHeight, kSillHeight);
	WallWithHoles(paper, origin + up * kSillHeight, u, up, width, kHeight - kSillHeight, holes, 90.0f);
}

SceneRun Run(const std::string& texture)
{
	return SceneRun{texture, {}, false};
}

// The opening of a window on the room's side of the wall, facing into the room: the outside is
// drawn only in frames where one of these shows.
BssPortal WindowPortal(float x0, float x1)
{
	BssPortal portal;
	portal.name = "room";
	portal.targetName = "outside";
	// Counter-clockwise seen from inside, for the query draws it with back faces culled.
	portal.positions = {{x0, kDepth, kSillHeight},
	                    {x1, kDepth, kSillHeight},
	                    {x1, kDepth, kWindowTop},
	                    {x0, kDepth, kWindowTop}};
	portal.faces = {{0.0f, 1.0f, 2.0f}, {0.0f, 2.0f, 3.0f}};
	portal.vertexCount = static_cast<int32_t>(portal.positions.size());
	portal.faceCount = static_cast<int32_t>(portal.faces.size());
	portal.normal = {0.0f, -1.0f, 0.0f};
	return portal;
}

SceneDraft Shell()
{
	SceneDraft room{"room"};
	room.zone = "Scene Root";
	SceneRun floor = Run("tex_floor.tga");
	Rect(floor.mesh, {0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, kWidth, kDepth, 180.0f);
	SceneRun ceiling = Run("tex_ceiling.tga");
	Rect(ceiling.mesh, {0.0f, 0.0f, kHeight}, {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, kDepth, kWidth, 200.0f);
	// Wallpaper above wood panelling that reaches the window sills, a third of the wall's height.
	SceneRun walls = Run("tex_wallpaper.tga");
	SceneRun panels = Run("tex_panelling.tga");
	std::vector<Hole> windows;
	for (const auto& window : kWindows)
	{
		windows.push_back({window[0], window[1], 0.0f, kWindowTop - kSillHeight});
	}
	PanelledWall(walls.mesh, panels.mesh, {0.0f, kDepth, 0.0f}, {1.0f, 0.0f, 0.0f}, kWidth, windows);
	PanelledWall(walls.mesh, panels.mesh, {kWidth, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}, kWidth, {});
	PanelledWall(walls.mesh, panels.mesh, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, kDepth, {});
	PanelledWall(walls.mesh, panels.mesh, {kWidth, kDepth, 0.0f}, {0.0f, -1.0f, 0.0f}, kDepth, {});
	// Skirting boards and a cornice, a little proud of the walls.
	SceneRun trim = Run("tex_wood.tga");
	const float board = 14.0f;
	trim.mesh.Box(kWorld, {0.0f, 0.0f, 0.0f}, {kWidth, 1.5f, board}, 60.0f, 4 | 16);
	trim.mesh.Box(kWorld, {0.0f, kDepth - 1.5f, 0.0f}, {kWidth, kDepth, board}, 60.0f, 8 | 16);
	// The boards along the side walls run between the others, so the corners do not overlap.
	trim.mesh.Box(kWorld, {kWidth - 1.5f, 1.5f, 0.0f}, {kWidth, kDepth - 1.5f, board}, 60.0f, 2 | 4 | 8 | 16);
	trim.mesh.Box(kWorld, {0.0f, 1.5f, 0.0f}, {1.5f, kDepth - 1.5f, board}, 60.0f, 1 | 4 | 8 | 16);
	// The rail that caps the panelling, just under the sills, in the same way. It stops either
	// side of the bookshelf, whose open back shows the panelling.
	const float rail0 = kSillHeight - 7.0f, rail1 = kSillHeight - 2.0f, proud = 2.5f;
	trim.mesh.Box(kWorld, {0.0f, 0.0f, rail0}, {kWidth, proud, rail1}, 60.0f, 1 | 2 | 4);
	trim.mesh.Box(kWorld, {0.0f, kDepth - proud, rail0}, {kWidth, kDepth, rail1}, 60.0f, 1 | 2 | 8);
	trim.mesh.Box(kWorld, {0.0f, proud, rail0}, {proud, kDepth - proud, rail1}, 60.0f, 1 | 4 | 8);
	trim.mesh.Box(kWorld, {kWidth - proud, proud, rail0}, {kWidth, 38.0f, rail1}, 60.0f, 2 | 4);
	trim.mesh.Box(kWorld, {kWidth - proud, 232.0f, rail0}, {kWidth, kDepth - proud, rail1}, 60.0f, 2 | 8);
	SceneRun cornice = Run("tex_paint.tga");
	cornice.mesh.Box(kWorld, {0.0f, 0.0f, kHeight - 10.0f}, {kWidth, 4.0f, kHeight}, 60.0f, 4 | 32);
	cornice.mesh.Box(kWorld, {0.0f, kDepth - 4.0f, kHeight - 10.0f}, {kWidth, kDepth, kHeight}, 60.0f,
	                 8 | 32);
	cornice.mesh.Box(kWorld, {kWidth - 4.0f, 4.0f, kHeight - 10.0f}, {kWidth, kDepth - 4.0f, kHeight}, 60.0f,
	                 2 | 4 | 8 | 32);
	cornice.mesh.Box(kWorld, {0.0f, 4.0f, kHeight - 10.0f}, {4.0f, kDepth - 4.0f, kHeight}, 60.0f,
	                 1 | 4 | 8 | 32);
	room.runs = {floor, ceiling, walls, panels, trim, cornice};
	room.texelsPerUnit = 0.4f;
	return room;
}

// The window reveals, sills, frames and bars; the panes go into "glass".
void Windows(RoomLayout& layout)
{
	SceneDraft frames{"windowframes"};
	SceneRun paint = Run("tex_paint.tga");
	SceneDraft glass{"glass"};
	glass.mode = LightmapMode::None;
	SceneRun panes = Run("tex_glass.tga");
	panes.twoSided = true;
	const float y0 = kDepth, y1 = kDepth + kWallThickness;
	for (const auto& window : kWindows)
	{
		const float x0 = window[0], x1 = window[1];
		// Reveals: the wall's thickness around the opening, facing into the opening.
		Rect(paint.mesh, {x0, y0, kSillHeight}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, kWallThickness,
		     kWindowTop - kSillHeight, 60.0f);
		Rect(paint.mesh, {x1, y1, kSillHeight}, {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, kWallThickness,
		     kWindowTop - kSillHeight, 60.0f);
		Rect(paint.mesh, {x0, y1, kWindowTop}, {1.0f, 0.0f, 0.0f}, {0.0f, -1.0f, 0.0f}, x1 - x0,
		     kWallThickness, 60.0f);
		// The sill, proud of the wall.
		paint.mesh.Box(kWorld, {x0 - 10.0f, kDepth - 10.0f, kSillHeight - 4.0f},
		               {x1 + 10.0f, y1, kSillHeight}, 60.0f);
		// Frame and glazing bars, at the middle of the wall. The pieces meet without overlapping:
		// two faces in one plane would fight for the pixels, and the one baked in the other's
		// shadow shows as a dark patch where the bars cross. Faces hidden where pieces meet are left
		// out.
		const float yf0 = kDepth + 8.0f, yf1 = kDepth + 13.0f;
		const float xl = x0 + 5.0f, xr = x1 - 5.0f;
		const float zb = kSillHeight + 5.0f, zt = kWindowTop - 5.0f;
		paint.mesh.Box(kWorld, {x0, yf0, kSillHeight}, {xl, yf1, kWindowTop}, 60.0f, 16 | 32);
		paint.mesh.Box(kWorld, {xr, yf0, kSillHeight}, {x1, yf1, kWindowTop}, 60.0f, 16 | 32);
		paint.mesh.Box(kWorld, {xl, yf0, zt}, {xr, yf1, kWindowTop}, 60.0f, 1 | 2 | 32);
		paint.mesh.Box(kWorld, {xl, yf0, kSillHeight}, {xr, yf1, zb}, 60.0f, 1 | 2 | 16);
		const float xm = 0.5f * (x0 + x1);
		paint.mesh.Box(kWorld, {xm - 2.0f, yf0, zb}, {xm + 2.0f, yf1, zt}, 60.0f, 16 | 32);
		const float zm = kSillHeight + 0.6f * (kWindowTop - kSillHeight);
		paint.mesh.Box(kWorld, {xl, yf0, zm - 2.0f}, {xm - 2.0f, yf1, zm + 2.0f}, 60.0f, 1 | 2);
		paint.mesh.Box(kWorld, {xm + 2.0f, yf0, zm - 2.0f}, {xr, yf1, zm + 2.0f}, 60.0f, 1 | 2);
		Rect(panes.mesh, {x0, kDepth + 10.5f, kSillHeight}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, x1 - x0,
		     kWindowTop - kSillHeight, 1.0f, true);
		layout.furniture.push_back({{x0 - 10.0f, kDepth - 10.0f, 0.0f}, {x1 + 10.0f, y1, kSillHeight}});
		layout.portals.push_back(WindowPortal(x0, x1));
	}
	frames.runs = {paint};
	frames.texelsPerUnit = 0.6f;
	glass.runs = {panes};
	layout.objects.push_back(frames);
	layout.objects.push_back(glass);
}

void Fireplace(RoomLayout& layout)
{
	SceneDraft fireplace{"fireplace"};
	SceneRun bricks = Run("tex_bricks.tga");
	SceneRun soot = Run("tex_soot.tga");
	SceneRun hearth = Run("tex_hearth.tga");
	const float front = 45.0f;
	// The chest: two pillars and a lintel around the firebox opening.
	// The pillars' inner faces are the firebox's sooty sides.
	bricks.mesh.Box(kWorld, {0.0f, 185.0f, 0.0f}, {front, 235.0f, 115.0f}, 80.0f, 1 | 8 | 16);
	bricks.mesh.Box(kWorld, {0.0f, 315.0f, 0.0f}, {front, 365.0f, 115.0f}, 80.0f, 1 | 4 | 16);
	bricks.mesh.Box(kWorld, {0.0f, 235.0f, 70.0f}, {front, 315.0f, 115.0f}, 80.0f, 1 | 4 | 8);
	// The chimney breast above the mantel.
	bricks.mesh.Box(kWorld, {0.0f, 200.0f, 123.0f}, {35.0f, 350.0f, kHeight}, 80.0f, 1 | 16 | 32);
	// The firebox: back, sides, roof and floor, all sooty.
	Rect(soot.mesh, {8.0f, 235.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, 80.0f, 70.0f, 60.0f);
	Rect(soot.mesh, {front, 235.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, front - 8.0f, 70.0f,
	     60.0f);
	Rect(soot.mesh, {8.0f, 315.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, front - 8.0f, 70.0f, 60.0f);
	Rect(soot.mesh, {8.0f, 235.0f, 70.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, front - 8.0f, 80.0f,
	     60.0f);
	Rect(soot.mesh, {8.0f, 235.0f, 0.2f}, {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, 80.0f, front - 8.0f, 60.0f);
	hearth.mesh.Box(kWorld, {0.0f, 195.0f, 0.0f}, {100.0f, 355.0f, 2.0f}, 50.0f, 1 | 16);
	fireplace.runs = {bricks, soot, hearth};
	fireplace.texelsPerUnit = 0.5f;
	layout.objects.push_back(fireplace);

	SceneDraft mantel{"mantel"};
	SceneRun wood = Run("tex_wood.tga");
	wood.mesh.Box(kWorld, {0.0f, 175.0f, 115.0f}, {56.0f, 375.0f, 123.0f}, 60.0f, 1);
	for (float y : {185.0f, 357.0f})
	{
		wood.mesh.Box(kWorld, {front, y, 0.0f}, {front + 4.0f, y + 8.0f, 115.0f}, 60.0f, 1 | 16);
	}
	mantel.runs = {wood};
	mantel.texelsPerUnit = 0.7f;
	layout.objects.push_back(mantel);
	layout.furniture.push_back({{0.0f, 175.0f, 0.0f}, {100.0f, 375.0f, kHeight}});

	// A warm additive glow in front of the opening.
	SceneDraft glow{"fireglow"};
	glow.mode = LightmapMode::None;
	SceneRun glowRun = Run("ad_fireglow.tga");
	glowRun.twoSided = true;
	Rect(glowRun.mesh, {front + 2.0f, 205.0f, -25.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, 140.0f, 120.0f,
	     1.0f, true);
	glow.runs = {glowRun};
	layout.objects.push_back(glow);
}

void Furniture(RoomLayout& layout)
{
	layout.objects.push_back(Armchair("armchair01", {215.0f, 150.0f, 0.0f}, kPi - 0.55f, layout));
	layout.objects.push_back(Armchair("armchair02", {215.0f, 405.0f, 0.0f}, kPi + 0.55f, layout));
	layout.objects.push_back(Footstool({290.0f, 300.0f, 0.0f}, 0.35f, layout));

	SceneDraft table{"sidetable"};
	SceneRun wood = Run("tex_darkwood.tga");
	const Frame at = Frame::At({165.0f, 280.0f, 0.0f});
	wood.mesh.Lathe(at,
	                {{0.0f, 0.0f},
	                 {22.0f, 0.0f},
	                 {22.0f, 3.0f},
	                 {4.0f, 6.0f},
	                 {3.0f, 56.0f},
	                 {28.0f, 57.0f},
	                 {28.0f, 61.0f},
	                 {0.0f, 61.0f}},
	                24, 40.0f, false);
	table.runs = {wood};
	table.texelsPerUnit = 0.6f;
	layout.objects.push_back(table);
	layout.furniture.push_back({{135.0f, 250.0f, 0.0f}, {195.0f, 310.0f, 100.0f}});

	SceneDraft rug{"rug"};
	SceneRun wool = Run("tex_rug.tga");
	Rect(wool.mesh, {130.0f, 130.0f, 0.4f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, 300.0f, 290.0f, 1.0f,
	     true);
	rug.runs = {wool};
	rug.texelsPerUnit = 0.4f;
	layout.objects.push_back(rug);

	SceneDraft shelf{"bookshelf"};
	SceneRun carcass = Run("tex_darkwood.tga");
	SceneRun books = Run("tex_books.tga");
	const float x0 = 660.0f, x1 = kWidth, y0 = 40.0f, y1 = 230.0f, top = 205.0f;
	carcass.mesh.Box(kWorld, {x0, y0, 0.0f}, {x1, y0 + 3.0f, top}, 60.0f, 2 | 16);
	carcass.mesh.Box(kWorld, {x0, y1 - 3.0f, 0.0f}, {x1, y1, top}, 60.0f, 2 | 16);
	carcass.mesh.Box(kWorld, {x0 - 2.0f, y0 - 2.0f, top}, {x1, y1 + 2.0f, top + 4.0f}, 60.0f, 2);
	Random random(404);
	for (float z : {0.0f, 50.0f, 100.0f, 150.0f})
	{
		carcass.mesh.Box(kWorld, {x0, y0 + 3.0f, z}, {x1, y1 - 3.0f, z + 4.0f}, 60.0f, 2 | 16);
		const float height = random.Uniform(30.0f, 40.0f);
		books.mesh.Box(kWorld, {x0 + 6.0f, y0 + 4.0f, z + 4.0f},
		               {x1 - 2.0f, y1 - 4.0f - random.Uniform(0.0f, 40.0f), z + 4.0f + height}, 190.0f,
		               2 | 16);
	}
	shelf.runs = {carcass, books};
	shelf.texelsPerUnit = 0.6f;
	layout.objects.push_back(shelf);
	layout.furniture.push_back({{x0 - 10.0f, y0 - 10.0f, 0.0f}, {x1, y1 + 10.0f, kHeight}});
}

// A gilt frame around a painting on a wall; `u` runs along the wall, the picture faces u × up.
void Picture(SceneRun& frame, SceneRun& canvas, Vec3 origin, Vec3 u, float width, float height)
{
	const Vec3 up{0.0f, 0.0f, 1.0f};
	const Vec3 out = Cross(u, up);
	Rect(canvas.mesh, origin + out * 1.5f, u, up, width, height, 1.0f, true);
	const float border = 6.0f;
	auto bar = [&](Vec3 corner, float w, float h)
	{
		const Vec3 a = corner + out * 3.0f;
		Rect(frame.mesh, a, u, up, w, h, 30.0f);
		Rect(frame.mesh, corner, u, out, w, 3.0f, 30.0f);
		Rect(frame.mesh, corner + up * h + out * 3.0f, u, -out, w, 3.0f, 30.0f);
	};
	bar(origin - u * border - up * border, width + 2.0f * border, border);
	bar(origin - u * border + up * height, width + 2.0f * border, border);
	bar(origin - u * border, border, height);
	bar(origin + u * width, border, height);
}

void Pictures(RoomLayout& layout)
{
	SceneDraft pictures{"pictures"};
	SceneRun frame = Run("tex_gold.tga");
	SceneRun canvas1 = Run("tex_painting1.tga");
	SceneRun canvas2 = Run("tex_painting2.tga");
	Picture(frame, canvas1, {35.0f, 230.0f, 150.0f}, {0.0f, 1.0f, 0.0f}, 90.0f, 75.0f);
	Picture(frame, canvas2, {620.0f, 0.0f, 130.0f}, {-1.0f, 0.0f, 0.0f}, 100.0f, 80.0f);
	Picture(frame, canvas1, {kWidth, 380.0f, 150.0f}, {0.0f, -1.0f, 0.0f}, 70.0f, 90.0f);
	pictures.runs = {frame, canvas1, canvas2};
	pictures.texelsPerUnit = 0.6f;
	layout.objects.push_back(pictures);
}

float HillHeight(const Noise& noise, float x, float y)
{
	const float rise = SmoothStep(650.0f, 2300.0f, y);
	return -6.0f + rise * (120.0f + 380.0f * noise.Fractal(x * 0.0009f + 3.0f, y * 0.0009f, 3)) +
	       10.0f * noise.Value(x * 0.01f, y * 0.01f);
}

// The top edge of the distant firs' picture, as (s, t) points from its left edge to its right
// (0..1 across and up): the highest of the firs' triangles at each s, grown by a few texels for
// the blur of the smaller mipmaps. It is straight between the points, which fall on every corner
// of a triangle and every crossing of two triangles' sides.
std::vector<Vec2> FarFirSkyline()
{
	const FarFirRow row = FarFirLayout();
	const float spare = 3.0f;
	struct Side
	{
		float x0, x1, top; // rising from nothing at x0 to `top` at x1 (falling, where x1 < x0)
	};
	std::vector<Side> sides;
	std::vector<float> xs{0.0f, static_cast<float>(row.width)};
	for (const FarFir& fir : row.firs)
	{
		const float half = fir.width * 0.5f + spare, top = fir.height + spare;
		sides.push_back({fir.x - half, fir.x, top});
		sides.push_back({fir.x + half, fir.x, top});
		xs.insert(xs.end(), {fir.x - half, fir.x, fir.x + half});
	}
	auto height = [](const Side& side, float x)
	{
		const float f = (x - side.x0) / (side.x1 - side.x0);
		return f >= 0.0f && f <= 1.0f ? f * side.top : 0.0f;
	};
	for (size_t a = 0; a < sides.size(); ++a)
	{
		for (size_t b = a + 1; b < sides.size(); ++b)
		{
			// Where the two sides' lines cross: ka (x - a.x0) = kb (x - b.x0).
			const float ka = sides[a].top / (sides[a].x1 - sides[a].x0);
			const float kb = sides[b].top / (sides[b].x1 - sides[b].x0);
			if (std::fabs(ka - kb) > 1e-6f)
			{
				xs.push_back((ka * sides[a].x0 - kb * sides[b].x0) / (ka - kb));
			}
		}
	}
	std::sort(xs.begin(), xs.end());
	std::vector<Vec2> skyline;
	for (float x : xs)
	{
		if (x < 0.0f || x > row.width || (!skyline.empty() && x / row.width - skyline.back().x < 1e-5f))
		{
			continue;
		}
		float top = 0.0f;
		for (const Side& side : sides)
		{
			top = std::max(top, height(side, x));
		}
		const Vec2 point{x / row.width, std::min(top / row.height, 1.0f)};
		// A point in line with the two before it adds nothing: the middle one goes.
		const size_t n = skyline.size();
		if (n >= 2 && std::fabs((skyline[n - 1].y - skyline[n - 2].y) * (point.x - skyline[n - 2].x) -
		                        (point.y - skyline[n - 2].y) * (skyline[n - 1].x - skyline[n - 2].x)) < 1e-7f)
		{
			skyline.pop_back();
		}
		skyline.push_back(point);
	}
	return skyline;
}

// The firs of one card, as upright strips under the skyline; narrow strips also keep the fog,
// worked out at the corners, true across the card.
void FarFirStrips(Mesh& mesh, Vec3 origin, Vec3 across, Vec3 up, const std::vector<Vec2>& skyline)
{
	for (size_t i = 1; i < skyline.size(); ++i)
	{
		const Vec2 left = skyline[i - 1], right = skyline[i];
		std::vector<Vec2> outline{{left.x, 0.0f}, {right.x, 0.0f}};
		if (right.y > 0.0f)
		{
			outline.push_back(right);
		}
		if (left.y > 0.0f)
		{
			outline.push_back(left);
		}
		if (outline.size() > 2)
		{
			mesh.CutOut(origin, across, up, outline);
		}
	}
}

void Outside(RoomLayout& layout)
{
	// The outside is a zone of its own, seen only through the windows' portals: a frame that shows
	// no window spares the rasteriser the hills, the firs and the sky behind the walls.
	SceneDraft land{"landscape"};
	land.zone = "outside";
	SceneRun snow = Run("tex_snow.tga");
	const Noise noise(77, 64);
	const float x0 = -1600.0f, x1 = 2300.0f, y0 = kDepth + kWallThickness, y1 = 2500.0f;
	const int nx = 48, ny = 30;
	auto at = [&](int i, int j)
	{
		const float x = x0 + (x1 - x0) * i / nx;
		const float y = y0 + (y1 - y0) * std::pow(static_cast<float>(j) / ny, 1.3f);
		return Vec3{x, y, HillHeight(noise, x, y)};
	};
	auto normalAt = [&](int i, int j)
	{
		const Vec3 p = at(i, j);
		const Vec3 dx = at(i + 1, j) - at(i - 1, j);
		const Vec3 dy = at(i, j + 1) - at(i, std::max(j - 1, 0));
		(void)p;
		return Normalize(Cross(dx, dy));
	};
	const int chart = snow.mesh.NewChart();
	auto corner = [&](int i, int j)
	{
		const Vec3 p = at(i, j);
		Corner c{p, normalAt(i, j)};
		c.u = p.x / 400.0f;
		c.v = p.y / 400.0f;
		c.s = p.x - x0;
		c.t = p.y - y0;
		return c;
	};
	for (int j = 0; j < ny; ++j)
	{
		for (int i = 0; i < nx; ++i)
		{
			snow.mesh.Add(corner(i, j), corner(i + 1, j), corner(i + 1, j + 1), chart);
			snow.mesh.Add(corner(i, j), corner(i + 1, j + 1), corner(i, j + 1), chart);
		}
	}
	// Firs near the house, snow-dusted cones.
	SceneRun firs = Run("tex_firbody.tga");
	SceneRun trunks = Run("tex_bark.tga");
	Random random(1201);
	for (int i = 0; i < 9; ++i)
	{
		const float x = -300.0f + i * 150.0f + random.Uniform(-40.0f, 40.0f);
		const float y = 760.0f + random.Uniform(0.0f, 500.0f);
		const float h = random.Uniform(260.0f, 420.0f);
		const Vec3 base{x, y, HillHeight(noise, x, y) - 5.0f};
		trunks.mesh.Cylinder(Frame::At(base), 8.0f, 40.0f, 8, 50.0f, false);
		for (int tier = 0; tier < 4; ++tier)
		{
			const float z0 = 30.0f + tier * h * 0.2f;
			const float r = (1.0f - tier * 0.22f) * h * 0.28f;
			firs.mesh.Lathe(Frame::At(base), {{r, z0}, {0.0f, z0 + h * 0.38f}}, 12, 80.0f, false, 3.0f);
		}
	}
	land.runs = {snow, firs, trunks};
	land.texelsPerUnit = 0.04f;
	layout.objects.push_back(land);

	// Distant silhouettes: cut-out cards of firs standing on the hills.
	SceneDraft far{"farfirs"};
	far.zone = "outside";
	// Their shade is painted into the texture: a flat lightmap would cost a second pass for nothing.
	far.mode = LightmapMode::None;
	SceneRun cards = Run("tex_farfirs.tga");
	cards.twoSided = true;
	const std::vector<Vec2> skyline = FarFirSkyline();
	for (int row = 0; row < 3; ++row)
	{
		const float y = 1300.0f + row * 380.0f;
		for (int i = 0; i < 4; ++i)
		{
			const float x = -1200.0f + i * 900.0f + row * 300.0f;
			const float width = 900.0f, height = 420.0f - row * 60.0f;
			const float ground = std::min(HillHeight(noise, x, y), HillHeight(noise, x + width, y)) - 15.0f;
			FarFirStrips(cards.mesh, {x, y, ground}, {width, 0.0f, 0.0f}, {0.0f, 0.0f, height}, skyline);
		}
	}
	far.runs = {cards};
	layout.objects.push_back(far);

	SceneDraft sky{"outside"};
	sky.zone = "Scene Root";
	sky.mode = LightmapMode::None;
	SceneRun dome = Run("tex_sky.tga");
	FittedGrid(dome.mesh, {-2600.0f, 2600.0f, -200.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, 6000.0f,
	           2200.0f, 24, 10);
	sky.runs = {dome};
	layout.objects.push_back(sky);
}

BssAnchor Emitter(const std::string& effect, Vec3 at)
{
	BssAnchor anchor;
	anchor.name = "emit " + effect;
	anchor.parentName = "room";
	anchor.kind = 2;
	anchor.keyCount = 1;
	anchor.positions = {{at.x, at.y, at.z}};
	anchor.rotations = {{0.0f, 0.0f, 0.0f, 1.0f}};
	return anchor;
}

void Placements(RoomLayout& layout)
{
	auto place = [&](const std::string& model, Vec3 at) { layout.placements.push_back({model, at}); };
	place("fir", kTree);
	place("railroad", kTree);
	place("Clock", {350.0f, 9.0f, 205.0f});
	place("logs", kFire);
	place("floorlamp", {80.0f, 80.0f, 0.0f});
	for (const auto& window : kWindows)
	{
		place("curtains", {0.5f * (window[0] + window[1]), kDepth - 3.0f, 250.0f});
	}
	place("garland", {57.0f, 275.0f, 122.0f});
	place("stocking", {56.0f, 215.0f, 118.0f});
	place("stocking2", {56.0f, 272.0f, 118.0f});
	place("stocking", {56.0f, 329.0f, 118.0f});
	place("teddy", {455.0f, 315.0f, 0.0f});
	layout.furniture.push_back({{435.0f, 295.0f, 0.0f}, {475.0f, 335.0f, 50.0f}});
	place("teddy", {212.0f, 402.0f, 44.0f});
	place("teatray", {165.0f, 294.0f, 61.0f});
	place("mantelbooks", {45.0f, 262.0f, 123.0f});
	place("logbasket", {60.0f, 150.0f, 0.0f});
	const Vec3 candles[] = {{38.0f, 188.0f, 123.0f}, {40.0f, 204.0f, 123.0f}, {40.0f, 346.0f, 123.0f},
	                        {38.0f, 362.0f, 123.0f}, {160.0f, 543.0f, 90.0f}, {500.0f, 543.0f, 90.0f},
	                        {165.0f, 280.0f, 61.0f}};
	for (const Vec3& at : candles)
	{
		place("candle", at);
		layout.lights.push_back({at + Vec3{0.0f, 0.0f, 24.0f}, Vec3{1.0f, 0.62f, 0.28f} * 900.0f, 1.0f});
		layout.emitters.push_back(Emitter("candleglow", at + Vec3{0.0f, 0.0f, 23.0f}));
	}
	layout.furniture.push_back({{40.0f, 40.0f, 0.0f}, {120.0f, 120.0f, 175.0f}});
	layout.furniture.push_back({kTree - Vec3{80.0f, 80.0f, 0.0f}, kTree + Vec3{80.0f, 80.0f, 240.0f}});
	layout.furniture.push_back({{320.0f, 0.0f, 175.0f}, {380.0f, 15.0f, 235.0f}});
}

// The engine decides whether a placed model is seen by an occlusion query on a box centred on
// the model's place whose edges are the model's size (twice its extent). From inside that box
// the query can see nothing but the box's far faces, often behind a wall, and the model
// vanishes; so no camera may stand inside it.
void QueryBoxes(RoomLayout& layout, const std::vector<ModelDraft>& models)
{
	for (const ModelPlacement& placement : layout.placements)
	{
		for (const ModelDraft& model : models)
		{
			if (model.name != placement.model)
			{
				continue;
			}
			Bounds extent;
			for (const ModelPart& part : model.parts)
			{
				const Bounds b = part.mesh.Extent();
				extent.Add(b.min);
				extent.Add(b.max);
			}
			const Vec3 half = extent.max - extent.min;
			layout.furniture.push_back({placement.position - half, placement.position + half});
		}
	}
}

void Lights(RoomLayout& layout, const std::vector<ModelDraft>& models)
{
	layout.lights.push_back({kFire + Vec3{5.0f, 0.0f, 22.0f}, Vec3{1.0f, 0.48f, 0.16f} * 26000.0f, 18.0f});
	layout.lights.push_back({{80.0f, 80.0f, 146.0f}, Vec3{1.0f, 0.78f, 0.5f} * 14000.0f, 3.0f});
	for (const ModelDraft& model : models)
	{
		if (model.name != "fir")
		{
			continue;
		}
		// The tree's bulbs, a handful of them as coloured light for the room.
		const std::vector<Vec3> bulbs = FirLightPositions(model);
		const Vec3 colours[] = {
		    {1.0f, 0.3f, 0.2f}, {0.3f, 0.5f, 1.0f}, {0.3f, 1.0f, 0.4f}, {1.0f, 0.85f, 0.4f}};
		for (size_t i = 0; i < bulbs.size(); i += 6)
		{
			layout.lights.push_back({kTree + bulbs[i], colours[i % 4] * 900.0f, 1.5f});
		}
	}
	for (const auto& window : kWindows)
	{
		const float x = 0.5f * (window[0] + window[1]);
		layout.emitters.push_back(Emitter("snowfall", {x, kDepth + 150.0f, 330.0f}));
	}
	layout.emitters.push_back(Emitter("snowfall", {330.0f, kDepth + 420.0f, 420.0f}));
	layout.emitters.push_back(Emitter("Fire", kFire + Vec3{2.0f, 0.0f, 6.0f}));
	layout.emitters.push_back(Emitter("lampglow", {80.0f, 80.0f, 150.0f}));
	// The fir's own emitters take turns, one a frame; the star's glow shines all the time.
	layout.emitters.push_back(Emitter("starglow", kTree + FirStarCentre()));
}
} // namespace

RoomLayout BuildRoom(const std::vector<ModelDraft>& models)
{
	RoomLayout layout;
	layout.roomBox = {{0.0f, 0.0f, 0.0f}, {kWidth, kDepth, kHeight}};
	layout.treePosition = kTree;
	layout.firePosition = kFire;
	layout.clockPosition = {350.0f, 9.0f, 205.0f};
	layout.windowCentre = {330.0f, kDepth, 160.0f};
	layout.fireplaceFront = {56.0f, 275.0f, 60.0f};
	layout.objects.push_back(Shell());
	Windows(layout);
	Fireplace(layout);
	Furniture(layout);
	Pictures(layout);
	layout.objects.push_back(Presents(kTree, layout));
	Outside(layout);
	Placements(layout);
	QueryBoxes(layout, models);
	Lights(layout, models);
	return layout;
}
