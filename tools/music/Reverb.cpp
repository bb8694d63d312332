#include "tools/music/Reverb.h"

#include <algorithm>
#include <cmath>

namespace
{
// Delay lengths in samples at 44.1 kHz; mutually prime-ish so the echoes never line up.
constexpr size_t kCombDelays[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr size_t kAllPassDelays[] = {556, 441, 341, 225};
constexpr size_t kStereoSpread = 23;
constexpr float kAllPassFeedback = 0.5f;
// Keeps the eight combs summed from overloading.
constexpr float kInputGain = 0.015f;
constexpr float kWetGain = 3.0f;
// The bass and the lowest pad notes would only muddy the room: the send is thinned below
// about 200 Hz.
constexpr float kSendHighPass = 0.028f;
// Seconds of the loop's end played into the room before the loop itself: the tail has died
// far below hearing (more than 100 dB) by then.
constexpr double kPrimeSeconds = 10.0;
} // namespace

void Reverb::Init(const Settings& settings)
{
	combsLeft.assign(std::size(kCombDelays), {});
	combsRight.assign(std::size(kCombDelays), {});
	for (size_t i = 0; i < std::size(kCombDelays); ++i)
	{
		combsLeft[i].buffer.assign(kCombDelays[i], 0.0f);
		combsRight[i].buffer.assign(kCombDelays[i] + kStereoSpread, 0.0f);
	}
	allPassesLeft.assign(std::size(kAllPassDelays), {});
	allPassesRight.assign(std::size(kAllPassDelays), {});
	for (size_t i = 0; i < std::size(kAllPassDelays); ++i)
	{
		allPassesLeft[i].buffer.assign(kAllPassDelays[i], 0.0f);
		allPassesRight[i].buffer.assign(kAllPassDelays[i] + kStereoSpread, 0.0f);
	}
	preDelayLine.assign(std::max<size_t>(1, static_cast<size_t>(settings.preDelay * kSampleRate)), 0.0f);
	preDelayIndex = 0;
	highPassState = 0.0f;
	feedback = static_cast<float>(0.7 + 0.28 * settings.roomSize);
	damp = static_cast<float>(0.4 * settings.damping);
	wetSame = static_cast<float>(kWetGain * (0.5 + 0.5 * settings.width));
	wetCross = static_cast<float>(kWetGain * (0.5 - 0.5 * settings.width));
}

float Reverb::ProcessChannel(std::vector<Comb>& combs, std::vector<AllPass>& allPasses, float input)
{
	float output = 0.0f;
	for (Comb& comb : combs)
	{
		const float delayed = comb.buffer[comb.index];
		comb.store = delayed * (1.0f - damp) + comb.store * damp;
		comb.buffer[comb.index] = input + comb.store * feedback;
		comb.index = (comb.index + 1) % comb.buffer.size();
		output += delayed;
	}
	for (AllPass& allPass : allPasses)
	{
		const float delayed = allPass.buffer[allPass.index];
		allPass.buffer[allPass.index] = output + delayed * kAllPassFeedback;
		allPass.index = (allPass.index + 1) % allPass.buffer.size();
		output = delayed - output;
	}
	return output;
}

void Reverb::Process(float input, float& left, float& right)
{
	highPassState += kSendHighPass * (input - highPassState);
	const float delayed = preDelayLine[preDelayIndex];
	preDelayLine[preDelayIndex] = (input - highPassState) * kInputGain;
	preDelayIndex = (preDelayIndex + 1) % preDelayLine.size();

	const float wetLeft = ProcessChannel(combsLeft, allPassesLeft, delayed);
	const float wetRight = ProcessChannel(combsRight, allPassesRight, delayed);
	left = wetLeft * wetSame + wetRight * wetCross;
	right = wetRight * wetSame + wetLeft * wetCross;
}

void AddLoopedReverb(const std::vector<float>& send, StereoBuffer& mix, const Reverb::Settings& settings)
{
	Reverb reverb;
	reverb.Init(settings);
	const size_t frames = send.size();
	const size_t prime = std::min(frames, static_cast<size_t>(kPrimeSeconds * kSampleRate));
	float left = 0.0f;
	float right = 0.0f;
	for (size_t i = frames - prime; i < frames; ++i)
	{
		reverb.Process(send[i], left, right);
	}
	for (size_t i = 0; i < frames; ++i)
	{
		reverb.Process(send[i], left, right);
		mix.left[i] += left;
		mix.right[i] += right;
	}
}
