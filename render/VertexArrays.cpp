#include "render/VertexArrays.h"

#include <GL/glew.h>

void BindVertexBuffer(uint32_t buffer)
{
	if (GLEW_ARB_vertex_buffer_object)
	{
		glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
	}
}

void PointVertexArrays(const VertexArrays& arrays)
{
	glEnableClientState(GL_VERTEX_ARRAY);
	glVertexPointer(3, GL_FLOAT, arrays.positions.stride, arrays.positions.at);
	if (arrays.hasNormals)
	{
		glEnableClientState(GL_NORMAL_ARRAY);
		glNormalPointer(GL_FLOAT, arrays.normals.stride, arrays.normals.at);
	}
	if (arrays.hasColours)
	{
		glEnableClientState(GL_COLOR_ARRAY);
		glColorPointer(4, GL_FLOAT, arrays.colours.stride, arrays.colours.at);
	}
	glEnableClientState(GL_TEXTURE_COORD_ARRAY);
	glTexCoordPointer(2, GL_FLOAT, arrays.texCoords.stride, arrays.texCoords.at);
}
