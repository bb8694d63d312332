#pragma once

#include <cstdint>

// What the driver offers, found once the renderer has started and fixed from then on.
struct RendererCaps
{
	int32_t maxTextureUnits = 0;
	bool hasVertexBuffers = false;
	bool hasOcclusionQuery = false;
	int32_t occlusionCounterBits = 0;
};

extern RendererCaps g_rendererCaps;

// Brings the renderer up on the GL context that is current (`hasContext` false when none could
// be made): the fixed-function state every later pass assumes, the extension loader, the driver's
// identity in the log, the capabilities and the submission pacer. Failures are logged and the
// run goes on.
void InitRenderer(bool hasContext);

// The edge of the square capture texture for a window of that size: 1024, 512 or 256 by its
// height, never more than either side (a host's small window gets a smaller power of two), so
// that the capture never reads outside the frame.
int CaptureSizeFor(int windowWidth, int windowHeight);

// The square texture a cut's frozen frame is copied into: the lower-left square of the colour
// buffer.
struct CaptureTexture
{
	uint32_t texture = 0;
	int32_t size = 0;

	// Made for a window of that size; it stays bound to the 2D target.
	void Create(int windowWidth, int windowHeight);
	// Sized anew for the window as it is now, when that changes its edge; the texture bound to
	// the 2D target stays bound.
	void FitToWindow(int windowWidth, int windowHeight);

private:
	void DefineStorage(int windowWidth, int windowHeight);
};
