#pragma once

#include <SDL.h>

#include <cstdint>

// The saver's window, display mode, gamma ramp and GL context, on the saver window's record
// (g_app). SDL's video layer has other users as well: the preview's window (app/PreviewWindow.h),
// the desktop's size (Sys_DesktopSize) and the frame loop's input polls (app/FrameLoop.cpp).

// One ramp of 256 entries per channel, as the saver reads and writes it.
struct GammaRamp
{
	uint16_t red[256] = {};
	uint16_t green[256] = {};
	uint16_t blue[256] = {};
};

// The primary display's size as the desktop has it; false (and 0 x 0) when it cannot be read.
bool DesktopSize(int& width, int& height);

// Creates the window at (0, 0) with the closest GL pixel format to the request, switches the
// display (SetFullScreenMode), hides the cursor and shows the window. Null when no window could
// be made.
SDL_Window* CreateSaverWindow(const char* title, int width, int height);
void SetFullScreenMode();
// The window of a run under a screen-saver host (HostOptions): the host's X window adopted as it
// is (its visual decides the pixel format), or for --window a resizable window of our own. The
// display mode, the cursor and the gamma ramp are left alone. Null when there is no such window.
SDL_Window* CreateHostedSaverWindow(const char* title);
// Once a turn: a host's window that changed its size resizes the frames, and one that the host
// destroyed ends the saver.
void FollowHostWindow();
// The frames follow a window whose drawable is now `width` × `height`.
void FitViewportToWindow(int width, int height);
// Sets the GL attributes of one pixel-format request: colour bits as chosen, depth and stencil.
void SetupPixelFormat(int colorBits, int depthBits, int stencilBits);
// The context on the window, made current, with the viewport of its drawable size.
void CreateRenderContext(SDL_Window* window);
void ResizeViewport(int width, int height);
void SwapSaverBuffers();

// The gamma ramp of the screen: (i / 256)^exponent on all three channels.
void ApplyGamma(double exponent);
// The exponent that best describes the screen's current ramp; 1.0 when there is no ramp.
double EstimateGamma();
GammaRamp BuildPowerRamp(double exponent);
double EstimateRampExponent(const GammaRamp& ramp);

// The saver's reaction to one window event: any key but Space, and a close request, end it.
void SaverWindowProc(const SDL_Event& event);

// The quit message: ends the saver's loop at its next turn without touching the run mode.
void PostQuitMessage();
bool IsQuitMessage(const SDL_Event& event);

// Context, display mode and cursor, then the quit message (in that order).
void ReleaseSaverWindow();
// The window itself goes last; the screen gets back the gamma ramp it had before the saver.
void DestroySaverWindow();
// Ends the process from inside the saver when it cannot go on (undecodable content, no GL
// context), giving the display back first: on X11 a mode switch and a gamma ramp would outlive
// the process. The exit status says the saver failed.
[[noreturn]] void ExitSaver();
