#include "app/SaverWindow.h"

#include "app/AppContext.h"
#include "app/DisplayGamma.h"
#include "app/HostOptions.h"
#include "app/HostWindow.h"
#include "core/LogFile.h"
#include "core/Platform.h"
#include "core/RunMode.h"
#include "frame/FrameComposer.h"
#include "render/GlErrorReport.h"
#include "render/Renderer.h"
#include "render/SubmissionPacer.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{
constexpr char kErrorCaption[] = "Error";

Uint32 s_quitMessageEvent = 0;
HostWindow s_hostWindow;

// The saver draws on a real display only: left to itself, SDL falls back to its off-screen
// driver when the X connection fails, and the saver would run on with nothing shown. Opening
// an X connection fails now and then on a busy server, so it is tried a few times.
bool StartVideoDriver()
{
	Sys_OfferVideoDrivers();
	for (int attempt = 0; attempt < 5; ++attempt)
	{
		if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
		{
			return true;
		}
		SDL_Delay(100);
	}
	return false;
}

bool InitVideo()
{
	if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && !StartVideoDriver())
	{
		return false;
	}
	if (s_quitMessageEvent == 0)
	{
		s_quitMessageEvent = SDL_RegisterEvents(1);
	}
	return true;
}

// Started from a terminal or a session without a display, the saver ends at once; the person
// who started it learns why.
bool InitVideoForWindow()
{
	if (InitVideo())
	{
		return true;
	}
	std::fprintf(stderr, "glimmerhearth: the saver needs a display, and none could be opened: %s\n",
	             SDL_GetError());
	return false;
}

// The pixel format asked for is colour bits, depth bits of the same number, and 32 stencil
// bits. Drivers rarely have all of that, so the request steps down to what they commonly offer,
// closest first, the way a closest-format search would; it never fails for the stencil alone.
SDL_Window* CreateWindowWithClosestPixelFormat(const char* title, int width, int height, Uint32 flags)
{
	const int colorBits = g_app.colorBits == 16 ? 16 : 32;
	const int requests[][2] = {{colorBits, 32}, {24, 8}, {colorBits, 8}, {16, 8}, {16, 0}, {0, 0}};
	for (const auto& request : requests)
	{
		SetupPixelFormat(colorBits, request[0], request[1]);
		if (SDL_Window* window = SDL_CreateWindow(title, 0, 0, width, height, flags))
		{
			return window;
		}
	}
	Sys_MessageBox(kErrorCaption, "ChoosePixelFormat failed");
	NoteModeFailed();
	PostQuitMessage();
	// The saver still gets its window; the GL calls that follow find no context and do nothing.
	return SDL_CreateWindow(title, 0, 0, width, height, flags & ~SDL_WINDOW_OPENGL);
}

// On a display the swaps follow its refresh, so that a graphics card is not kept at full power
// drawing frames no one sees; the loop still draws a frame every turn and the driver paces it.
// Adaptive synchronisation (-1) lets a late frame through at once instead of waiting a whole
// refresh for it, where the driver offers it.
void SetSwapInterval()
{
	if (!g_app.swapsFollowDisplay)
	{
		SDL_GL_SetSwapInterval(0);
	}
	else if (SDL_GL_SetSwapInterval(-1) != 0)
	{
		SDL_GL_SetSwapInterval(1);
	}
	g_logFile.WriteLine("Swap interval: ", SDL_GL_GetSwapInterval());
}

GLdouble AspectOf(int width, int height)
{
	return static_cast<GLdouble>(width) / static_cast<GLdouble>(height);
}
} // namespace

void SetupPixelFormat(int colorBits, int depthBits, int stencilBits)
{
	const int channelBits = colorBits == 16 ? 5 : 8;
	SDL_GL_ResetAttributes();
	SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channelBits);
	SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colorBits == 16 ? 6 : 8);
	SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channelBits);
	SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
	SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencilBits);
	SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
	SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
	// A legacy context: the fixed-function pipeline of OpenGL 1.1 with its ARB extensions is all
	// the saver needs, and asking for a newer version fails on drivers that offer less (a
	// driver without occlusion queries stops at 1.4).
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
	// A debug context describes each GL error to the report; only asked for when it is on.
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, GlErrorReport::Requested() ? SDL_GL_CONTEXT_DEBUG_FLAG : 0);
}

bool DesktopSize(int& width, int& height)
{
	SDL_DisplayMode mode;
	if (!InitVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0)
	{
		width = 0;
		height = 0;
		return false;
	}
	width = mode.w;
	height = mode.h;
	return true;
}

SDL_Window* CreateSaverWindow(const char* title, int width, int height)
{
	if (!InitVideoForWindow())
	{
		return nullptr;
	}
	const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
	SDL_Window* window = CreateWindowWithClosestPixelFormat(title, width, height, flags);
	if (window == nullptr)
	{
		return nullptr;
	}
	g_app.window = window;
	// The X window manager of a Wayland compositor (weston's) takes a full-screen request only
	// from a window that is already shown.
	const bool fullScreenWhenShown = Sys_IsWaylandDesktop();
	if (!fullScreenWhenShown)
	{
		SetFullScreenMode();
	}
	if (!g_app.keepDisplay)
	{
		SDL_ShowCursor(SDL_DISABLE);
	}
	SDL_ShowWindow(window);
	if (fullScreenWhenShown)
	{
		SetFullScreenMode();
	}
	SDL_RaiseWindow(window);
	return window;
}

SDL_Window* CreateHostedSaverWindow(const char* title)
{
	if (!InitVideoForWindow())
	{
		return nullptr;
	}
	if (g_host.Target() == HostTarget::NewWindow)
	{
		g_app.window = CreateWindowWithClosestPixelFormat(title, g_app.screenWidth, g_app.screenHeight,
		                                                  SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE);
		return g_app.window;
	}
	const char* error = nullptr;
	if (!s_hostWindow.Open(g_host.WindowId(), error))
	{
		Sys_MessageBox(kErrorCaption, error);
		return nullptr;
	}
	// The GL context is made on the visual the host gave its window (a legacy context, which SDL
	// creates for the window's own visual), whatever pixel format the saver would ask for.
	SDL_GL_ResetAttributes();
	SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
	const auto handle = static_cast<uintptr_t>(s_hostWindow.Handle());
	g_app.window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(handle));
	if (g_app.window == nullptr)
	{
		Sys_MessageBox(kErrorCaption, SDL_GetError());
		s_hostWindow.Close();
		return nullptr;
	}
	g_app.screenWidth = s_hostWindow.Width();
	g_app.screenHeight = s_hostWindow.Height();
	return g_app.window;
}

void FollowHostWindow()
{
	if (s_hostWindow.Poll())
	{
		FitViewportToWindow(s_hostWindow.Width(), s_hostWindow.Height());
	}
	if (s_hostWindow.Gone())
	{
		SetRunMode(RunMode::Quit);
	}
}

void FitViewportToWindow(int width, int height)
{
	g_app.screenWidth = g_app.clientWidth = width;
	g_app.screenHeight = g_app.clientHeight = height;
	ResizeViewport(width, height);
	g_frameComposer.capture.FitToWindow(width, height);
}

void SetFullScreenMode()
{
	if (!g_app.fullScreen || g_app.keepDisplay)
	{
		return;
	}
	SDL_DisplayMode current;
	if (SDL_GetDesktopDisplayMode(0, &current) != 0)
	{
		Sys_MessageBox(kErrorCaption, "Could Not Enum Display Settings");
		return;
	}
	// A Wayland compositor switches no display modes: every mode is the desktop there.
	if (g_app.desktopMode || Sys_IsWaylandDesktop())
	{
		SDL_SetWindowFullscreen(g_app.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
		return;
	}
	// Only the size changes; depth and refresh rate stay as the desktop has them.
	SDL_DisplayMode wanted = current;
	wanted.w = g_app.screenWidth;
	wanted.h = g_app.screenHeight;
	SDL_DisplayMode closest;
	if (SDL_GetClosestDisplayMode(0, &wanted, &closest) == nullptr ||
	    SDL_SetWindowDisplayMode(g_app.window, &closest) != 0 ||
	    SDL_SetWindowFullscreen(g_app.window, SDL_WINDOW_FULLSCREEN) != 0)
	{
		Sys_MessageBox(kErrorCaption, "Display Mode Not Compatible");
		NoteModeFailed();
		PostQuitMessage();
		return;
	}
	// The window fills the mode the display really took, which the 2D layout goes by.
	g_app.screenWidth = closest.w;
	g_app.screenHeight = closest.h;
}

void CreateRenderContext(SDL_Window* window)
{
	g_app.window = window;
	int width = 0;
	int height = 0;
	SDL_GL_GetDrawableSize(window, &width, &height);
	g_app.clientWidth = width;
	g_app.clientHeight = height;
	g_app.glContext = SDL_GL_CreateContext(window);
	// Without a context every GL call that follows would fail or crash inside the driver's
	// helpers, so the saver says so and ends with the display put back as it was.
	if (g_app.glContext == nullptr)
	{
		Sys_MessageBox("Error", std::string("Could not create the OpenGL context: ") + SDL_GetError());
		ExitSaver();
	}
	SDL_GL_MakeCurrent(window, g_app.glContext);
	SetSwapInterval();
	ResizeViewport(g_app.clientWidth, g_app.clientHeight);
}

void ResizeViewport(int width, int height)
{
	if (height == 0)
	{
		height = 1;
	}
	glViewport(0, 0, width, height);
	glMatrixMode(GL_PROJECTION);
	glLoadIdentity();
	gluPerspective(45.0, AspectOf(width, height), 1.0, 3000.0);
	glMatrixMode(GL_MODELVIEW);
	glLoadIdentity();
}

void SwapSaverBuffers()
{
	// A host may destroy its window at any moment; Mesa's software driver crashes when it puts a
	// frame into a window that is gone. Asking the server just before the swap leaves that only
	// the moment of the swap itself.
	if (s_hostWindow.Active() && s_hostWindow.SyncAndPoll())
	{
		FitViewportToWindow(s_hostWindow.Width(), s_hostWindow.Height());
	}
	if (s_hostWindow.Gone())
	{
		SetRunMode(RunMode::Quit);
		return;
	}
	g_glErrors.CheckFrame();
	g_submissionPacer.EndFrame();
	SDL_GL_SwapWindow(g_app.window);
}

GammaRamp BuildPowerRamp(double exponent)
{
	GammaRamp ramp;
	for (int i = 0; i < 256; ++i)
	{
		double v = std::pow(i * 0.00390625, exponent) * 65536.0;
		// A broken exponent (not a number) must not turn into an arbitrary entry.
		if (!(v >= 0.0))
		{
			v = 0.0;
		}
		else if (v > 65535.0)
		{
			v = 65535.0;
		}
		const auto entry = static_cast<uint16_t>(v);
		ramp.red[i] = entry;
		ramp.green[i] = entry;
		ramp.blue[i] = entry;
	}
	return ramp;
}

namespace
{
// The mean over the non-zero entries of ln(v / 65536) / ln(i / 256). A channel without any
// non-zero entry says nothing about its curve and counts as linear.
double EstimateChannelExponent(const uint16_t* channel)
{
	double sum = 0.0;
	int count = 0;
	for (int i = 0; i < 256; ++i)
	{
		if (channel[i] != 0)
		{
			sum += std::log(channel[i] * (1.0 / 65536.0)) / std::log(i * (1.0 / 256.0));
			++count;
		}
	}
	return count > 0 ? sum / count : 1.0;
}
} // namespace

double EstimateRampExponent(const GammaRamp& ramp)
{
	return (EstimateChannelExponent(ramp.red) + EstimateChannelExponent(ramp.green) +
	        EstimateChannelExponent(ramp.blue)) *
	       (1.0 / 3.0);
}

void ApplyGamma(double exponent)
{
	if (g_app.keepDisplay)
	{
		return;
	}
	WriteDisplayRamp(g_app.window, BuildPowerRamp(exponent));
}

double EstimateGamma()
{
	GammaRamp ramp;
	if (g_app.keepDisplay || !ReadDisplayRamp(g_app.window, ramp))
	{
		return 1.0;
	}
	return EstimateRampExponent(ramp);
}

void SaverWindowProc(const SDL_Event& event)
{
	switch (event.type)
	{
	case SDL_KEYDOWN:
		if (event.key.keysym.sym != SDLK_SPACE)
		{
			SetRunMode(RunMode::Quit);
		}
		break;
	case SDL_QUIT:
		SetRunMode(RunMode::Quit);
		break;
	case SDL_WINDOWEVENT:
		if (event.window.event == SDL_WINDOWEVENT_CLOSE)
		{
			SetRunMode(RunMode::Quit);
		}
		// A host's window changes size at its will; on a Wayland desktop the full-screen size
		// may arrive only after the frames have begun.
		else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED &&
		         (g_app.hosted || (g_app.fullScreen && Sys_IsWaylandDesktop())))
		{
			FitViewportToWindow(event.window.data1, event.window.data2);
		}
		break;
	default:
		break;
	}
}

void PostQuitMessage()
{
	SDL_Event event = {};
	event.type = s_quitMessageEvent;
	SDL_PushEvent(&event);
}

bool IsQuitMessage(const SDL_Event& event)
{
	return s_quitMessageEvent != 0 && event.type == s_quitMessageEvent;
}

void ReleaseSaverWindow()
{
	// A context whose drawable the host has destroyed is left to end with the process: Mesa's
	// software driver corrupts its heap when asked to let go of it.
	if (g_app.glContext != nullptr && !s_hostWindow.Gone())
	{
		SDL_GL_MakeCurrent(g_app.window, nullptr);
		SDL_GL_DeleteContext(g_app.glContext);
		g_app.glContext = nullptr;
	}
	if (g_app.fullScreen && !g_app.keepDisplay)
	{
		SDL_SetWindowFullscreen(g_app.window, 0);
		SDL_ShowCursor(SDL_ENABLE);
	}
	PostQuitMessage();
}

void DestroySaverWindow()
{
	if (g_app.window == nullptr)
	{
		return;
	}
	if (!g_app.keepDisplay)
	{
		RestoreDisplayRamps(g_app.window);
	}
	// A host's window stays: SDL lets go of windows it did not make without destroying them.
	SDL_DestroyWindow(g_app.window);
	g_app.window = nullptr;
	s_hostWindow.Close();
}

void ExitSaver()
{
	ReleaseSaverWindow();
	DestroySaverWindow();
	std::exit(static_cast<int>(ExitStatus::Failed));
}
