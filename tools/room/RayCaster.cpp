#include "tools/room/RayCaster.h"

#include <algorithm>
#include <cmath>

namespace
{
bool BoxHit(const Bounds& b, Vec3 origin, Vec3 inverse, float limit)
{
	float near = 0.0f, far = limit;
	for (int axis = 0; axis < 3; ++axis)
	{
		const float o = Component(origin, axis), d = Component(inverse, axis);
		float t0 = (Component(b.min, axis) - o) * d;
		float t1 = (Component(b.max, axis) - o) * d;
		if (t0 > t1)
		{
			std::swap(t0, t1);
		}
		near = std::max(near, t0);
		far = std::min(far, t1);
		if (near > far)
		{
			return false;
		}
	}
	return true;
}

// Möller–Trumbore; fills distance and the weights of corners 1 and 2.
bool HitTriangle(const std::array<Vec3, 3>& t, Vec3 origin, Vec3 direction, RayCaster::Hit& hit)
{
	const Vec3 e1 = t[1] - t[0], e2 = t[2] - t[0];
	const Vec3 p = Cross(direction, e2);
	const float det = Dot(e1, p);
	if (std::fabs(det) < 1e-9f)
	{
		return false;
	}
	const float inv = 1.0f / det;
	const Vec3 s = origin - t[0];
	const float u = Dot(s, p) * inv;
	if (u < 0.0f || u > 1.0f)
	{
		return false;
	}
	const Vec3 q = Cross(s, e1);
	const float v = Dot(direction, q) * inv;
	if (v < 0.0f || u + v > 1.0f)
	{
		return false;
	}
	hit.distance = Dot(e2, q) * inv;
	hit.u = u;
	hit.v = v;
	return true;
}
} // namespace

RayCaster::RayCaster(const std::vector<std::array<Vec3, 3>>& list) : triangles(list), order(list.size())
{
	for (size_t i = 0; i < order.size(); ++i)
	{
		order[i] = static_cast<int>(i);
	}
	nodes.reserve(triangles.size() * 2 + 1);
	nodes.push_back({});
	Build(0, 0, static_cast<int>(triangles.size()));
}

void RayCaster::Build(int node, int first, int count)
{
	Bounds bounds;
	for (int i = first; i < first + count; ++i)
	{
		for (const Vec3& p : triangles[order[i]])
		{
			bounds.Add(p);
		}
	}
	nodes[node].bounds = bounds;
	if (count <= 4)
	{
		nodes[node].first = first;
		nodes[node].count = count;
		return;
	}
	const Vec3 size = bounds.max - bounds.min;
	const int axis = size.x > size.y ? (size.x > size.z ? 0 : 2) : (size.y > size.z ? 1 : 2);
	auto centre = [&](int index)
	{
		const auto& t = triangles[index];
		return Component(t[0], axis) + Component(t[1], axis) + Component(t[2], axis);
	};
	const auto begin = order.begin() + first;
	// Ties are broken by index, so the tree is the same on every run.
	std::nth_element(begin, begin + count / 2, begin + count,
	                 [&](int a, int b) { return centre(a) != centre(b) ? centre(a) < centre(b) : a < b; });
	const int left = static_cast<int>(nodes.size());
	nodes.push_back({});
	nodes.push_back({});
	nodes[node].first = left;
	nodes[node].count = 0;
	Build(left, first, count / 2);
	Build(left + 1, first + count / 2, count - count / 2);
}

RayCaster::Hit RayCaster::Nearest(Vec3 origin, Vec3 direction, float limit) const
{
	const Vec3 inverse{1.0f / direction.x, 1.0f / direction.y, 1.0f / direction.z};
	Hit best;
	float nearest = limit;
	int stack[64];
	int top = 0;
	stack[top++] = 0;
	while (top > 0)
	{
		const Node& node = nodes[stack[--top]];
		if (!BoxHit(node.bounds, origin, inverse, nearest))
		{
			continue;
		}
		if (node.count == 0)
		{
			stack[top++] = node.first;
			stack[top++] = node.first + 1;
			continue;
		}
		for (int i = node.first; i < node.first + node.count; ++i)
		{
			Hit hit;
			if (HitTriangle(triangles[order[i]], origin, direction, hit) && hit.distance > 1e-3f &&
			    hit.distance < nearest)
			{
				nearest = hit.distance;
				best = hit;
				best.triangle = order[i];
			}
		}
	}
	return best;
}
