#pragma once

#include <SDL.h>

struct AppContext;

// Everything between the saver window's creation and the first frame: the renderer comes up,
// one loading picture is presented, and the room loads while that picture stays on screen.
void RunLoadSequence(SDL_Window* window, AppContext& app);
// Draws and presents the loading picture once: the background over the whole screen and four
// corner pictures of 256 x 128 window pixels, flush with their corners.
void DrawLoadingScreen(AppContext& app);
