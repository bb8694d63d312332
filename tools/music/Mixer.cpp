#include "tools/music/Mixer.h"

#include "tools/music/Loudness.h"
#include "tools/music/Reverb.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace
{
constexpr double kPi = 3.141592653589793;

struct Buses
{
	StereoBuffer dry;
	std::vector<float> send;

	explicit Buses(size_t frames) : dry(frames), send(frames, 0.0f) {}
};

void MixNote(const NoteEvent& note, Buses& buses)
{
	const std::vector<float> sound = RenderNote(note);
	const size_t frames = buses.send.size();
	// Constant power across the field.
	const double angle = (std::clamp(note.pan, -1.0f, 1.0f) + 1.0) * kPi / 4.0;
	const float left = static_cast<float>(std::cos(angle) * std::sqrt(2.0));
	const float right = static_cast<float>(std::sin(angle) * std::sqrt(2.0));
	const float send = ReverbSend(note.instrument);
	const long long start = std::llround(note.start * kSampleRate);
	const long long loop = static_cast<long long>(frames);
	size_t at = static_cast<size_t>(((start % loop) + loop) % loop);
	for (float sample : sound)
	{
		buses.dry.left[at] += sample * left;
		buses.dry.right[at] += sample * right;
		buses.send[at] += sample * send;
		if (++at == frames)
		{
			at = 0;
		}
	}
}

// Two workers, each with buses of its own, summed in a fixed order afterwards: the result is
// the same bytes on every run and every machine.
constexpr size_t kWorkers = 2;
} // namespace

StereoBuffer RenderLoop(const std::vector<NoteEvent>& notes, size_t frames)
{
	std::vector<Buses> buses(kWorkers, Buses(frames));
	std::vector<std::thread> workers;
	for (size_t w = 0; w < kWorkers; ++w)
	{
		workers.emplace_back(
		    [&notes, &buses, w]
		    {
			    for (size_t i = w; i < notes.size(); i += kWorkers)
			    {
				    MixNote(notes[i], buses[w]);
			    }
		    });
	}
	for (std::thread& worker : workers)
	{
		worker.join();
	}
	for (size_t w = 1; w < kWorkers; ++w)
	{
		for (size_t i = 0; i < frames; ++i)
		{
			buses[0].dry.left[i] += buses[w].dry.left[i];
			buses[0].dry.right[i] += buses[w].dry.right[i];
			buses[0].send[i] += buses[w].send[i];
		}
	}
	StereoBuffer mix = std::move(buses[0].dry);
	AddLoopedReverb(buses[0].send, mix, Reverb::Settings{});
	return mix;
}

MasterLevels Master(StereoBuffer& audio, double targetLufs, double ceilingDb)
{
	MasterLevels levels;
	const double loudness = IntegratedLoudness(audio);
	const double peakDb = ToDecibels(TruePeak(audio));
	levels.gainDb = std::min(targetLufs - loudness, ceilingDb - peakDb);
	const float gain = static_cast<float>(FromDecibels(levels.gainDb));
	for (size_t i = 0; i < audio.Frames(); ++i)
	{
		audio.left[i] *= gain;
		audio.right[i] *= gain;
	}
	levels.loudness = loudness + levels.gainDb;
	levels.truePeakDb = peakDb + levels.gainDb;
	return levels;
}
