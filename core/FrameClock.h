#pragma once

#include <cstdint>

// Where the frame clock reads time. The saver reads the machine's clocks; a snapshot run reads
// a virtual clock that moves one fixed step a frame, so every machine draws the same frames.
class FrameTimeSource
{
public:
	virtual ~FrameTimeSource() = default;
	// The high-resolution counter; false when there is none.
	virtual bool Counter(uint64_t& value) = 0;
	virtual uint64_t Frequency() = 0;
	// The millisecond timer as a wrapping 32-bit count.
	virtual uint32_t Milliseconds() = 0;
	// The counter where it stands, for a look between frames: a virtual clock moves on only as
	// the frames read it (Counter).
	virtual bool Peek(uint64_t& value) { return Counter(value); }
};

class SystemTimeSource : public FrameTimeSource
{
public:
	bool Counter(uint64_t& value) override;
	uint64_t Frequency() override;
	uint32_t Milliseconds() override;
};

// Each read of the counter moves time on by `step` frame units (at the speed 50 and factor 1.1).
class FixedStepTimeSource : public FrameTimeSource
{
public:
	explicit FixedStepTimeSource(float step) : step(step) {}
	bool Counter(uint64_t& value) override;
	uint64_t Frequency() override;
	uint32_t Milliseconds() override;
	bool Peek(uint64_t& value) override;

private:
	float step;
	uint64_t nanoseconds = 0;
};

// Turns real time into the frame step `dt` that every animation multiplies by (55 units per
// second at the standard speed 50, with the factor 1.1), smoothed over the last 16 frames, and
// counts frames per second for the statistics written at exit.
class FrameClock
{
public:
	static constexpr int kHistoryLength = 15;

	float dt = 0.0f;
	float stepHistory[kHistoryLength] = {};
	float speed = 50.0f;
	uint64_t counterFrequency = 0;
	uint64_t lastCounter = 0;
	float fps = 0.0f;
	float minFps = 10000.0f;
	float maxFps = 0.0f;
	float lastSeconds = 0.0f;
	float secondMark = 0.0f;
	float framesThisSecond = 0.0f;

	// The start of the main loop: the loading time is not counted in the first step.
	void Start();
	// The time since the last tick is not counted in the next step: work done once between two
	// frames (the unseen rehearsal of the drawing) must not fast-forward the animations.
	void LeaveOutTimeSinceTick();
	// One frame. The fps extremes are only taken once the fade-in has begun (fadeClock not 0).
	void Tick(float fadeClock);

	void SetTimeSource(FrameTimeSource* source) { timeSource = source; }

private:
	FrameTimeSource* timeSource = &systemTime;
	static SystemTimeSource systemTime;
};
