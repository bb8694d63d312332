#include "effects/FrameComposer.h"

#include "app/AppContext.h"
#include "app/RunMode.h"
#include "app/SaverWindow.h"
#include "app/Snapshot.h"
#include "effects/ParticleSystem.h"
#include "overlay/ClockOverlay.h"
#include "render/Draw2D.h"
#include "settings/Settings.h"

#include <GL/glew.h>

#include <cstdlib>

namespace
{
// The veil is plain black: it binds no texture, which also spares the rasteriser a texture
// fetch per pixel of a full-screen quad.
constexpr uint32_t kVeilTexture = 0;
// A cursor that moves further than this between two frames ends the saver.
constexpr int kMouseMoveLimit = 30;

void ReadCursor(int32_t& x, int32_t& y)
{
	int cx = 0;
	int cy = 0;
	SDL_GetGlobalMouseState(&cx, &cy);
	x = cx;
	y = cy;
}

void TakeFirstCursorReference(AppContext& app)
{
	if (!app.firstFrame)
	{
		return;
	}
	ReadCursor(app.cursorX, app.cursorY);
	app.referenceCursorX = app.cursorX;
	app.referenceCursorY = app.cursorY;
	app.firstFrame = false;
}

void AdvanceFades(AppContext& app)
{
	app.fadeClock += app.clock.dt * 0.5f;
	app.clock.Tick(app.fadeClock);
	const float dt = app.clock.dt;
	app.crossFadeAlpha -= dt * 0.01f;
	if (app.fadeClock > 1.0f)
	{
		app.fadeAlpha -= dt * 0.015f;
	}
	if (app.fadeAlpha > 0.0f)
	{
		FrameComposer::QueueQuad(app, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, app.fadeAlpha, kVeilTexture,
		                         GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	}
}

// The test measures movement between consecutive frames, not the total since the start.
void EndOnMouseMove(AppContext& app)
{
	if (!g_settings.exitOnMouseMove || !app.mouseEndsSaver)
	{
		return;
	}
	ReadCursor(app.cursorX, app.cursorY);
	if (std::abs(app.cursorX - app.referenceCursorX) > kMouseMoveLimit ||
	    std::abs(app.cursorY - app.referenceCursorY) > kMouseMoveLimit)
	{
		SetRunMode(RunMode::Quit);
	}
	app.referenceCursorX = app.cursorX;
	app.referenceCursorY = app.cursorY;
}

void DrawQueuedQuads(AppContext& app)
{
	for (const ScreenQuad& quad : app.screenQuads)
	{
		glColor4f(quad.r, quad.g, quad.b, quad.a);
		glBlendFunc(quad.sourceBlend, quad.destinationBlend);
		// Texture name 0 is a plain coloured quad.
		if (quad.texture == 0)
		{
			glDisable(GL_TEXTURE_2D);
		}
		glBindTexture(GL_TEXTURE_2D, quad.texture);
		EmitQuadCorners(quad.x, quad.y, quad.halfWidth, quad.halfHeight);
		glEnable(GL_TEXTURE_2D);
	}
	app.screenQuads.clear();
}
} // namespace

void FrameComposer::QueueQuad(AppContext& app, float x, float y, float halfWidth, float halfHeight, float r,
                              float g, float b, float a, uint32_t texture, uint32_t sourceBlend,
                              uint32_t destinationBlend)
{
	app.screenQuads.push_back(
	    {x, y, halfWidth, halfHeight, r, g, b, a, sourceBlend, destinationBlend, texture});
}

void FrameComposer::RequestCapture()
{
	g_app.captureRequested = true;
}

void FrameComposer::RenderFrame(AppContext& app)
{
	TakeFirstCursorReference(app);
	glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
	glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
	AdvanceFades(app);
	EndOnMouseMove(app);

	// The frozen-frame capture and the scene pass take their places here, once the scene exists.
	g_particles.Update(app.clock.dt);
	g_particles.Draw();
	// The glass pass and the cross-fade quad follow here, once the scene exists.

	Begin2D(app);
	DrawQueuedQuads(app);
	g_clockOverlay.Draw();
	End2D();

	glLoadIdentity();
	g_snapshot.OnFrameDrawn(app);
	SwapSaverBuffers();
}
