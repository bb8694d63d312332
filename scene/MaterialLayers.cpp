#include "scene/MaterialLayers.h"

#include "render/Draw2D.h"
#include "render/SubmissionPacer.h"
#include "scene/Model.h"
#include "scene/Scene.h"
#include "scene/SharedVertexArray.h"

#include <GL/glew.h>

#include <cstddef>

namespace
{
// The extra layers of a mesh are drawn over the same pixels with depth test equal and no depth
// writes; EndLayer's blend is the one the layer leaves behind.
void BeginLayer(GLenum source, GLenum destination, uint32_t texture)
{
	glDepthMask(GL_FALSE);
	glEnable(GL_BLEND);
	glDisable(GL_LIGHTING);
	glBlendFunc(source, destination);
	glBindTexture(GL_TEXTURE_2D, texture);
	glDepthFunc(GL_EQUAL);
}

void EndLayer(GLenum restoreSource, GLenum restoreDestination)
{
	glBlendFunc(restoreSource, restoreDestination);
	glEnable(GL_LIGHTING);
	glDepthFunc(GL_LESS);
	glDepthMask(GL_TRUE);
}

void TextureGenerationOff()
{
	glDisable(GL_TEXTURE_GEN_S);
	glDisable(GL_TEXTURE_GEN_T);
	glDisable(GL_TEXTURE_GEN_R);
}

// Each pass over a mesh or a run goes through one of these two, so that the pacer counts it.
void DrawMeshTriangles(const ModelMesh& mesh)
{
	const uint32_t* indices = mesh.indices ? mesh.indices->data() : nullptr;
	glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_INT, indices);
	g_submissionPacer.CountTriangles(mesh.indexCount / 3);
}

void DrawRunTriangles(const SceneSubmesh& submesh)
{
	glDrawArrays(GL_TRIANGLES, submesh.firstVertex, submesh.vertexCount);
	g_submissionPacer.CountTriangles(submesh.vertexCount / 3);
}

} // namespace

void DrawMesh(const ModelMesh& mesh)
{
	glDisable(GL_BLEND);
	glEnable(GL_TEXTURE_2D);
	glBindTexture(GL_TEXTURE_2D, mesh.material.baseTexture);
	const bool scrolls = mesh.material.scrollU != 0.0f || mesh.material.scrollV != 0.0f;
	if (scrolls)
	{
		glMatrixMode(GL_TEXTURE);
		glLoadIdentity();
		glTranslatef(mesh.scrollOffset[0], -mesh.scrollOffset[1], 0.0f);
		glMatrixMode(GL_MODELVIEW);
	}
	glDisable(GL_CULL_FACE);
	glEnable(GL_ALPHA_TEST);
	DrawMeshTriangles(mesh);
	if (mesh.material.hasReflection)
	{
		BeginLayer(GL_SRC_COLOR, GL_ONE, mesh.material.reflectionTexture);
		EnableSphereMap();
		DrawMeshTriangles(mesh);
		EndLayer(GL_SRC_COLOR, GL_ONE_MINUS_SRC_ALPHA);
		glDisable(GL_BLEND);
		TextureGenerationOff();
	}
	if (mesh.material.hasGlow)
	{
		BeginLayer(GL_SRC_COLOR, GL_ONE, mesh.material.glowTexture);
		DrawMeshTriangles(mesh);
		EndLayer(GL_SRC_COLOR, GL_ONE_MINUS_SRC_ALPHA);
		glDisable(GL_BLEND);
		TextureGenerationOff();
	}
	glEnable(GL_CULL_FACE);
	if (scrolls)
	{
		glMatrixMode(GL_TEXTURE);
		glLoadIdentity();
		glMatrixMode(GL_MODELVIEW);
	}
}

void DrawSubmesh(const SceneSubmesh& submesh, bool texturesOff)
{
	glDisable(GL_LIGHTING);
	glEnable(GL_BLEND);
	glDepthMask(GL_TRUE);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	glEnable(GL_TEXTURE_2D);
	glBindTexture(GL_TEXTURE_2D, submesh.baseTexture);
	if (texturesOff)
	{
		glDisable(GL_TEXTURE_2D);
	}
	// A reflective run shows only the reflection, added to the lit colour.
	if (submesh.hasReflection)
	{
		glEnable(GL_TEXTURE_2D);
		glBindTexture(GL_TEXTURE_2D, submesh.reflectionTexture);
		glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
		EnableSphereMap();
	}
	if (submesh.twoSided)
	{
		glDisable(GL_CULL_FACE);
	}
	if (submesh.additive)
	{
		glDisable(GL_LIGHTING);
		glEnable(GL_BLEND);
		glDepthMask(GL_FALSE);
		glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
		glBlendFunc(GL_SRC_ALPHA, GL_ONE);
	}
	DrawRunTriangles(submesh);
	if (submesh.additive)
	{
		glEnable(GL_LIGHTING);
		glDisable(GL_BLEND);
		glDepthMask(GL_TRUE);
		glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	}
	if (submesh.hasGlow)
	{
		BeginLayer(GL_SRC_COLOR, GL_ONE, submesh.glowTexture);
		DrawRunTriangles(submesh);
		EndLayer(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	}
	if (submesh.hasLightmap)
	{
		PointSharedTexCoordsAt(offsetof(SharedVertex, lightmapUv));
		BeginLayer(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_COLOR, submesh.lightmapTexture);
		DrawRunTriangles(submesh);
		EndLayer(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
		PointSharedTexCoordsAt(offsetof(SharedVertex, uv));
	}
	if (submesh.twoSided)
	{
		glEnable(GL_CULL_FACE);
	}
	if (submesh.hasReflection)
	{
		glDisable(GL_TEXTURE_2D);
		glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
		TextureGenerationOff();
	}
}
