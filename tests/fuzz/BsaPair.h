#pragma once

#include <cstdint>
#include <span>
#include <vector>

// The .BSA fuzzer reads a mesh file and its animation file from one input: a little-endian
// uint32 giving the mesh file's size, the mesh file, then the animation file. A size past the
// end gives the whole rest to the mesh.
struct BsaPair
{
	std::span<const uint8_t> mesh;
	std::span<const uint8_t> animation;
};

inline BsaPair SplitBsaPair(std::span<const uint8_t> input)
{
	if (input.size() < 4)
	{
		return {input, {}};
	}
	const size_t meshSize = static_cast<size_t>(input[0]) | (static_cast<size_t>(input[1]) << 8) |
	                        (static_cast<size_t>(input[2]) << 16) | (static_cast<size_t>(input[3]) << 24);
	const std::span<const uint8_t> rest = input.subspan(4);
	const size_t split = meshSize < rest.size() ? meshSize : rest.size();
	return {rest.first(split), rest.subspan(split)};
}

inline std::vector<uint8_t> JoinBsaPair(std::span<const uint8_t> mesh, std::span<const uint8_t> animation)
{
	std::vector<uint8_t> joined;
	joined.reserve(4 + mesh.size() + animation.size());
	for (int shift = 0; shift < 32; shift += 8)
	{
		joined.push_back(static_cast<uint8_t>(mesh.size() >> shift));
	}
	joined.insert(joined.end(), mesh.begin(), mesh.end());
	joined.insert(joined.end(), animation.begin(), animation.end());
	return joined;
}
