#include "scene/SharedVertexArray.h"

#include "render/VertexArrays.h"
#include "scene/Scene.h"

#include <GL/glew.h>

#include <cstddef>

SharedVertexArray g_sharedVertices;

namespace
{
constexpr int32_t kStride = sizeof(SharedVertex);

// Whether the arrays point into the buffer object (offsets) or into memory (addresses).
bool arraysFromBuffer = false;

const GLvoid* VertexOffset(size_t offset)
{
	if (arraysFromBuffer)
	{
		return reinterpret_cast<const GLvoid*>(offset);
	}
	const std::vector<SharedVertex>& vertices = g_sharedVertices.Vertices();
	// An empty room has no array to point into (and draws nothing from it).
	if (vertices.empty())
	{
		return nullptr;
	}
	return reinterpret_cast<const uint8_t*>(vertices.data()) + offset;
}

VertexAttribute SharedAttribute(size_t offset)
{
	return {VertexOffset(offset), kStride};
}

// The array pointers are read from the bound buffer, or from memory when none is bound.
void PointArrays(const Scene& scene)
{
	arraysFromBuffer = scene.vertexBuffer != 0;
	VertexArrays arrays;
	arrays.positions = SharedAttribute(offsetof(SharedVertex, position));
	arrays.normals = SharedAttribute(offsetof(SharedVertex, normal));
	arrays.hasNormals = true;
	arrays.texCoords = SharedAttribute(offsetof(SharedVertex, uv));
	PointVertexArrays(arrays);
}
} // namespace

int32_t SharedVertexArray::Grow(size_t count)
{
	const int32_t first = Size();
	vertices.resize(vertices.size() + count);
	return first;
}

void UploadSharedVertices(Scene& scene)
{
	const std::vector<SharedVertex>& vertices = g_sharedVertices.Vertices();
	glGenBuffersARB(1, &scene.vertexBuffer);
	glBindBufferARB(GL_ARRAY_BUFFER_ARB, scene.vertexBuffer);
	glBufferDataARB(GL_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(vertices.size() * sizeof(SharedVertex)),
	                vertices.data(), GL_STATIC_DRAW_ARB);
	PointArrays(scene);
	glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

void BindSharedVertices(const Scene& scene)
{
	if (scene.vertexBuffer != 0)
	{
		BindVertexBuffer(scene.vertexBuffer);
	}
	PointArrays(scene);
}

void UnbindSharedVertices()
{
	glDisableClientState(GL_VERTEX_ARRAY);
	glDisableClientState(GL_NORMAL_ARRAY);
	glDisableClientState(GL_TEXTURE_COORD_ARRAY);
	BindVertexBuffer(0);
}

void PointSharedTexCoordsAt(size_t offset)
{
	glTexCoordPointer(2, GL_FLOAT, kStride, VertexOffset(offset));
}
