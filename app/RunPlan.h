#pragma once

#include "core/FrameClock.h"
#include "core/Platform.h"
#include "scene/Camera.h"

#include <functional>
#include <optional>

// What a run of the saver is handed besides the settings, so that the load sequence and the frame
// loop need not know who asked for it: where the frame clock's time comes from, the random seed,
// a local time and a view held still, and looks at the frames while they are still in the back
// buffer. An empty plan is an ordinary run on the clocks.
struct RunPlan
{
	FrameTimeSource* timeSource = nullptr; // none: the clock's own
	std::optional<unsigned> seed;
	std::optional<LocalTime> localTime;
	std::optional<CameraView> view;
	std::function<void()> afterLoadingScreen;
	std::function<void()> afterSceneLoaded;
	std::function<void()> afterFrame;
};
