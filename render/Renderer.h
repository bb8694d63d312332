#pragma once

#include <SDL.h>

struct AppContext;

// Brings the renderer up on the saver window: GL context, extension loader, driver identity and
// capability flags, the cross-fade capture texture, the fixed-function state every later pass
// assumes, the frame clock's start values and the gamma hand-over. Failures are logged and the
// run goes on.
void InitRenderer(SDL_Window* window, AppContext& app);

// The edge of the square capture texture for a display of that height: 1024, 512 or 256.
int CaptureSizeFor(int screenHeight);
