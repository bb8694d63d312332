#include "scene/SharedVertexArray.h"

SharedVertexArray g_sharedVertices;

int32_t SharedVertexArray::Grow(size_t count)
{
	const int32_t first = Size();
	vertices.resize(vertices.size() + count);
	return first;
}
