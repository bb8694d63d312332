#include "app/Saver.h"

#include "app/AppContext.h"
#include "app/Entry.h"
#include "app/FrameLoop.h"
#include "app/HostOptions.h"
#include "app/LoadSequence.h"
#include "app/SaverWindow.h"
#include "app/Snapshot.h"
#include "audio/Music.h"
#include "core/LogFile.h"
#include "core/RunMode.h"
#include "frame/FrameComposer.h"
#include "render/GlErrorReport.h"
#include "render/SubmissionPacer.h"
#include "render/TextureManager.h"
#include "scene/Scene.h"

#include <cstdlib>

AppContext g_app;

namespace
{
constexpr char kWindowTitle[] = "Glimmerhearth";
constexpr int kOwnWindowWidth = 800;
constexpr int kOwnWindowHeight = 600;

void ChooseDisplay()
{
	int desktopWidth = 0;
	int desktopHeight = 0;
	DesktopSize(desktopWidth, desktopHeight);
	if (g_snapshot.Active())
	{
		g_app.screenWidth = g_snapshot.Width();
		g_app.screenHeight = g_snapshot.Height();
		g_app.colorBits = 32;
		g_app.keepDisplay = true;
		g_app.mouseEndsSaver = false;
		g_app.swapsFollowDisplay = false;
		return;
	}
	if (g_host.Active())
	{
		// A host's window brings its own size; a window of our own starts at this one.
		g_app.screenWidth = kOwnWindowWidth;
		g_app.screenHeight = kOwnWindowHeight;
		g_app.colorBits = 32;
		g_app.keepDisplay = true;
		g_app.hosted = true;
		g_app.mouseEndsSaver = false;
		return;
	}
	const Resolution chosen = ChooseResolution(g_settings, desktopWidth, desktopHeight, g_app.desktopMode);
	g_app.screenWidth = chosen.width;
	g_app.screenHeight = chosen.height;
	g_app.colorBits = chosen.colorBits;
}

void ReadCursorPosition()
{
	int x = 0;
	int y = 0;
	SDL_GetGlobalMouseState(&x, &y);
	g_app.cursorX = g_app.referenceCursorX = x;
	g_app.cursorY = g_app.referenceCursorY = y;
}

void ShutDown()
{
	StopSaverMusic();
	g_logFile.WriteLine("Set old Gamma: ", g_app.oldGamma);
	ApplyGamma(g_app.oldGamma);
	g_scene.ReleaseObjects();
	g_textures.ReleaseAll();
	g_scene.ReleaseModels();
	const FrameClock& clock = g_app.clock;
	g_logFile.WriteLine("Max fps: ", clock.maxFps);
	g_logFile.WriteLine("Min fps: ", clock.minFps);
	g_logFile.WriteLine("Fps: ", (clock.maxFps + clock.minFps) * 0.5f);
	g_glErrors.Stop();
	g_submissionPacer.Release();
	g_logFile.Close();
	ReleaseSaverWindow();
	DestroySaverWindow();
}
} // namespace

Resolution ChooseResolution(const Settings& settings, int desktopWidth, int desktopHeight, bool& desktopMode)
{
	const int index = settings.currentResolution;
	const bool inTable = index >= 0 && index < Settings::kResolutionCount;
	desktopMode = !inTable || index == Settings::kDesktopEntry;
	if (inTable)
	{
		const Resolution& entry = settings.resolutions[index];
		if (entry.width > 0 && entry.height > 0)
		{
			return entry;
		}
		desktopMode = true;
	}
	const Resolution& desktop = settings.resolutions[Settings::kDesktopEntry];
	return {desktopWidth, desktopHeight, desktop.colorBits == 16 ? 16 : 32};
}

void RunSaver()
{
	g_logFile.WriteLine("Starting...");
	g_logFile.WriteLine("Starting init OpenGL");
	Sys_SetUpHeapForLongRuns();
	const RunPlan plan = g_snapshot.Plan();
	std::srand(plan.seed ? *plan.seed : Sys_Milliseconds());
	if (plan.timeSource != nullptr)
	{
		g_app.clock.SetTimeSource(plan.timeSource);
	}
	g_frameComposer.fixedView = plan.view;
	ChooseDisplay();
	ReadCursorPosition();
	g_app.fullScreen = !g_app.keepDisplay;
	if (g_host.ShowFps())
	{
		g_settings.showFps = true;
	}

	SDL_Window* window = g_app.hosted
	                         ? CreateHostedSaverWindow(kWindowTitle)
	                         : CreateSaverWindow(kWindowTitle, g_app.screenWidth, g_app.screenHeight);
	g_logFile.WriteLine("Creating window...");
	if (window == nullptr)
	{
		g_logFile.WriteLine("Create Window failed!");
		NoteModeFailed();
		return;
	}
	g_logFile.WriteLine("Window is create");
	RunLoadSequence(window, plan);
	g_logFile.WriteLine("OpenGL initialized");
	if (plan.afterSceneLoaded)
	{
		plan.afterSceneLoaded();
	}
	// Snapshots render frames for people and tests to look at, and a preview inside another
	// program's window is no place for music either.
	if (!g_snapshot.Active() && g_host.Target() != HostTarget::WindowId)
	{
		StartSaverMusic(window);
	}
	RunMainLoop(plan);
	ShutDown();
}
