#pragma once

#include "app/RunPlan.h"
#include "core/FrameClock.h"
#include "core/Platform.h"
#include "render/Math.h"
#include "scene/Camera.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

struct AppContext;

// Runs the saver in a window of a given size with a fixed frame step, a fixed local time and a
// fixed random seed, and writes one of its frames as a PNG picture. The frames are the saver's
// own, drawn through the same code; only the display is left alone (no mode switch, no gamma
// change) and the mouse does not end the run.
//
//   --snapshot out.png   the picture to write (turns the snapshot run on)
//   --frames N           main-loop frames to draw; the last one is written (0: the loading screen)
//   --size WxH           window size (1280x720)
//   --at "YYYY-MM-DD HH:MM:SS"  the local time the saver sees (2026-12-24 21:30:00)
//   --seed N             the random seed (1)
//   --step S             frame step in units (1; 55 units are one second)
//   --report             also print the frame rate of the frames after the fade-in, and the processor
//                        time they took, to standard output
//   --camera X,Y,Z,YAW,PITCH,FOV  a fixed view instead of the flights: the eye in room units (z up),
//                        the heading in degrees about z from +x, the tilt upwards in degrees and
//                        the vertical field of view in degrees
//   --no-effects         leave out the particles, the fire and the glow layers, to measure their cost
//
// --seed and --at also hold in a run without --snapshot (a host's window, --window), so that
// such a run can be compared with a snapshot drawn at the same point.
class Snapshot
{
public:
	// Takes the snapshot options out of `arguments`, leaving the rest in their order. False, with
	// `error` set, when one of them is malformed.
	bool TakeOptions(std::vector<std::string>& arguments, std::string& error);

	bool Active() const { return active; }
	int Width() const { return width; }
	int Height() const { return height; }
	// Whether the run takes its random seed and its local time from here rather than from the
	// clocks: a snapshot always does, any other run when --seed or --at was given.
	bool FixesSeed() const { return active || seedGiven; }
	bool FixesTime() const { return active || timeGiven; }
	bool Effects() const { return effects; }

	// The seed of the run and of the flights' shuffles, where the run fixes it.
	std::optional<unsigned> FixedSeed() const;
	// The view held still instead of the flights', when a snapshot was given one.
	std::optional<CameraView> FixedView() const;
	// What the run is handed: the fixed step, seed, time and view, and this snapshot's looks at
	// the loading screen, the loaded room and each frame.
	RunPlan Plan();

private:
	// Once the room has loaded: leaves out the effects when asked to.
	void OnSceneLoaded() const;
	// Called right before each buffer swap, while the frame is still in the back buffer.
	void OnLoadingScreenDrawn(AppContext& app);
	void OnFrameDrawn(AppContext& app);

	void Capture(AppContext& app);
	void ReportFrameRate() const;
	bool ParseView(const std::string& text);

	bool active = false;
	std::string outputPath;
	int frames = 1;
	int width = 1280;
	int height = 720;
	LocalTime time{2026, 12, 4, 24, 21, 30, 0, 0};
	unsigned seed = 1;
	bool seedGiven = false;
	bool timeGiven = false;
	bool report = false;
	bool effects = true;
	bool fixedView = false;
	Vec3 viewPosition;
	Vec3 viewDirection;
	Vec3 viewUp;
	float viewFovDegrees = 0.0f;
	FixedStepTimeSource fixedTime{1.0f};
	int framesDrawn = 0;
	int steadyFrom = 0;
	uint64_t steadyStartCounter = 0;
	std::clock_t steadyStartCpu = 0;
};

extern Snapshot g_snapshot;

// Writes 8-bit RGB rows, top row first, as a PNG file.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgbRows);
// "YYYY-MM-DD HH:MM:SS" into a local time with its day of the week; false when malformed.
bool ParseLocalTime(const std::string& text, LocalTime& time);
