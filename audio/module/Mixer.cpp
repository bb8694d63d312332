#include "audio/module/Mixer.h"

#include "audio/module/AudioModuleApi.h"

#include <algorithm>

namespace
{
constexpr uint32_t kSampleKind = 0x10000000u;
constexpr uint32_t kChannelKind = 0x20000000u;
constexpr uint32_t kKindMask = 0xF0000000u;
constexpr uint32_t kIndexMask = 0x0FFFFFFFu;

uint32_t MakeHandle(uint32_t kind, size_t index)
{
	return kind | static_cast<uint32_t>(index + 1);
}

// The live slot that a handle of the given kind names, or null.
template <typename T> T* FindSlot(std::vector<T>& slots, uint32_t kind, uint32_t handle)
{
	if ((handle & kKindMask) != kind || (handle & kIndexMask) == 0)
	{
		return nullptr;
	}
	const size_t index = (handle & kIndexMask) - 1;
	if (index >= slots.size() || !slots[index].live)
	{
		return nullptr;
	}
	return &slots[index];
}
} // namespace

uint32_t Mixer::AddSample(std::vector<int16_t> stereoFrames, uint32_t maxPlaybacks, uint32_t flags)
{
	if (samples.size() >= kIndexMask)
	{
		return 0;
	}
	MixerSample& sample = samples.emplace_back();
	sample.frames = std::move(stereoFrames);
	sample.maxPlaybacks = std::clamp(maxPlaybacks, 1u, kAudioMaxPlaybacks);
	sample.flags = flags;
	sample.live = true;
	return MakeHandle(kSampleKind, samples.size() - 1);
}

MixerSample* Mixer::FindSample(uint32_t handle)
{
	return FindSlot(samples, kSampleKind, handle);
}

MixerChannel* Mixer::FindChannel(uint32_t handle)
{
	return FindSlot(channels, kChannelKind, handle);
}

uint32_t Mixer::ChannelForSample(uint32_t sample, bool onlyNew)
{
	const MixerSample* owner = FindSample(sample);
	if (owner == nullptr)
	{
		return 0;
	}
	size_t count = 0;
	size_t oldest = channels.size();
	for (size_t i = 0; i < channels.size(); ++i)
	{
		if (!channels[i].live || channels[i].sample != sample)
		{
			continue;
		}
		++count;
		if (oldest == channels.size() || channels[i].startOrder < channels[oldest].startOrder)
		{
			oldest = i;
		}
	}
	if (count < owner->maxPlaybacks && channels.size() < kIndexMask)
	{
		MixerChannel& channel = channels.emplace_back();
		channel.sample = sample;
		channel.live = true;
		return MakeHandle(kChannelKind, channels.size() - 1);
	}
	if (onlyNew || oldest == channels.size())
	{
		return 0;
	}
	channels[oldest].playing = false;
	channels[oldest].position = 0;
	return MakeHandle(kChannelKind, oldest);
}

void Mixer::Play(MixerChannel& channel, bool restart)
{
	if (restart)
	{
		channel.position = 0;
	}
	channel.playing = true;
	channel.startOrder = nextStartOrder++;
}

bool Mixer::StopSample(uint32_t sample)
{
	if (FindSample(sample) == nullptr)
	{
		return false;
	}
	for (MixerChannel& channel : channels)
	{
		if (channel.live && channel.sample == sample)
		{
			channel.playing = false;
		}
	}
	return true;
}

bool Mixer::FreeSample(uint32_t sample)
{
	MixerSample* freed = FindSample(sample);
	if (freed == nullptr)
	{
		return false;
	}
	*freed = MixerSample();
	for (MixerChannel& channel : channels)
	{
		if (channel.sample == sample)
		{
			channel = MixerChannel();
		}
	}
	return true;
}

void Mixer::Clear()
{
	samples.clear();
	channels.clear();
}

bool Mixer::Loops(const MixerChannel& channel, const MixerSample& sample) const
{
	return ((channel.flags | sample.flags) & kAudioLoop) != 0;
}

void Mixer::MixChannel(MixerChannel& channel, size_t frameCount)
{
	const MixerSample* sample = FindSample(channel.sample);
	if (sample == nullptr)
	{
		channel.playing = false;
		return;
	}
	const size_t sampleFrames = sample->frames.size() / 2;
	size_t done = 0;
	while (channel.playing && done < frameCount && sampleFrames > 0)
	{
		const size_t count = std::min(sampleFrames - channel.position, frameCount - done);
		const int16_t* source = sample->frames.data() + channel.position * 2;
		int32_t* target = accumulator.data() + done * 2;
		for (size_t i = 0; i < count * 2; ++i)
		{
			target[i] += source[i];
		}
		channel.position += count;
		done += count;
		if (channel.position == sampleFrames)
		{
			// The flag is read at the end, so a loop asked for after the start still counts.
			channel.position = 0;
			channel.playing = Loops(channel, *sample);
		}
	}
	channel.playing = channel.playing && sampleFrames > 0;
}

void Mixer::Mix(int16_t* output, size_t frameCount)
{
	accumulator.assign(frameCount * 2, 0);
	for (MixerChannel& channel : channels)
	{
		if (channel.live && channel.playing)
		{
			MixChannel(channel, frameCount);
		}
	}
	const auto gain = static_cast<int64_t>(volume);
	for (size_t i = 0; i < frameCount * 2; ++i)
	{
		const int64_t scaled = static_cast<int64_t>(accumulator[i]) * gain / 100;
		output[i] = static_cast<int16_t>(std::clamp<int64_t>(scaled, -32768, 32767));
	}
}
