#include "tests/audio/AudioTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace
{
constexpr int kSilence = 200;
}

ScopedEnvironment::~ScopedEnvironment()
{
	for (const auto& [name, value] : saved)
	{
		if (value)
		{
			setenv(name.c_str(), value->c_str(), 1);
		}
		else
		{
			unsetenv(name.c_str());
		}
	}
}

void ScopedEnvironment::Set(const std::string& name, const std::string& value)
{
	if (!saved.contains(name))
	{
		const char* old = std::getenv(name.c_str());
		saved[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
	}
	setenv(name.c_str(), value.c_str(), 1);
}

DiskAudio::DiskAudio(int bufferMilliseconds)
{
	environment.Set("SDL_AUDIODRIVER", "disk");
	environment.Set("SDL_DISKAUDIOFILE", (dir.Path() / "output.raw").string());
	environment.Set("SDL_DISKAUDIODELAY", std::to_string(bufferMilliseconds));
}

std::vector<int16_t> DiskAudio::Frames() const
{
	std::ifstream in(dir.Path() / "output.raw", std::ios::binary);
	const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
	std::vector<int16_t> samples(bytes.size() / 4 * 2);
	std::copy_n(bytes.data(), samples.size() * sizeof(int16_t), reinterpret_cast<char*>(samples.data()));
	return samples;
}

std::vector<int16_t> DiskAudio::WaitFor(const std::function<bool(const std::vector<int16_t>&)>& done) const
{
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
	for (;;)
	{
		std::vector<int16_t> frames = Frames();
		if (done(frames))
		{
			return frames;
		}
		if (std::chrono::steady_clock::now() > deadline)
		{
			ADD_FAILURE() << "the audio output never got there; " << FrameCount(frames) << " frames written";
			return frames;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	}
}

size_t FrameCount(const std::vector<int16_t>& stereo)
{
	return stereo.size() / 2;
}

std::vector<Burst> FindBursts(const std::vector<int16_t>& stereo, size_t gap)
{
	std::vector<Burst> bursts;
	for (size_t frame = 0; frame < FrameCount(stereo); ++frame)
	{
		if (std::abs(stereo[frame * 2]) <= kSilence)
		{
			continue;
		}
		if (bursts.empty() || frame - bursts.back().end >= gap)
		{
			bursts.push_back({frame, frame + 1});
		}
		bursts.back().end = frame + 1;
	}
	return bursts;
}

double LeftRms(const std::vector<int16_t>& stereo, size_t begin, size_t end)
{
	double sum = 0.0;
	for (size_t frame = begin; frame < end; ++frame)
	{
		sum += static_cast<double>(stereo[frame * 2]) * stereo[frame * 2];
	}
	return end > begin ? std::sqrt(sum / static_cast<double>(end - begin)) : 0.0;
}

int LeftZeroCrossings(const std::vector<int16_t>& stereo, size_t begin, size_t end)
{
	int crossings = 0;
	for (size_t frame = begin + 1; frame < end; ++frame)
	{
		if ((stereo[(frame - 1) * 2] < 0) != (stereo[frame * 2] < 0))
		{
			++crossings;
		}
	}
	return crossings;
}

int MappingsContaining(const std::string& text)
{
	std::ifstream maps("/proc/self/maps");
	int count = 0;
	for (std::string line; std::getline(maps, line);)
	{
		count += line.find(text) != std::string::npos ? 1 : 0;
	}
	return count;
}
