#include "tools/room/ModelParts.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace
{
// A round limb along `path`, its radius going from `from` at the start to `to` at the end,
// closed with a half ball at both ends.
void Limb(Mesh& mesh, const std::vector<Vec3>& path, float from, float to, Vec3 across)
{
	std::vector<Vec3> points;
	std::vector<Vec2> radii;
	const Vec3 back = Normalize(path[0] - path[1]);
	const Vec3 ahead = Normalize(path.back() - path[path.size() - 2]);
	auto end = [&](Vec3 at, Vec3 out, float radius, float angle)
	{
		points.push_back(at + out * (radius * std::sin(angle)));
		const float r = std::max(radius * std::cos(angle), 0.0f);
		radii.push_back({r, r});
	};
	for (int i = 3; i >= 1; --i)
	{
		end(path.front(), back, from, i * kPi / 6.0f);
	}
	for (size_t i = 0; i < path.size(); ++i)
	{
		const float r = from + (to - from) * static_cast<float>(i) / static_cast<float>(path.size() - 1);
		radii.push_back({r, r});
		points.push_back(path[i]);
	}
	for (int i = 1; i <= 3; ++i)
	{
		end(path.back(), ahead, to, i * kPi / 6.0f);
	}
	mesh.Sweep(points, radii, across, 10, 10.0f);
}

// A log of bark with its two sawn ends, along the frame's z.
void Log(ModelPart& bark, ModelPart& ends, const Frame& frame, float radius, float length)
{
	bark.mesh.Cylinder(frame, radius, length, 10, 30.0f, false);
	ends.mesh.Lathe(frame, {{0.0f, 0.0f}, {radius, 0.0f}}, 10, 10.0f, false);
	ends.mesh.Lathe(frame, {{radius, length}, {0.0f, length}}, 10, 10.0f, false);
}

// A closed book standing on its bottom edge in the frame: thickness along y, height along z,
// depth along x with the spine at +x. Boards, a rounded spine and the page block between the
// boards, set in a little so that no two faces share a plane.
void Book(ModelPart& cover, ModelPart& pages, const Frame& frame, float thickness, float height, float depth)
{
	const float board = 0.35f, hx = depth * 0.5f, hy = thickness * 0.5f;
	cover.mesh.Box(frame, {-hx, -hy, 0.0f}, {hx, -hy + board, height}, 20.0f);
	cover.mesh.Box(frame, {-hx, hy - board, 0.0f}, {hx, hy, height}, 20.0f);
	cover.mesh.Lathe(Frame{frame.Point({hx - 0.4f, 0.0f, 0.05f}), frame.xAxis, frame.yAxis, frame.zAxis},
	                 {{hy - board, 0.0f}, {hy - board, height - 0.1f}}, 8, 20.0f, false);
	pages.mesh.Box(frame, {-hx + 0.2f, -hy + board, 0.3f}, {hx - 0.45f, hy - board, height - 0.4f}, 10.0f,
	               2 | 4 | 8 | 16);
}
} // namespace

ModelPart Star(Vec3 centre, Vec3 facing, float radius)
{
	ModelPart star = Part("star", "tex_star.tga");
	star.glow = "tex_star_i.tga";
	const Vec3 up{0.0f, 0.0f, 1.0f};
	const Vec3 right = Normalize(Cross(facing, up));
	std::vector<Vec3> outline;
	for (int i = 0; i < 10; ++i)
	{
		const float angle = i * kPi / 5.0f;
		const float r = i % 2 == 0 ? radius : radius * 0.42f;
		outline.push_back(centre + right * (std::sin(angle) * r) + up * (std::cos(angle) * r));
	}
	// Each face runs from the middle's apex out to one edge of the outline: the faces meet in a
	// ridge along every point and in a valley between two points, all with hard edges.
	auto corner = [&](Vec3 p, Vec3 normal)
	{
		Corner c{p, normal};
		c.u = 0.5f + Dot(p - centre, right) / (2.0f * radius);
		c.v = 0.5f + Dot(p - centre, up) / (2.0f * radius);
		return c;
	};
	for (float side : {1.0f, -1.0f})
	{
		const Vec3 apex = centre + facing * (side * radius * 0.3f);
		const int chart = star.mesh.NewChart();
		for (size_t i = 0; i < outline.size(); ++i)
		{
			Vec3 a = outline[i], b = outline[(i + 1) % outline.size()];
			Vec3 normal = Normalize(Cross(a - apex, b - apex));
			if (Dot(normal, (apex + a + b) * (1.0f / 3.0f) - centre) < 0.0f)
			{
				std::swap(a, b);
				normal = -normal;
			}
			star.mesh.Add(corner(apex, normal), corner(a, normal), corner(b, normal), chart);
		}
	}
	return star;
}

ModelDraft Teddy(const std::string& name, float scale, const Frame& place)
{
	ModelDraft teddy{name};
	ModelPart hull = Part("Hull", "tex_teddy.tga");
	auto at = [&](Vec3 p) { return Frame{place.Point(p * scale), place.xAxis, place.yAxis, place.zAxis}; };
	auto points = [&](std::vector<Vec3> path)
	{
		for (Vec3& p : path)
		{
			p = place.Point(p * scale);
		}
		return path;
	};
	// A pear of a body, fullest at the seat.
	std::vector<Vec2> body{{0.0f, 0.0f},   {8.0f, 0.5f},   {10.5f, 5.0f}, {10.5f, 11.0f},
	                       {8.5f, 18.0f}, {5.0f, 22.5f}, {0.0f, 24.0f}};
	for (Vec2& p : body)
	{
		p = {p.x * scale, p.y * scale};
	}
	hull.mesh.Lathe(at({0.0f, 0.0f, 0.0f}), body, 12, 10.0f, true);
	hull.mesh.Ellipsoid(at({0.5f, 0.0f, 30.0f}), Vec3{8.0f, 8.0f, 7.5f} * scale, 14, 10.0f);
	hull.mesh.Ellipsoid(at({6.5f, 0.0f, 28.0f}), Vec3{3.5f, 4.0f, 3.0f} * scale, 10, 10.0f);
	ModelPart pads = Part("pads", "tex_paint.tga");
	for (float side : {-1.0f, 1.0f})
	{
		hull.mesh.Ellipsoid(at({-0.5f, 6.2f * side, 35.5f}), Vec3{1.5f, 3.0f, 3.0f} * scale, 10, 10.0f);
		// Arms hang from the shoulders and reach forwards; legs stick out with the feet turned up.
		Limb(hull.mesh, points({{1.0f, 8.5f * side, 20.0f}, {3.5f, 10.8f * side, 16.0f}, {6.5f, 11.2f * side, 12.5f},
		                        {9.0f, 10.4f * side, 11.0f}}),
		     3.4f * scale, 3.0f * scale, place.xAxis);
		Limb(hull.mesh, points({{1.0f, 5.5f * side, 5.0f}, {7.0f, 6.0f * side, 4.0f}, {11.0f, 6.5f * side, 4.2f}}),
		     4.2f * scale, 3.8f * scale, place.zAxis);
		hull.mesh.Ellipsoid(at({13.0f, 6.5f * side, 5.2f}), Vec3{2.2f, 4.0f, 4.6f} * scale, 10, 10.0f);
		pads.mesh.Ellipsoid(at({15.0f, 6.5f * side, 5.2f}), Vec3{0.5f, 2.8f, 3.2f} * scale, 10, 10.0f);
	}
	ModelPart eyes = Part("eyes", "tex_black.tga");
	for (float side : {-2.8f, 2.8f})
	{
		eyes.mesh.Sphere(at({7.0f, side, 32.0f}), 1.0f * scale, 6, 5.0f);
	}
	eyes.mesh.Sphere(at({10.0f, 0.0f, 29.0f}), 1.3f * scale, 6, 5.0f);
	teddy.parts = {hull, pads, eyes};
	return teddy;
}

ModelDraft Stocking(const std::string& name, const std::string& texture)
{
	ModelDraft stocking{name};
	// The middle of the stocking stands off the hook so that its back clears the mantel.
	const float x = 4.4f;
	ModelPart hull = Part("Hull", texture);
	std::vector<Vec3> path;
	std::vector<Vec2> radii;
	auto add = [&](Vec3 p, float across)
	{
		path.push_back(p);
		radii.push_back({across, 2.6f});
	};
	// The leg runs down from inside the cuff, bends round the heel and runs on into the foot.
	for (float z : {-1.0f, -9.0f, -17.0f, -24.0f})
	{
		add({x, 0.0f, z}, 7.0f);
	}
	const float bend = 10.0f;
	for (int i = 1; i <= 5; ++i)
	{
		const float angle = i * kPi / 10.0f;
		add({x, bend - bend * std::cos(angle), -24.0f - bend * std::sin(angle)}, 7.0f - 0.2f * i);
	}
	add({x, 14.0f, -34.0f}, 6.0f);
	// A rounded toe.
	for (int i = 1; i <= 3; ++i)
	{
		const float angle = i * kPi / 6.0f;
		path.push_back({x, 14.0f + 5.0f * std::sin(angle), -34.0f});
		radii.push_back({std::max(6.0f * std::cos(angle), 0.0f), std::max(2.6f * std::cos(angle), 0.0f)});
	}
	hull.mesh.Sweep(path, radii, {0.0f, 1.0f, 0.0f}, 14, 20.0f);
	// The cuff: a soft roll of fur round the top, uneven as fur is.
	ModelPart cuff = Part("cuff", "tex_paint.tga");
	const float heights[] = {1.5f, 1.1f, 0.2f, -3.0f, -6.0f, -9.2f, -10.1f, -10.5f};
	const float rolls[] = {0.8f, 0.94f, 1.0f, 1.0f, 1.0f, 1.0f, 0.94f, 0.8f};
	std::vector<std::vector<Vec3>> rings;
	for (int row = 0; row < 8; ++row)
	{
		std::vector<Vec3> ring;
		for (int k = 0; k < 28; ++k)
		{
			const float angle = 2.0f * kPi * k / 28.0f;
			const float fluff = 1.0f + 0.05f * std::sin(7.0f * angle + 1.7f * row) +
			                    0.035f * std::sin(13.0f * angle - 2.3f * row);
			const float scale = rolls[row] * fluff;
			ring.push_back({x + 4.0f * scale * std::sin(angle), 8.8f * scale * std::cos(angle), heights[row]});
		}
		rings.push_back(ring);
	}
	// The rings run down the cuff, so they turn clockwise seen from above to face outwards.
	cuff.mesh.Surface(rings, 10.0f);
	// The opening on top, turned to face up.
	cuff.mesh.Fan({rings.front().rbegin(), rings.front().rend()}, 10.0f);
	// The loop it hangs from.
	std::vector<Vec3> loop;
	for (int i = 0; i <= 12; ++i)
	{
		const float angle = 2.0f * kPi * i / 12.0f;
		loop.push_back({x - 1.0f, -6.5f + 2.2f * std::cos(angle), 2.0f + 2.2f * std::sin(angle)});
	}
	cuff.mesh.Sweep(loop, std::vector<Vec2>(loop.size(), {0.35f, 0.35f}), {1.0f, 0.0f, 0.0f}, 6, 10.0f);
	stocking.parts = {hull, cuff};
	return stocking;
}

ModelDraft Logs()
{
	ModelDraft logs{"logs"};
	ModelPart hull = Part("Hull", "tex_bark.tga");
	hull.glow = "tex_embers_i.tga";
	ModelPart ends = Part("ends", "tex_logend.tga");
	const Vec3 directions[] = {{0.2f, 1.0f, 0.0f}, {-0.25f, 1.0f, 0.05f}, {0.9f, 0.5f, 0.25f}};
	const Vec3 centres[] = {{-4.0f, 0.0f, 5.0f}, {6.0f, 0.0f, 5.0f}, {0.0f, 0.0f, 14.0f}};
	for (int i = 0; i < 3; ++i)
	{
		const Vec3 axis = Normalize(directions[i]);
		Log(hull, ends, Frame::Along(centres[i] - axis * 22.0f, axis), 5.0f, 44.0f);
	}
	logs.parts = {hull, ends};
	return logs;
}

ModelDraft TeaTray()
{
	ModelDraft tray{"teatray"};
	ModelPart hull = Part("Hull", "tex_brass.tga");
	hull.mesh.RoundedBox(kUp, {-13.0f, -8.0f, 0.0f}, {13.0f, 8.0f, 0.8f}, 0.4f, 2, 20.0f);
	// A raised rim round the edge.
	std::vector<Vec3> rim;
	for (int quarter = 0; quarter < 4; ++quarter)
	{
		const float cx = quarter == 0 || quarter == 3 ? 10.5f : -10.5f;
		const float cy = quarter < 2 ? 5.5f : -5.5f;
		for (int j = 0; j <= 3; ++j)
		{
			const float angle = kPi * 0.5f * (quarter + j / 3.0f);
			rim.push_back({cx + 2.0f * std::cos(angle), cy + 2.0f * std::sin(angle), 1.1f});
		}
	}
	rim.push_back(rim.front());
	hull.mesh.Sweep(rim, std::vector<Vec2>(rim.size(), {0.5f, 0.5f}), {0.0f, 0.0f, 1.0f}, 6, 10.0f);
	ModelPart china = Part("cups", "tex_paint.tga");
	ModelPart tea = Part("tea", "tex_darkwood.tga", "cups");
	for (float cx : {-6.5f, 6.5f})
	{
		const Frame saucer = Frame::At({cx, 0.0f, 0.8f});
		china.mesh.Lathe(saucer, {{0.0f, 0.0f}, {3.5f, 0.0f}, {5.3f, 0.8f}, {5.1f, 1.0f}, {3.4f, 0.5f}, {0.0f, 0.5f}},
		                 16, 10.0f, true);
		const Frame cup = Frame::At({cx, 0.0f, 1.3f});
		china.mesh.Lathe(cup,
		                 {{0.0f, 0.0f}, {2.0f, 0.0f}, {3.1f, 0.9f}, {3.5f, 4.6f}, {3.6f, 5.0f}, {3.35f, 5.0f},
		                  {3.3f, 4.2f}},
		                 16, 10.0f, true);
		tea.mesh.Lathe(cup, {{3.32f, 4.2f}, {0.0f, 4.2f}}, 16, 10.0f, false);
		std::vector<Vec3> handle;
		for (int i = 0; i <= 6; ++i)
		{
			const float angle = -0.5f * kPi + kPi * i / 6.0f;
			handle.push_back({cx, 3.3f + 1.5f * std::cos(angle), 3.4f + 1.5f * std::sin(angle)});
		}
		china.mesh.Sweep(handle, std::vector<Vec2>(handle.size(), {0.4f, 0.4f}), {1.0f, 0.0f, 0.0f}, 6, 10.0f);
	}
	tray.parts = {hull, china, tea};
	return tray;
}

ModelDraft MantelBooks()
{
	ModelDraft books{"mantelbooks"};
	ModelPart hull = Part("Hull", "tex_paint.tga");
	std::vector<ModelPart> covers;
	for (const char* paper : {"red", "green", "blue", "gold"})
	{
		covers.push_back(Part(std::string("covers_") + paper, std::string("tex_paper_") + paper + ".tga"));
	}
	struct Size
	{
		float thickness, height, depth;
	};
	const Size row[] = {{3.2f, 17.0f, 12.0f}, {2.6f, 15.5f, 11.0f}, {4.0f, 18.0f, 13.0f},
	                    {2.8f, 16.0f, 12.0f}, {3.5f, 14.5f, 11.0f}, {3.0f, 17.5f, 12.5f}};
	float y = -14.0f;
	for (size_t i = 0; i < std::size(row); ++i)
	{
		const Size& b = row[i];
		Book(covers[i % covers.size()], hull, Frame::At({0.0f, y + b.thickness * 0.5f, 0.0f}), b.thickness,
		     b.height, b.depth);
		y += b.thickness + 0.3f;
	}
	// Two lying on their sides, the upper one a little smaller.
	const Size stack[] = {{3.0f, 17.0f, 12.5f}, {2.5f, 14.0f, 11.0f}};
	float z = 0.0f;
	for (size_t i = 0; i < std::size(stack); ++i)
	{
		const Size& b = stack[i];
		const Frame lying{{0.0f, 10.0f + b.height, z + b.thickness * 0.5f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f},
		                  {0.0f, -1.0f, 0.0f}};
		Book(covers[(i + 2) % covers.size()], hull, lying, b.thickness, b.height, b.depth);
		z += b.thickness + 0.05f;
	}
	books.parts = {hull};
	for (const ModelPart& cover : covers)
	{
		books.parts.push_back(cover);
	}
	return books;
}

ModelDraft LogBasket()
{
	ModelDraft basket{"logbasket"};
	ModelPart hull = Part("Hull", "tex_wood.tga");
	hull.mesh.Lathe(kUp,
	                {{0.0f, 0.0f},
	                 {14.0f, 0.0f},
	                 {17.0f, 20.0f},
	                 {18.0f, 21.5f},
	                 {17.6f, 22.8f},
	                 {16.6f, 22.6f},
	                 {16.2f, 21.0f},
	                 {13.4f, 2.0f},
	                 {0.0f, 2.0f}},
	                20, 8.0f, false, 6.0f);
	for (float side : {-1.0f, 1.0f})
	{
		std::vector<Vec3> handle;
		for (int i = 0; i <= 8; ++i)
		{
			const float angle = kPi * i / 8.0f;
			handle.push_back({6.0f * std::cos(angle), 17.0f * side, 21.5f + 5.0f * std::sin(angle)});
		}
		hull.mesh.Tube(handle, 0.9f, 6, 10.0f);
	}
	ModelPart bark = Part("logs", "tex_bark.tga");
	ModelPart ends = Part("ends", "tex_logend.tga", "logs");
	const float length = 26.0f;
	const Vec3 centres[] = {{0.0f, -5.5f, 19.0f}, {0.0f, 5.5f, 19.0f}, {0.0f, 0.0f, 27.0f}};
	const Vec3 directions[] = {{1.0f, 0.05f, 0.0f}, {1.0f, -0.08f, 0.03f}, {1.0f, 0.15f, -0.04f}};
	for (int i = 0; i < 3; ++i)
	{
		const Vec3 axis = Normalize(directions[i]);
		Log(bark, ends, Frame::Along(centres[i] - axis * (length * 0.5f), axis), 4.5f, length);
	}
	basket.parts = {hull, bark, ends};
	return basket;
}
