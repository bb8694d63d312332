#pragma once

#include "app/RunPlan.h"

// The saver's message and frame loop: a turn with a waiting event hands it to the window, any
// other turn draws a frame. It ends with the run mode or the quit message.
void RunMainLoop(const RunPlan& plan);
// One frame in its order: the cursor's reference, the mouse-movement exit, the frame the composer
// draws, the plan's look at it, the swap, and once, after the first frame is shown, the
// unseen rehearsal of the drawing.
void DrawSaverFrame(const RunPlan& plan = {});
// The per-frame poll of the left mouse button and the arrow keys.
void PollFrameInput();
