#pragma once

#include <cstdint>

struct AppContext;

// Draws and presents one frame of the saver and owns the full-screen effects between its
// passes (the fade-in from black) and the queue of 2D screen quads that others fill.
namespace FrameComposer
{
void RenderFrame(AppContext& app);
void QueueQuad(AppContext& app, float x, float y, float halfWidth, float halfHeight, float r, float g,
               float b, float a, uint32_t texture, uint32_t sourceBlend, uint32_t destinationBlend);
void RequestCapture();
} // namespace FrameComposer
