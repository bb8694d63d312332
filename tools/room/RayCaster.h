#pragma once

#include "tools/room/RoomMath.h"

#include <array>
#include <vector>

// Rays against a fixed set of triangles, through a bounding-volume hierarchy split at the
// median of the longest axis.
class RayCaster
{
public:
	struct Hit
	{
		float distance = -1.0f; // negative: nothing was hit
		int triangle = -1;      // index in the list given to the constructor
		float u = 0.0f;         // weights of corners 1 and 2
		float v = 0.0f;
	};

	explicit RayCaster(const std::vector<std::array<Vec3, 3>>& triangles);
	// Distance to the nearest hit within `limit`, or a negative number when nothing is hit.
	float Cast(Vec3 origin, Vec3 direction, float limit) const
	{
		return Nearest(origin, direction, limit).distance;
	}
	Hit Nearest(Vec3 origin, Vec3 direction, float limit) const;

private:
	struct Node
	{
		Bounds bounds;
		int first = 0; // leaf: first entry of `order`; inner: left child (right is left + 1)
		int count = 0; // 0 for an inner node
	};

	void Build(int node, int first, int count);

	std::vector<std::array<Vec3, 3>> triangles;
	std::vector<int> order;
	std::vector<Node> nodes;
};
