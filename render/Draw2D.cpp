#include "render/Draw2D.h"

#include <GL/glew.h>

ScreenQuadQueue g_screenQuads;

void Begin2D()
{
	glMatrixMode(GL_PROJECTION);
	glPushMatrix();
	glLoadIdentity();
	glMatrixMode(GL_MODELVIEW);
	glPushMatrix();
	glLoadIdentity();
	glDisable(GL_LIGHTING);
	glEnable(GL_TEXTURE_2D);
	glDisable(GL_CULL_FACE);
	glEnable(GL_BLEND);
	glEnable(GL_ALPHA_TEST);
	glDisable(GL_DEPTH_TEST);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void End2D()
{
	glDisable(GL_BLEND);
	glDisable(GL_ALPHA_TEST);
	glEnable(GL_DEPTH_TEST);
	glEnable(GL_CULL_FACE);
	glMatrixMode(GL_PROJECTION);
	glPopMatrix();
	glMatrixMode(GL_MODELVIEW);
	glPopMatrix();
}

void EmitQuadCorners(const ScreenQuad& quad)
{
	const float x = quad.x;
	const float y = quad.y;
	const float halfWidth = quad.halfWidth;
	const float halfHeight = quad.halfHeight;
	glBegin(GL_QUADS);
	glTexCoord2f(0.0f, 0.0f);
	glVertex2f(x - halfWidth, y - halfHeight);
	glTexCoord2f(0.0f, 1.0f);
	glVertex2f(x - halfWidth, y + halfHeight);
	glTexCoord2f(1.0f, 1.0f);
	glVertex2f(x + halfWidth, y + halfHeight);
	glTexCoord2f(1.0f, 0.0f);
	glVertex2f(x + halfWidth, y - halfHeight);
	glEnd();
}

void DrawScreenQuad(float x, float y, float halfWidth, float halfHeight, uint32_t texture)
{
	const ScreenQuad quad{x, y, halfWidth, halfHeight, texture};
	DrawScreenQuads({&quad, 1});
}

void DrawScreenQuads(std::span<const ScreenQuad> quads)
{
	glDisable(GL_LIGHTING);
	glEnable(GL_TEXTURE_2D);
	glDisable(GL_CULL_FACE);
	glEnable(GL_ALPHA_TEST);
	glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	for (const ScreenQuad& quad : quads)
	{
		glBindTexture(GL_TEXTURE_2D, quad.texture);
		EmitQuadCorners(quad);
	}
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	glDisable(GL_ALPHA_TEST);
	glEnable(GL_CULL_FACE);
}

void EnableSphereMap()
{
	glEnable(GL_TEXTURE_GEN_S);
	glEnable(GL_TEXTURE_GEN_T);
	glEnable(GL_TEXTURE_GEN_R);
	glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
	glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

void ScreenQuadQueue::Queue(const ScreenQuad& quad, float r, float g, float b, float a, uint32_t sourceBlend,
                            uint32_t destinationBlend)
{
	quads.push_back({quad, r, g, b, a, sourceBlend, destinationBlend});
}

void ScreenQuadQueue::DrawAndClear()
{
	for (const TintedQuad& tinted : quads)
	{
		glColor4f(tinted.r, tinted.g, tinted.b, tinted.a);
		glBlendFunc(tinted.sourceBlend, tinted.destinationBlend);
		// Texture name 0 is a plain coloured quad.
		if (tinted.quad.texture == 0)
		{
			glDisable(GL_TEXTURE_2D);
		}
		glBindTexture(GL_TEXTURE_2D, tinted.quad.texture);
		EmitQuadCorners(tinted.quad);
		glEnable(GL_TEXTURE_2D);
	}
	quads.clear();
}
