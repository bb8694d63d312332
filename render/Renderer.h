#pragma once

#include <SDL.h>

struct AppContext;

// Brings the renderer up on the saver window: GL context, extension loader, driver identity and
// capability flags, the cross-fade capture texture, the fixed-function state every later pass
// assumes, the frame clock's start values and the gamma hand-over. Failures are logged and the
// run goes on.
void InitRenderer(SDL_Window* window, AppContext& app);

// The edge of the square capture texture for a window of that size: 1024, 512 or 256 by its
// height, never more than either side (a host's small window gets a smaller power of two), so
// that the capture never reads outside the frame.
int CaptureSizeFor(int windowWidth, int windowHeight);
// Sizes the capture texture anew for the window as it is now (app.clientWidth × clientHeight),
// when that changes its edge; the texture bound to the 2D target stays bound.
void FitCaptureTextureToWindow(AppContext& app);
