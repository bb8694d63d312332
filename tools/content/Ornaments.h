#pragma once

#include "tools/content/Draw.h"

// Festive ornaments shared by the greetings, the loading screen and the desktop pictures.
// `aspect` squeezes a drawing sideways (below 1) for pictures that the screen stretches.

// A four-pointed twinkle with a soft halo.
void DrawSparkle(Canvas& canvas, float cx, float cy, float radius, const Color& color, float aspect = 1.0f);
// Two spiky holly leaves and three berries around (cx, cy); `turn` rotates it (radians).
void DrawHollySprig(Canvas& canvas, float cx, float cy, float scale, float turn, float aspect = 1.0f);
// A glass bauble with a gold cap, a soft shine and a glint.
void DrawBauble(Canvas& canvas, float cx, float cy, float radius, const Color& glass, float aspect = 1.0f);
// A firework-like burst of short rays tipped with dots.
void DrawStarburst(Canvas& canvas, float cx, float cy, float radius, const Color& color, int rays, float turn,
                   float aspect = 1.0f);
// A snow-laden fir: stacked tiers from the base (cx, baseY) up to `height`; lights when `lit`.
void DrawFirTree(Canvas& canvas, float cx, float baseY, float height, float width, const Color& needles,
                 const Color& snow, Random& random, bool lit);
