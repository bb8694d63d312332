#pragma once

#include "app/RunPlan.h"

#include <SDL.h>

// The renderer on the saver window: the GL context, one black frame shown at once, the frame
// composer's start, the renderer's state and capabilities, the frame clock's start values and
// the gamma hand-over.
void StartRenderer(SDL_Window* window);
// Everything between the saver window's creation and the first frame: the renderer comes up,
// one loading picture is presented, and the room loads while that picture stays on screen.
void RunLoadSequence(SDL_Window* window, const RunPlan& plan);
