#include "app/Saver.h"

#include "app/AppContext.h"
#include "app/Entry.h"
#include "app/HostOptions.h"
#include "app/LogFile.h"
#include "app/RunMode.h"
#include "app/SaverWindow.h"
#include "app/Snapshot.h"
#include "audio/Music.h"
#include "effects/FrameComposer.h"
#include "effects/ParticleSystem.h"
#include "overlay/ClockOverlay.h"
#include "render/GlErrorReport.h"
#include "render/LoadingScreen.h"
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
// With the GL error report on, a status line this often tells whoever watches a long run how
// the saver fares.
constexpr uint32_t kStatusIntervalMs = 5000;

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

void ReadLocalTime()
{
	g_app.localTime = g_snapshot.FixesTime() ? g_snapshot.Time() : Sys_LocalTime();
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
	std::srand(g_snapshot.FixesSeed() ? g_snapshot.Seed() : Sys_Milliseconds());
	if (g_snapshot.Active())
	{
		g_app.clock.SetTimeSource(&g_snapshot.TimeSource());
	}
	ChooseDisplay();
	ReadCursorPosition();
	g_app.fadeClock = 0.0f;
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
	RunLoadSequence(window, g_app);
	g_logFile.WriteLine("OpenGL initialized");
	g_snapshot.OnSceneLoaded();
	// Snapshots render frames for people and tests to look at, and a preview inside another
	// program's window is no place for music either.
	if (!g_snapshot.Active() && g_host.Target() != HostTarget::WindowId)
	{
		StartSaverMusic(window);
	}
	RunMainLoop();
}

void RunMainLoop()
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
		ReadLocalTime();
		g_clockOverlay.UpdateCountdown(g_app.localTime);
		FrameComposer::RenderFrame(g_app);
		PollFrameInput();
		ReportStatus(++frames, lastStatusMs);
	}
	ShutDown();
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
