#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The module's samples and channels, and the mixing of every playing channel into one output
// buffer of interleaved 16-bit stereo frames. Handles carry their kind in the high bits, so a
// sample handle is never taken for a channel; they are never reused until Clear.
//
// The mixer is not locked itself: the module holds the output device's lock around every change
// made while the device may be calling Mix.

struct MixerSample
{
	std::vector<int16_t> frames; // interleaved stereo at the output frequency
	uint32_t flags = 0;
	uint32_t maxPlaybacks = 1;
	bool live = false;
};

struct MixerChannel
{
	uint32_t sample = 0; // the sample's handle
	size_t position = 0; // in frames
	uint32_t flags = 0;
	uint64_t startOrder = 0;
	bool playing = false;
	bool live = false;
};

class Mixer
{
public:
	uint32_t volume = 100; // 0 to 100, a gain on the whole mix

	uint32_t AddSample(std::vector<int16_t> stereoFrames, uint32_t maxPlaybacks, uint32_t flags);
	MixerSample* FindSample(uint32_t handle);
	MixerChannel* FindChannel(uint32_t handle);
	// A channel of the sample: a new one while it has fewer than its maximum, else (unless onlyNew)
	// the one started longest ago, stopped and rewound. 0 when none can be had.
	uint32_t ChannelForSample(uint32_t sample, bool onlyNew);
	void Play(MixerChannel& channel, bool restart);
	// False for a handle that names no live sample.
	bool StopSample(uint32_t sample);
	bool FreeSample(uint32_t sample);
	void Clear();

	void Mix(int16_t* output, size_t frameCount);

private:
	std::vector<MixerSample> samples;
	std::vector<MixerChannel> channels;
	std::vector<int32_t> accumulator;
	uint64_t nextStartOrder = 1;

	bool Loops(const MixerChannel& channel, const MixerSample& sample) const;
	void MixChannel(MixerChannel& channel, size_t frameCount);
};
