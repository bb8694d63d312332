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
