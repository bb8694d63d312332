#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// The music is rendered at CD rate in two channels of 32-bit floats, full scale 1.0.
inline constexpr int kSampleRate = 44100;

struct StereoBuffer
{
	std::vector<float> left;
	std::vector<float> right;

	StereoBuffer() = default;
	explicit StereoBuffer(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}

	size_t Frames() const { return left.size(); }
};

// A small counter-based random source: the same seed always gives the same numbers, whatever
// order the notes are rendered in.
class Random
{
public:
	explicit Random(uint64_t seed) : state(seed) {}

	uint64_t Next()
	{
		// SplitMix64
		uint64_t z = (state += 0x9E3779B97F4A7C15ull);
		z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
		z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
		return z ^ (z >> 31);
	}
	// Uniform in [0, 1).
	double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
	double Range(double low, double high) { return low + (high - low) * Uniform(); }

private:
	uint64_t state;
};

inline double MidiToFrequency(double midi)
{
	return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}
