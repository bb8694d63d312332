#pragma once

#include "core/FrameClock.h"
#include "core/Platform.h"
#include "render/Renderer.h"
#include "scene/Camera.h"

#include <optional>
#include <vector>

struct SceneObject;

// What one frame is drawn for, handed in by the frame loop.
struct FrameMoment
{
	// The window's drawable, in pixels.
	int width = 0;
	int height = 0;
	LocalTime localTime;
};

// Draws the saver's frames into the back buffer: the room for the current flight's view, the
// particles and the glass, the frozen frame that covers a cut, the fade-in from black and the 2D
// pass. It owns the fade and capture state; the frame loop (app/) owns the order of a frame, the
// input, the swap and whatever a run does with the finished frame.
class FrameComposer
{
public:
	// A run's start, before its first frame: the veil is down, no cut is pending, and the capture
	// texture is made for a window of that size.
	void Start(int windowWidth, int windowHeight);
	// One frame: the clock's tick, the fades, the camera's step and every pass.
	void DrawFrame(FrameClock& clock, const FrameMoment& moment);
	// Once, after the first frame is shown: every flight's views and a cut, drawn unseen into the
	// back buffer, which the next frame clears. Animations do not move on and nothing is emitted.
	void RehearseDrawing(const FrameMoment& moment);

	// A view held still instead of the flights'.
	std::optional<CameraView> fixedView;

	// The fade-in from black: the clock runs from 0, the veil lifts once it passes 1.
	float fadeClock = 0.0f;
	float fadeAlpha = 1.0f;
	// Raised as a flight begins its last segment: the next frame freezes the view for the cut.
	bool captureRequested = false;
	float crossFadeAlpha = 0.0f;
	bool drawingRehearsed = false;
	CaptureTexture capture;

private:
	void AdvanceFades(FrameClock& clock);
	void DrawIntoCaptureTexture(const std::vector<SceneObject*>& objects, const FrameMoment& moment,
	                            float frameTime, bool withParticles);
	void CaptureFrozenFrame(const FrameMoment& moment, float dt, float fps);
	void MoveCameraAndObjects(float dt);
	void QueueCrossFade(float alpha);
	void RehearseCut(const FrameMoment& moment);
};

extern FrameComposer g_frameComposer;
