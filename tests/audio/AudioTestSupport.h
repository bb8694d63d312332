#pragma once

#include "tests/support/TempDir.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Environment variables set for one test and put back as they were afterwards.
class ScopedEnvironment
{
public:
	ScopedEnvironment() = default;
	~ScopedEnvironment();
	ScopedEnvironment(const ScopedEnvironment&) = delete;
	ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

	void Set(const std::string& name, const std::string& value);

private:
	std::map<std::string, std::optional<std::string>> saved;
};

// SDL's disk audio driver: whatever the output plays goes to a raw file of interleaved 16-bit
// stereo frames. Each buffer of 1024 frames (23 ms) takes `bufferMilliseconds` to write, so the
// default runs about twenty times faster than real time.
class DiskAudio
{
public:
	explicit DiskAudio(int bufferMilliseconds = 1);

	std::vector<int16_t> Frames() const;
	// Reads the output until `done` holds for it; the test fails after 30 s.
	std::vector<int16_t> WaitFor(const std::function<bool(const std::vector<int16_t>&)>& done) const;

	const TempDir& Dir() const { return dir; }

private:
	TempDir dir;
	ScopedEnvironment environment;
};

// A run of sound in interleaved stereo, in frames: [begin, end).
struct Burst
{
	size_t begin = 0;
	size_t end = 0;
	size_t Length() const { return end - begin; }
};

// Runs of sound on the left channel, split by at least `gap` near-silent frames.
std::vector<Burst> FindBursts(const std::vector<int16_t>& stereo, size_t gap = 512);
double LeftRms(const std::vector<int16_t>& stereo, size_t begin, size_t end);
int LeftZeroCrossings(const std::vector<int16_t>& stereo, size_t begin, size_t end);
size_t FrameCount(const std::vector<int16_t>& stereo);

// How many lines of /proc/self/maps contain `text`.
int MappingsContaining(const std::string& text);
