#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One vertex of all static geometry, in the layout OpenGL reads (40 bytes): position, normal,
// base texture coordinate, lightmap texture coordinate (0 for model meshes).
struct SharedVertex
{
	float position[3] = {};
	float normal[3] = {};
	float uv[2] = {};
	float lightmapUv[2] = {};
};
static_assert(sizeof(SharedVertex) == 40);

// Every static mesh of the room and of its models, as one triangle list that only grows. A mesh
// refers to its vertices by an index range; the whole array is handed to OpenGL at once.
class SharedVertexArray
{
public:
	// Appends `count` zeroed records and returns the index of the first.
	int32_t Grow(size_t count);
	SharedVertex& At(int32_t index) { return vertices[static_cast<size_t>(index)]; }
	const std::vector<SharedVertex>& Vertices() const { return vertices; }
	int32_t Size() const { return static_cast<int32_t>(vertices.size()); }
	void Release() { vertices = {}; }

private:
	std::vector<SharedVertex> vertices;
};

extern SharedVertexArray g_sharedVertices;

class Scene;

// Once after the scene has loaded, when vertex-buffer objects are available.
void UploadSharedVertices(Scene& scene);
// The vertex, normal and texture-coordinate arrays from the scene's buffer object, or from the
// shared array in memory without one.
void BindSharedVertices(const Scene& scene);
void UnbindSharedVertices();
// The texture coordinates of the bound arrays from another field of the vertex (`offset` bytes
// in), such as the lightmap's.
void PointSharedTexCoordsAt(size_t offset);
