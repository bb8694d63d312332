#include "app/LoadSequence.h"

#include "app/AppContext.h"
#include "app/SaverWindow.h"
#include "core/LogFile.h"
#include "frame/FrameComposer.h"
#include "overlay/ClockOverlay.h"
#include "render/LoadingScreen.h"
#include "render/Renderer.h"
#include "scene/Scene.h"
#include "settings/Settings.h"

#include <GL/glew.h>

namespace
{
void SeedFrameClock(FrameClock& clock)
{
	for (float& step : clock.stepHistory)
	{
		step = 1.0f;
	}
	clock.minFps = 10000.0f;
	clock.maxFps = 0.0f;
	clock.speed = 50.0f;
}

void HandOverGamma()
{
	g_app.oldGamma = EstimateGamma();
	g_logFile.WriteLine("Old Gamma: ", g_app.oldGamma);
	const double exponent = 4.0 - g_settings.gamma;
	ApplyGamma(exponent);
	g_logFile.WriteLine("New Gamma: ", exponent);
}

// The cursor goes to the middle of the window so that the mouse-move test starts from rest;
// windows that keep the display (snapshots, tests) leave the user's cursor alone.
void CentreCursor()
{
	if (g_app.window != nullptr && !g_app.keepDisplay && !g_scene.cameras.empty())
	{
		SDL_WarpMouseInWindow(g_app.window, g_app.clientWidth / 2, g_app.clientHeight / 2);
	}
}
} // namespace

void StartRenderer(SDL_Window* window)
{
	g_logFile.WriteLine("start init render");
	SeedFrameClock(g_app.clock);
	CreateRenderContext(window);

	glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
	glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
	SwapSaverBuffers();

	g_frameComposer.Start(g_app.clientWidth, g_app.clientHeight);
	InitRenderer(g_app.glContext != nullptr);
	HandOverGamma();
}

void RunLoadSequence(SDL_Window* window, const RunPlan& plan)
{
	StartRenderer(window);
	g_logFile.WriteLine("initializing font...");
	g_logFile.WriteLine("Loading data...");
	DrawLoadingScreen(g_app.screenWidth, g_app.screenHeight);
	if (plan.afterLoadingScreen)
	{
		plan.afterLoadingScreen();
	}
	SwapSaverBuffers();
	g_clockOverlay.Load();
	// The room loads everything it needs while the loading picture stays up.
	g_scene.fixedCameraSeed = plan.seed;
	g_scene.Load();
	CentreCursor();
	g_logFile.WriteLine("Loading models");
}
