#pragma once

// Draws the loading picture into the back buffer of a screen of that size: the background over
// the whole screen and four corner pictures of 256 x 128 window pixels, flush with their corners.
// Presenting it is the caller's.
void DrawLoadingScreen(int screenWidth, int screenHeight);
