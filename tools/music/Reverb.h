#pragma once

#include "tools/music/Audio.h"

#include <vector>

// A Schroeder-Moorer room in the Freeverb manner: eight damped feedback combs in parallel and
// four all-passes in series per channel, the right channel's delays a little longer than the
// left's for width. The input is mono (the send bus, both channels summed).
class Reverb
{
public:
	struct Settings
	{
		double roomSize = 0.82;  // 0..1: the comb feedback, so the decay time
		double damping = 0.4;    // 0..1: how fast the high frequencies die
		double width = 0.9;      // 0..1: stereo spread of the wet sound
		double preDelay = 0.025; // seconds before the first reflections
	};

	void Init(const Settings& settings);
	// Feeds one frame of the send bus and returns one frame of wet sound.
	void Process(float input, float& left, float& right);

private:
	struct Comb
	{
		std::vector<float> buffer;
		size_t index = 0;
		float store = 0.0f;
	};
	struct AllPass
	{
		std::vector<float> buffer;
		size_t index = 0;
	};

	float ProcessChannel(std::vector<Comb>& combs, std::vector<AllPass>& allPasses, float input);

	std::vector<Comb> combsLeft;
	std::vector<Comb> combsRight;
	std::vector<AllPass> allPassesLeft;
	std::vector<AllPass> allPassesRight;
	std::vector<float> preDelayLine;
	size_t preDelayIndex = 0;
	float highPassState = 0.0f;
	float feedback = 0.0f;
	float damp = 0.0f;
	float wetSame = 0.0f;
	float wetCross = 0.0f;
};

// Adds the wet sound of a whole loop to it. The reverb first listens to the end of the loop,
// so the tail of the last bars already sounds over the first ones and the loop point cuts
// nothing.
void AddLoopedReverb(const std::vector<float>& send, StereoBuffer& mix, const Reverb::Settings& settings);
