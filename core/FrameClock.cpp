#include "core/FrameClock.h"

#include "core/Platform.h"

SystemTimeSource FrameClock::systemTime;

bool SystemTimeSource::Counter(uint64_t& value)
{
	return Sys_PerformanceCounter(value);
}
uint64_t SystemTimeSource::Frequency()
{
	return Sys_PerformanceFrequency();
}
uint32_t SystemTimeSource::Milliseconds()
{
	return Sys_Milliseconds();
}

namespace
{
constexpr uint64_t kNanosecondsPerSecond = 1000000000u;
// The real clock's step: seconds x speed 50 x 1.1.
constexpr double kUnitsPerSecond = 55.0;
} // namespace

bool FixedStepTimeSource::Counter(uint64_t& value)
{
	nanoseconds += static_cast<uint64_t>(step / kUnitsPerSecond * kNanosecondsPerSecond + 0.5);
	value = nanoseconds;
	return true;
}

bool FixedStepTimeSource::Peek(uint64_t& value)
{
	value = nanoseconds;
	return true;
}

uint64_t FixedStepTimeSource::Frequency()
{
	return kNanosecondsPerSecond;
}

uint32_t FixedStepTimeSource::Milliseconds()
{
	return static_cast<uint32_t>(nanoseconds / 1000000u);
}

void FrameClock::Start()
{
	dt = 0.0f;
	counterFrequency = timeSource->Frequency();
	timeSource->Counter(lastCounter);
}

void FrameClock::LeaveOutTimeSinceTick()
{
	uint64_t counter = 0;
	if (timeSource->Peek(counter))
	{
		lastCounter = counter;
	}
	lastSeconds = static_cast<float>(timeSource->Milliseconds()) * 0.001f;
}

void FrameClock::Tick(float fadeClock)
{
	float raw = 0.0f;
	uint64_t counter = 0;
	const bool haveCounter = timeSource->Counter(counter);
	if (haveCounter)
	{
		raw = static_cast<float>(static_cast<double>(counter - lastCounter) * speed * 1.1 /
		                         static_cast<double>(counterFrequency));
	}
	lastCounter = counter;

	const float now = static_cast<float>(timeSource->Milliseconds()) * 0.001f;
	if (!haveCounter)
	{
		raw = (now - lastSeconds) * speed;
	}
	lastSeconds = now;

	framesThisSecond += 1.0f;
	if (now - secondMark > 1.0f)
	{
		secondMark = now;
		fps = framesThisSecond;
		framesThisSecond = 0.0f;
	}
	if (fadeClock != 0.0f)
	{
		if (fps < minFps && fps > 10.0f)
		{
			minFps = fps;
		}
		if (fps > maxFps)
		{
			maxFps = fps;
		}
	}

	// The mean of this raw step and the 15 before it; then the oldest drops out.
	float sum = raw;
	for (const float step : stepHistory)
	{
		sum += step;
	}
	dt = sum * 0.0625f;
	for (int i = 0; i + 1 < kHistoryLength; ++i)
	{
		stepHistory[i] = stepHistory[i + 1];
	}
	stepHistory[kHistoryLength - 1] = raw;
}
