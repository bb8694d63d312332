#pragma once

#include "app/SaverWindow.h"

// The screen's gamma ramp behind the saver window. On X11 it is the RandR ramp of every CRTC of
// the window's screen (SDL 2 only reaches DirectColor visuals there, which GL windows do not
// use); elsewhere SDL's window gamma. The first access keeps the ramps it found, and
// RestoreDisplayRamps puts exactly those back.

// False when the display offers no ramp.
bool ReadDisplayRamp(SDL_Window* window, GammaRamp& ramp);
void WriteDisplayRamp(SDL_Window* window, const GammaRamp& ramp);
void RestoreDisplayRamps(SDL_Window* window);
