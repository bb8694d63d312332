#include "core/FrameClock.h"

#include <gtest/gtest.h>

namespace
{
// A clock the test moves by hand.
class ScriptedTime : public FrameTimeSource
{
public:
	bool haveCounter = true;
	uint64_t counter = 0;
	uint32_t milliseconds = 0;

	bool Counter(uint64_t& value) override
	{
		value = counter;
		return haveCounter;
	}
	uint64_t Frequency() override { return 1000000; }
	uint32_t Milliseconds() override { return milliseconds; }

	void Advance(uint32_t ms)
	{
		counter += uint64_t{ms} * 1000u;
		milliseconds += ms;
	}
};

FrameClock SeededClock(ScriptedTime& time)
{
	FrameClock clock;
	for (float& step : clock.stepHistory)
	{
		step = 1.0f;
	}
	clock.SetTimeSource(&time);
	clock.Start();
	return clock;
}

TEST(FrameClock, FirstStepAveragesWithTheSeededHistory)
{
	ScriptedTime time;
	time.Advance(5000); // loading time before the loop starts is not counted
	FrameClock clock = SeededClock(time);
	time.Advance(100);
	clock.Tick(0.0f);
	// raw = 0.1 s x 50 x 1.1 = 5.5; dt = (5.5 + 15) / 16.
	EXPECT_FLOAT_EQ(clock.dt, (5.5f + 15.0f) / 16.0f);
	EXPECT_FLOAT_EQ(clock.stepHistory[FrameClock::kHistoryLength - 1], 5.5f);
	EXPECT_EQ(clock.stepHistory[0], 1.0f);
}

TEST(FrameClock, SteadyFiftyFivePerSecondGivesUnitSteps)
{
	ScriptedTime time;
	FrameClock clock = SeededClock(time);
	for (int frame = 0; frame < 40; ++frame)
	{
		time.counter += 1000000 / 55;
		time.milliseconds += 18;
		clock.Tick(1.0f);
		EXPECT_NEAR(clock.dt, 1.0f, 0.001f) << frame;
	}
}

// Work done once between two frames (the unseen rehearsal of the drawing) is left out of the
// next step, with the counter and with the millisecond fallback alike.
TEST(FrameClock, TimeLeftOutBetweenTicksIsNotCounted)
{
	for (const bool haveCounter : {true, false})
	{
		ScriptedTime time;
		time.haveCounter = haveCounter;
		FrameClock clock = SeededClock(time);
		time.Advance(20);
		clock.Tick(1.0f);
		time.Advance(1500);
		clock.LeaveOutTimeSinceTick();
		time.Advance(40);
		clock.Tick(1.0f);
		// 40 ms: 2.2 units with the counter, 2 without the factor.
		EXPECT_NEAR(clock.stepHistory[FrameClock::kHistoryLength - 1], haveCounter ? 2.2f : 2.0f, 1e-3f)
		    << (haveCounter ? "counter" : "milliseconds");
	}
}

TEST(FrameClock, MillisecondFallbackDropsTheFactor)
{
	ScriptedTime time;
	time.haveCounter = false;
	FrameClock clock = SeededClock(time);
	time.Advance(200);
	clock.Tick(0.0f);
	// raw = 0.2 s x 50, without the 1.1.
	EXPECT_NEAR(clock.stepHistory[FrameClock::kHistoryLength - 1], 10.0f, 1e-4f);
}

TEST(FrameClock, FpsWindowAndExtremes)
{
	ScriptedTime time;
	FrameClock clock = SeededClock(time);
	// 30 frames 40 ms apart: the window closes once more than a second has passed.
	for (int frame = 0; frame < 30; ++frame)
	{
		time.Advance(40);
		clock.Tick(0.0f);
	}
	EXPECT_EQ(clock.fps, 26.0f);
	// Before the fade-in starts the extremes are not taken.
	EXPECT_EQ(clock.maxFps, 0.0f);
	EXPECT_EQ(clock.minFps, 10000.0f);
	clock.Tick(1.0f);
	EXPECT_EQ(clock.maxFps, 26.0f);
	EXPECT_EQ(clock.minFps, 26.0f);

	// A window of 10 frames or fewer never becomes the minimum.
	for (int frame = 0; frame < 8; ++frame)
	{
		time.Advance(300);
		clock.Tick(1.0f);
	}
	EXPECT_LE(clock.fps, 10.0f);
	EXPECT_EQ(clock.minFps, 26.0f);
}

TEST(FrameClock, FixedStepMovesExactlyOneStepAFrame)
{
	FixedStepTimeSource fixed(2.0f);
	FrameClock clock;
	clock.SetTimeSource(&fixed);
	clock.Start();
	for (int frame = 0; frame < 20; ++frame)
	{
		clock.Tick(1.0f);
	}
	EXPECT_NEAR(clock.dt, 2.0f, 1e-4f);
}
} // namespace
