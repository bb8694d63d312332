#include "tools/room/Mesh.h"

#include <algorithm>
#include <cmath>

void Mesh::Add(const Corner& a, const Corner& b, const Corner& c, int chart)
{
	triangles.push_back(Triangle{{a, b, c}, chart});
}

void Mesh::Append(const Mesh& other)
{
	for (Triangle triangle : other.triangles)
	{
		triangle.chart += chartCount;
		triangles.push_back(triangle);
	}
	chartCount += other.chartCount;
}

Bounds Mesh::Extent() const
{
	Bounds bounds;
	for (const Triangle& triangle : triangles)
	{
		for (const Corner& corner : triangle.corners)
		{
			bounds.Add(corner.position);
		}
	}
	return bounds;
}

void Mesh::Quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, float tile, bool fit)
{
	const Vec3 normal = Normalize(Cross(b - a, d - a));
	const Vec3 sAxis = Normalize(b - a);
	const Vec3 tAxis = Normalize(Cross(normal, sAxis));
	const float width = std::max(Dot(b - a, sAxis), Dot(c - a, sAxis));
	const float height = std::max(Dot(d - a, tAxis), Dot(c - a, tAxis));
	const int chart = NewChart();
	auto corner = [&](Vec3 p)
	{
		Corner result{p, normal};
		result.s = Dot(p - a, sAxis);
		result.t = Dot(p - a, tAxis);
		result.u = fit ? result.s / std::max(width, 1e-6f) : result.s / tile;
		result.v = fit ? result.t / std::max(height, 1e-6f) : result.t / tile;
		return result;
	};
	const Corner ca = corner(a), cb = corner(b), cc = corner(c), cd = corner(d);
	Add(ca, cb, cc, chart);
	Add(ca, cc, cd, chart);
}

void Mesh::CutOut(Vec3 origin, Vec3 across, Vec3 along, const std::vector<Vec2>& outline)
{
	const Vec3 normal = Normalize(Cross(across, along));
	const float width = Length(across), height = Length(along);
	const int chart = NewChart();
	auto corner = [&](Vec2 st)
	{
		Corner result{origin + across * st.x + along * st.y, normal};
		result.u = st.x;
		result.v = st.y;
		result.s = st.x * width;
		result.t = st.y * height;
		return result;
	};
	for (size_t i = 2; i < outline.size(); ++i)
	{
		Add(corner(outline[0]), corner(outline[i - 1]), corner(outline[i]), chart);
	}
}

void Mesh::Box(const Frame& f, Vec3 lo, Vec3 hi, float tile, int skip)
{
	auto p = [&](float x, float y, float z) { return f.Point({x, y, z}); };
	if (!(skip & 1))
		Quad(p(lo.x, hi.y, lo.z), p(lo.x, lo.y, lo.z), p(lo.x, lo.y, hi.z), p(lo.x, hi.y, hi.z), tile);
	if (!(skip & 2))
		Quad(p(hi.x, lo.y, lo.z), p(hi.x, hi.y, lo.z), p(hi.x, hi.y, hi.z), p(hi.x, lo.y, hi.z), tile);
	if (!(skip & 4))
		Quad(p(lo.x, lo.y, lo.z), p(hi.x, lo.y, lo.z), p(hi.x, lo.y, hi.z), p(lo.x, lo.y, hi.z), tile);
	if (!(skip & 8))
		Quad(p(hi.x, hi.y, lo.z), p(lo.x, hi.y, lo.z), p(lo.x, hi.y, hi.z), p(hi.x, hi.y, hi.z), tile);
	if (!(skip & 16))
		Quad(p(lo.x, hi.y, lo.z), p(hi.x, hi.y, lo.z), p(hi.x, lo.y, lo.z), p(lo.x, lo.y, lo.z), tile);
	if (!(skip & 32))
		Quad(p(lo.x, lo.y, hi.z), p(hi.x, lo.y, hi.z), p(hi.x, hi.y, hi.z), p(lo.x, hi.y, hi.z), tile);
}

namespace
{
// The outward normal of a profile segment, in (radius, height) terms.
Vec2 SegmentNormal(Vec2 a, Vec2 b)
{
	const float dr = b.x - a.x;
	const float dz = b.y - a.y;
	const float length = std::max(std::sqrt(dr * dr + dz * dz), 1e-6f);
	return {dz / length, -dr / length};
}
} // namespace

void Mesh::Lathe(const Frame& frame, const std::vector<Vec2>& profile, int segments, float tile, bool smooth,
                 float uRepeat)
{
	if (profile.size() < 2)
	{
		return;
	}
	// Profile normals: per segment, or averaged at shared points for a smooth surface.
	std::vector<Vec2> pointNormals(profile.size());
	for (size_t i = 0; i < profile.size(); ++i)
	{
		Vec2 sum{0.0f, 0.0f};
		if (i > 0)
		{
			const Vec2 n = SegmentNormal(profile[i - 1], profile[i]);
			sum = {sum.x + n.x, sum.y + n.y};
		}
		if (i + 1 < profile.size())
		{
			const Vec2 n = SegmentNormal(profile[i], profile[i + 1]);
			sum = {sum.x + n.x, sum.y + n.y};
		}
		const float length = std::max(std::sqrt(sum.x * sum.x + sum.y * sum.y), 1e-6f);
		pointNormals[i] = {sum.x / length, sum.y / length};
	}
	float along = 0.0f;
	for (size_t i = 0; i + 1 < profile.size(); ++i)
	{
		const Vec2 a = profile[i];
		const Vec2 b = profile[i + 1];
		const float length = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
		if (length < 1e-5f)
		{
			continue;
		}
		const Vec2 flat = SegmentNormal(a, b);
		const Vec2 na = smooth ? pointNormals[i] : flat;
		const Vec2 nb = smooth ? pointNormals[i + 1] : flat;
		const float rounds = std::max(a.x, b.x) * 2.0f * kPi;
		const int chart = NewChart();
		auto corner = [&](Vec2 point, Vec2 normal, int step, float at)
		{
			const float angle = 2.0f * kPi * static_cast<float>(step) / static_cast<float>(segments);
			const float c = std::cos(angle), s = std::sin(angle);
			Corner result;
			result.position = frame.Point({point.x * c, point.x * s, point.y});
			result.normal = Normalize(frame.Direction({normal.x * c, normal.x * s, normal.y}));
			result.u = uRepeat * static_cast<float>(step) / static_cast<float>(segments);
			result.v = at / tile;
			result.s = rounds * static_cast<float>(step) / static_cast<float>(segments);
			result.t = at - along;
			return result;
		};
		for (int step = 0; step < segments; ++step)
		{
			const Corner a0 = corner(a, na, step, along), a1 = corner(a, na, step + 1, along);
			const Corner b0 = corner(b, nb, step, along + length),
			             b1 = corner(b, nb, step + 1, along + length);
			if (a.x > 1e-4f)
			{
				Add(a0, a1, b1, chart);
			}
			if (b.x > 1e-4f)
			{
				Add(a0, b1, b0, chart);
			}
		}
		along += length;
	}
}

void Mesh::Cylinder(const Frame& frame, float radius, float height, int segments, float tile, bool caps)
{
	if (caps)
	{
		Lathe(frame, {{0.0f, 0.0f}, {radius, 0.0f}, {radius, height}, {0.0f, height}}, segments, tile, false);
	}
	else
	{
		Lathe(frame, {{radius, 0.0f}, {radius, height}}, segments, tile, false);
	}
}

void Mesh::Sphere(const Frame& frame, float radius, int segments, float tile)
{
	std::vector<Vec2> profile;
	const int rings = std::max(segments / 2, 3);
	for (int i = 0; i <= rings; ++i)
	{
		const float angle = -0.5f * kPi + kPi * static_cast<float>(i) / static_cast<float>(rings);
		profile.push_back({radius * std::cos(angle), radius * std::sin(angle)});
	}
	profile.front().x = 0.0f;
	profile.back().x = 0.0f;
	Lathe(frame, profile, segments, tile, true);
}

void Mesh::Prism(const Frame& frame, const std::vector<Vec2>& outline, float depth, float tile)
{
	Vec2 centre{0.0f, 0.0f};
	Vec2 lo{1e30f, 1e30f}, hi{-1e30f, -1e30f};
	for (const Vec2& p : outline)
	{
		centre = {centre.x + p.x / outline.size(), centre.y + p.y / outline.size()};
		lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
		hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
	}
	const float width = std::max(hi.x - lo.x, 1e-6f);
	const float height = std::max(hi.y - lo.y, 1e-6f);
	for (int side = 0; side < 2; ++side)
	{
		const float z = side == 0 ? depth : 0.0f;
		const Vec3 normal = Normalize(frame.Direction({0.0f, 0.0f, side == 0 ? 1.0f : -1.0f}));
		const int chart = NewChart();
		auto corner = [&](Vec2 p)
		{
			Corner result{frame.Point({p.x, p.y, z}), normal};
			result.u = (p.x - lo.x) / width;
			result.v = (p.y - lo.y) / height;
			result.s = side == 0 ? p.x - lo.x : hi.x - p.x;
			result.t = p.y - lo.y;
			return result;
		};
		for (size_t i = 0; i < outline.size(); ++i)
		{
			const Vec2 a = outline[i];
			const Vec2 b = outline[(i + 1) % outline.size()];
			if (side == 0)
			{
				Add(corner(centre), corner(a), corner(b), chart);
			}
			else
			{
				Add(corner(centre), corner(b), corner(a), chart);
			}
		}
	}
	for (size_t i = 0; i < outline.size(); ++i)
	{
		const Vec2 a = outline[i];
		const Vec2 b = outline[(i + 1) % outline.size()];
		Quad(frame.Point({a.x, a.y, 0.0f}), frame.Point({b.x, b.y, 0.0f}), frame.Point({b.x, b.y, depth}),
		     frame.Point({a.x, a.y, depth}), tile);
	}
}

void Mesh::Tube(const std::vector<Vec3>& path, float radius, int sides, float tile)
{
	if (path.size() < 2)
	{
		return;
	}
	const int chart = NewChart();
	float along = 0.0f;
	for (size_t i = 0; i + 1 < path.size(); ++i)
	{
		const Vec3 a = path[i];
		const Vec3 b = path[i + 1];
		const float length = Length(b - a);
		const Frame frame = Frame::Along(a, b - a);
		auto corner = [&](int step, float z)
		{
			const float angle = 2.0f * kPi * static_cast<float>(step) / static_cast<float>(sides);
			const Vec3 out{std::cos(angle), std::sin(angle), 0.0f};
			Corner result{frame.Point(out * radius + Vec3{0.0f, 0.0f, z}), frame.Direction(out)};
			result.u = static_cast<float>(step) / static_cast<float>(sides);
			result.v = (along + z) / tile;
			result.s = 2.0f * kPi * radius * static_cast<float>(step) / static_cast<float>(sides);
			result.t = along + z;
			return result;
		};
		for (int step = 0; step < sides; ++step)
		{
			Add(corner(step, 0.0f), corner(step + 1, 0.0f), corner(step + 1, length), chart);
			Add(corner(step, 0.0f), corner(step + 1, length), corner(step, length), chart);
		}
		along += length;
	}
}

namespace
{
float TriangleArea(const Corner& a, const Corner& b, const Corner& c)
{
	return 0.5f * Length(Cross(b.position - a.position, c.position - a.position));
}

Vec3 Centroid(const std::vector<Vec3>& points)
{
	Vec3 sum;
	for (const Vec3& p : points)
	{
		sum = sum + p;
	}
	return sum * (1.0f / static_cast<float>(points.size()));
}

// Normals of a ring surface from the differences of the neighbouring points.
std::vector<std::vector<Vec3>> RingNormals(const std::vector<std::vector<Vec3>>& rings)
{
	const size_t rows = rings.size(), columns = rings.front().size();
	std::vector<std::vector<Vec3>> normals(rows, std::vector<Vec3>(columns));
	for (size_t r = 0; r < rows; ++r)
	{
		const size_t before = r > 0 ? r - 1 : 0, after = std::min(r + 1, rows - 1);
		// A ring shrunk to a point is a tip: it faces away from the ring next to it.
		const Vec3 tip = r + 1 == rows ? Centroid(rings[r]) - Centroid(rings[before])
		                               : Centroid(rings[r]) - Centroid(rings[after]);
		for (size_t c = 0; c < columns; ++c)
		{
			const Vec3 around = rings[r][(c + 1) % columns] - rings[r][(c + columns - 1) % columns];
			const Vec3 along = rings[after][c] - rings[before][c];
			const Vec3 normal = Cross(around, along);
			normals[r][c] = Normalize(Length(normal) > 1e-6f ? normal : tip);
		}
	}
	return normals;
}
} // namespace

void Mesh::Surface(const std::vector<std::vector<Vec3>>& rings, float tile)
{
	Surface(rings, RingNormals(rings), tile);
}

void Mesh::Surface(const std::vector<std::vector<Vec3>>& rings, const std::vector<std::vector<Vec3>>& normals,
                   float tile)
{
	if (rings.size() < 2 || rings.front().size() < 3)
	{
		return;
	}
	const size_t rows = rings.size(), columns = rings.front().size();
	// The chart: s runs round each ring on its own, t along the rings by their mean distance.
	// Every row of quads then lies between two lines of t, and within a row the quads follow s,
	// so no two overlap.
	std::vector<std::vector<float>> s(rows, std::vector<float>(columns + 1, 0.0f));
	std::vector<float> t(rows, 0.0f);
	for (size_t r = 0; r < rows; ++r)
	{
		for (size_t c = 1; c <= columns; ++c)
		{
			s[r][c] = s[r][c - 1] + Length(rings[r][c % columns] - rings[r][c - 1]);
		}
		if (r > 0)
		{
			float step = 0.0f;
			for (size_t c = 0; c < columns; ++c)
			{
				step += Length(rings[r][c] - rings[r - 1][c]) / static_cast<float>(columns);
			}
			t[r] = t[r - 1] + step;
		}
	}
	const int chart = NewChart();
	auto corner = [&](size_t r, size_t c)
	{
		Corner result{rings[r][c % columns], normals[r][c % columns]};
		result.s = s[r][c];
		result.t = t[r];
		result.u = result.s / tile;
		result.v = result.t / tile;
		return result;
	};
	auto add = [&](const Corner& a, const Corner& b, const Corner& c)
	{
		if (TriangleArea(a, b, c) > 1e-5f)
		{
			Add(a, b, c, chart);
		}
	};
	for (size_t r = 0; r + 1 < rows; ++r)
	{
		for (size_t c = 0; c < columns; ++c)
		{
			const Corner a = corner(r, c), b = corner(r, c + 1), d = corner(r + 1, c + 1), e = corner(r + 1, c);
			add(a, b, d);
			add(a, d, e);
		}
	}
}

void Mesh::Fan(const std::vector<Vec3>& outline, float tile)
{
	// Newell's normal holds for outlines with repeated or nearly collinear points.
	Vec3 normal;
	for (size_t i = 0; i < outline.size(); ++i)
	{
		normal = normal + Cross(outline[i], outline[(i + 1) % outline.size()]);
	}
	normal = Normalize(normal);
	const Vec3 centre = Centroid(outline);
	const Frame plane = Frame::Along(centre, normal);
	const int chart = NewChart();
	auto corner = [&](Vec3 p)
	{
		Corner result{p, normal};
		result.s = Dot(p - centre, plane.xAxis);
		result.t = Dot(p - centre, plane.yAxis);
		result.u = result.s / tile;
		result.v = result.t / tile;
		return result;
	};
	for (size_t i = 0; i < outline.size(); ++i)
	{
		const Corner a = corner(centre), b = corner(outline[i]), c = corner(outline[(i + 1) % outline.size()]);
		if (TriangleArea(a, b, c) > 1e-5f)
		{
			Add(a, b, c, chart);
		}
	}
}

void Mesh::RoundedBox(const Frame& frame, Vec3 lo, Vec3 hi, float radius, int steps, float tile)
{
	const Vec3 size = hi - lo;
	const float r = std::min({radius, size.x * 0.5f, size.y * 0.5f, size.z * 0.5f});
	const Vec3 innerLo = lo + Vec3{r, r, r}, innerHi = hi - Vec3{r, r, r};
	// The box is its inner box grown by a ball: every point is a corner of the inner box plus
	// the radius along the normal. Each quarter turn round z and each half of the height keeps
	// to one corner, so the flat faces lie between the quarters and the halves.
	std::vector<std::vector<Vec3>> rings, normals;
	for (int half = 0; half < 2; ++half)
	{
		for (int i = 0; i <= steps; ++i)
		{
			const float elevation = kPi * 0.5f * (static_cast<float>(half + static_cast<float>(i) / steps) - 1.0f);
			const float z = half == 0 ? innerLo.z : innerHi.z;
			std::vector<Vec3> ring, ringNormals;
			for (int quarter = 0; quarter < 4; ++quarter)
			{
				const float x = quarter == 0 || quarter == 3 ? innerHi.x : innerLo.x;
				const float y = quarter < 2 ? innerHi.y : innerLo.y;
				for (int j = 0; j <= steps; ++j)
				{
					const float angle = kPi * 0.5f * (quarter + static_cast<float>(j) / steps);
					const Vec3 n{std::cos(elevation) * std::cos(angle), std::cos(elevation) * std::sin(angle),
					             std::sin(elevation)};
					ring.push_back(frame.Point(Vec3{x, y, z} + n * r));
					ringNormals.push_back(Normalize(frame.Direction(n)));
				}
			}
			rings.push_back(ring);
			normals.push_back(ringNormals);
		}
	}
	Surface(rings, normals, tile);
	auto cap = [&](float z, bool top)
	{
		std::vector<Vec3> corners{frame.Point({innerHi.x, innerHi.y, z}), frame.Point({innerLo.x, innerHi.y, z}),
		                          frame.Point({innerLo.x, innerLo.y, z}), frame.Point({innerHi.x, innerLo.y, z})};
		if (!top)
		{
			std::reverse(corners.begin(), corners.end());
		}
		Fan(corners, tile);
	};
	if (innerHi.x - innerLo.x > 1e-3f && innerHi.y - innerLo.y > 1e-3f)
	{
		cap(lo.z, false);
		cap(hi.z, true);
	}
}

std::vector<Vec3> Mesh::Sweep(const std::vector<Vec3>& path, const std::vector<Vec2>& radii, Vec3 across,
                              int sides, float tile)
{
	if (path.size() < 2 || radii.size() != path.size())
	{
		return {};
	}
	std::vector<std::vector<Vec3>> rings;
	Vec3 side = across;
	for (size_t i = 0; i < path.size(); ++i)
	{
		const Vec3 tangent =
		    Normalize(path[std::min(i + 1, path.size() - 1)] - path[i > 0 ? i - 1 : 0]);
		// The section turns with the path without twisting about it.
		side = Normalize(side - tangent * Dot(side, tangent));
		const Vec3 other = Cross(tangent, side);
		std::vector<Vec3> ring;
		for (int k = 0; k < sides; ++k)
		{
			const float angle = 2.0f * kPi * static_cast<float>(k) / static_cast<float>(sides);
			ring.push_back(path[i] + side * (radii[i].x * std::cos(angle)) + other * (radii[i].y * std::sin(angle)));
		}
		rings.push_back(ring);
	}
	Surface(rings, tile);
	return rings.back();
}

void Mesh::Ellipsoid(const Frame& frame, Vec3 radii, int segments, float tile)
{
	const int rings = std::max(segments / 2, 3);
	std::vector<std::vector<Vec3>> points;
	for (int i = 0; i <= rings; ++i)
	{
		const float latitude = -0.5f * kPi + kPi * static_cast<float>(i) / static_cast<float>(rings);
		std::vector<Vec3> ring;
		for (int k = 0; k < segments; ++k)
		{
			const float angle = 2.0f * kPi * static_cast<float>(k) / static_cast<float>(segments);
			ring.push_back(frame.Point({radii.x * std::cos(latitude) * std::cos(angle),
			                            radii.y * std::cos(latitude) * std::sin(angle), radii.z * std::sin(latitude)}));
		}
		points.push_back(ring);
	}
	Surface(points, tile);
}
