#include "render/Draw2D.h"

#include "app/AppContext.h"

#include <GL/glew.h>

void Begin2D(const AppContext&)
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

void EmitQuadCorners(float x, float y, float halfWidth, float halfHeight)
{
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
	const ScreenRect rect{x, y, halfWidth, halfHeight, texture};
	DrawScreenQuads({&rect, 1});
}

void DrawScreenQuads(std::span<const ScreenRect> rects)
{
	glDisable(GL_LIGHTING);
	glEnable(GL_TEXTURE_2D);
	glDisable(GL_CULL_FACE);
	glEnable(GL_ALPHA_TEST);
	glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	for (const ScreenRect& rect : rects)
	{
		glBindTexture(GL_TEXTURE_2D, rect.texture);
		EmitQuadCorners(rect.x, rect.y, rect.halfWidth, rect.halfHeight);
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
