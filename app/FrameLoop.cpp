#include "app/FrameLoop.h"

#include "app/AppContext.h"
#include "app/SaverWindow.h"
#include "core/RunMode.h"
#include "effects/ParticleSystem.h"
#include "frame/FrameComposer.h"
#include "overlay/ClockOverlay.h"
#include "render/GlErrorReport.h"
#include "scene/Scene.h"
#include "settings/Settings.h"

#include <cstdlib>
#include <string>

namespace
{
// A cursor that moves further than this between two frames ends the saver.
constexpr int kMouseMoveLimit = 30;
// With the GL error report on, a status line this often tells whoever watches a long run how
// the saver fares.
constexpr uint32_t kStatusIntervalMs = 5000;

void ReadCursor(int32_t& x, int32_t& y)
{
	int cx = 0;
	int cy = 0;
	SDL_GetGlobalMouseState(&cx, &cy);
	x = cx;
	y = cy;
}

void TakeFirstCursorReference()
{
	if (!g_app.firstFrame)
	{
		return;
	}
	ReadCursor(g_app.cursorX, g_app.cursorY);
	g_app.referenceCursorX = g_app.cursorX;
	g_app.referenceCursorY = g_app.cursorY;
	g_app.firstFrame = false;
}

// The test measures movement between consecutive frames, not the total since the start.
void EndOnMouseMove()
{
	if (!g_settings.exitOnMouseMove || !g_app.mouseEndsSaver)
	{
		return;
	}
	ReadCursor(g_app.cursorX, g_app.cursorY);
	if (std::abs(g_app.cursorX - g_app.referenceCursorX) > kMouseMoveLimit ||
	    std::abs(g_app.cursorY - g_app.referenceCursorY) > kMouseMoveLimit)
	{
		SetRunMode(RunMode::Quit);
	}
	g_app.referenceCursorX = g_app.cursorX;
	g_app.referenceCursorY = g_app.cursorY;
}

FrameMoment CurrentMoment()
{
	return {g_app.clientWidth, g_app.clientHeight, g_app.localTime};
}

void ReadLocalTime(const RunPlan& plan)
{
	g_app.localTime = plan.localTime ? *plan.localTime : Sys_LocalTime();
}

void ReportStatus(int64_t frames, uint32_t& lastStatusMs)
{
	if (!g_glErrors.Active())
	{
		return;
	}
	const uint32_t now = Sys_Milliseconds();
	if (now - lastStatusMs < kStatusIntervalMs)
	{
		return;
	}
	lastStatusMs = now;
	WriteDebugLine("Status: frames " + std::to_string(frames) + " particles " +
	               std::to_string(g_particles.LiveParticles()) + " vertices " +
	               std::to_string(g_particles.VerticesWritten()) + " GL errors " +
	               std::to_string(g_glErrors.ErrorCount()));
}
} // namespace

void DrawSaverFrame(const RunPlan& plan)
{
	TakeFirstCursorReference();
	EndOnMouseMove();
	g_frameComposer.DrawFrame(g_app.clock, CurrentMoment());
	if (plan.afterFrame)
	{
		plan.afterFrame();
	}
	SwapSaverBuffers();
	if (!g_frameComposer.drawingRehearsed)
	{
		g_frameComposer.RehearseDrawing(CurrentMoment());
		g_app.clock.LeaveOutTimeSinceTick();
	}
}

void RunMainLoop(const RunPlan& plan)
{
	g_app.clock.Start();
	int64_t frames = 0;
	uint32_t lastStatusMs = Sys_Milliseconds();
	while (GetRunMode() == RunMode::Saver)
	{
		// A waiting event takes the whole turn; only a turn without one draws a frame.
		SDL_Event event;
		if (SDL_PollEvent(&event))
		{
			if (IsQuitMessage(event))
			{
				break;
			}
			SaverWindowProc(event);
			continue;
		}
		FollowHostWindow();
		ReadLocalTime(plan);
		g_clockOverlay.UpdateCountdown(g_app.localTime);
		DrawSaverFrame(plan);
		PollFrameInput();
		ReportStatus(++frames, lastStatusMs);
	}
}
void PollFrameInput()
{
	if (!g_app.mouseEndsSaver)
	{
		return;
	}
	if (SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON(SDL_BUTTON_LEFT))
	{
		SetRunMode(RunMode::Quit);
	}
	Camera* camera = g_scene.CurrentCamera();
	if (camera == nullptr)
	{
		return;
	}
	// Forward is almost twice as fast as back.
	struct ArrowMove
	{
		SDL_Scancode key;
		Vec3 offset;
	};
	static constexpr ArrowMove kArrowMoves[] = {{SDL_SCANCODE_UP, {0.0f, 0.0f, -14.8f}},
	                                            {SDL_SCANCODE_DOWN, {0.0f, 0.0f, 7.8f}},
	                                            {SDL_SCANCODE_LEFT, {-7.8f, 0.0f, 0.0f}},
	                                            {SDL_SCANCODE_RIGHT, {7.8f, 0.0f, 0.0f}}};
	const Uint8* keys = SDL_GetKeyboardState(nullptr);
	for (const ArrowMove& move : kArrowMoves)
	{
		if (keys[move.key] != 0)
		{
			camera->MoveLocal(move.offset, g_app.clock.dt);
		}
	}
}
