#pragma once

#include <cstdint>

// Where one vertex attribute of a draw is read: an address in client memory, or an offset into
// the bound vertex buffer, with the bytes from one vertex to the next.
struct VertexAttribute
{
	const void* at = nullptr;
	int32_t stride = 0;
};

// The attributes one draw reads; an attribute without an address is left off.
struct VertexArrays
{
	VertexAttribute positions;
	VertexAttribute normals;
	VertexAttribute colours;
	VertexAttribute texCoords;
	// Positions and colours of three and four floats; normals of three, texture coordinates of two.
	bool hasNormals = false;
	bool hasColours = false;
};

// Binds a vertex buffer (0: client memory) where the driver has vertex buffers at all, so that the
// pointers that follow are read as offsets into it, or as addresses. Whether the scene keeps its
// vertices in a buffer is the renderer's capability (g_rendererCaps), which a test may turn off.
void BindVertexBuffer(uint32_t buffer);
// Turns on and points the arrays of one draw.
void PointVertexArrays(const VertexArrays& arrays);
