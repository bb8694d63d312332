#include "tools/music/Loudness.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double kPi = 3.141592653589793;
constexpr double kAbsoluteGate = -70.0;
constexpr double kRelativeGate = -10.0;
constexpr double kLoudnessOffset = -0.691;
constexpr double kBlockSeconds = 0.4;
constexpr double kStepSeconds = 0.1;

struct Biquad
{
	double b0, b1, b2, a1, a2;
	double z1 = 0.0, z2 = 0.0;

	double Process(double x)
	{
		const double y = b0 * x + z1;
		z1 = b1 * x - a1 * y + z2;
		z2 = b2 * x - a2 * y;
		return y;
	}
};

// The two stages of the K-weighting, derived for any sample rate from the analogue shapes
// behind the 48 kHz coefficients of the recommendation: a +4 dB shelf above about 1.7 kHz
// (the head) and a high-pass around 38 Hz.
Biquad HeadShelf(double rate)
{
	constexpr double f0 = 1681.974450955533;
	constexpr double gainDb = 3.999843853973347;
	constexpr double q = 0.7071752369554196;
	const double k = std::tan(kPi * f0 / rate);
	const double vh = std::pow(10.0, gainDb / 20.0);
	const double vb = std::pow(vh, 0.4996667741545416);
	const double a0 = 1.0 + k / q + k * k;
	return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
	        2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad LowCut(double rate)
{
	constexpr double f0 = 38.13547087602444;
	constexpr double q = 0.5003270373238773;
	const double k = std::tan(kPi * f0 / rate);
	const double a0 = 1.0 + k / q + k * k;
	return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

// The K-weighted energy of one channel summed over each 100 ms step.
std::vector<double> StepEnergies(const std::vector<float>& samples, size_t stepFrames)
{
	Biquad shelf = HeadShelf(kSampleRate);
	Biquad lowCut = LowCut(kSampleRate);
	std::vector<double> energies(samples.size() / stepFrames, 0.0);
	for (size_t i = 0; i < energies.size() * stepFrames; ++i)
	{
		const double weighted = lowCut.Process(shelf.Process(samples[i]));
		energies[i / stepFrames] += weighted * weighted;
	}
	return energies;
}

double BlockLoudness(double meanSquare)
{
	return kLoudnessOffset + 10.0 * std::log10(std::max(meanSquare, 1e-30));
}

// Oversampling by four with a windowed-sinc interpolator of 16 taps per phase; phase 0 falls
// on the samples themselves, the others a quarter, a half and three quarters after them.
constexpr int kOversample = 4;
constexpr int kTapsPerPhase = 16;

std::vector<double> InterpolatorTaps()
{
	const int length = kOversample * kTapsPerPhase;
	const int centre = length / 2;
	std::vector<double> taps(length);
	for (int i = 0; i < length; ++i)
	{
		const double x = static_cast<double>(i - centre) / kOversample;
		const double sinc = i == centre ? 1.0 : std::sin(kPi * x) / (kPi * x);
		const double window =
		    0.42 - 0.5 * std::cos(2.0 * kPi * i / length) + 0.08 * std::cos(4.0 * kPi * i / length);
		taps[i] = sinc * window;
	}
	// Each phase passes a steady level unchanged.
	for (int phase = 0; phase < kOversample; ++phase)
	{
		double sum = 0.0;
		for (int tap = 0; tap < kTapsPerPhase; ++tap)
		{
			sum += taps[tap * kOversample + phase];
		}
		for (int tap = 0; tap < kTapsPerPhase; ++tap)
		{
			taps[tap * kOversample + phase] /= sum;
		}
	}
	return taps;
}

double ChannelTruePeak(const std::vector<float>& samples, const std::vector<double>& taps)
{
	double peak = 0.0;
	const ptrdiff_t count = static_cast<ptrdiff_t>(samples.size());
	if (count == 0)
	{
		return peak;
	}
	for (ptrdiff_t n = 0; n < count; ++n)
	{
		peak = std::max(peak, static_cast<double>(std::fabs(samples[n])));
		for (int phase = 0; phase < kOversample; ++phase)
		{
			double sum = 0.0;
			for (int tap = 0; tap < kTapsPerPhase; ++tap)
			{
				const ptrdiff_t at = ((n - tap + kTapsPerPhase / 2) % count + count) % count;
				sum += samples[at] * taps[tap * kOversample + phase];
			}
			peak = std::max(peak, std::fabs(sum));
		}
	}
	return peak;
}
} // namespace

double ToDecibels(double linear)
{
	return 20.0 * std::log10(std::max(linear, 1e-12));
}
double FromDecibels(double decibels)
{
	return std::pow(10.0, decibels / 20.0);
}

double IntegratedLoudness(const StereoBuffer& audio)
{
	const size_t stepFrames = static_cast<size_t>(kStepSeconds * kSampleRate);
	const size_t stepsPerBlock = static_cast<size_t>(std::lround(kBlockSeconds / kStepSeconds));
	const std::vector<double> left = StepEnergies(audio.left, stepFrames);
	const std::vector<double> right = StepEnergies(audio.right, stepFrames);

	std::vector<double> blocks;
	for (size_t first = 0; first + stepsPerBlock <= left.size(); ++first)
	{
		double energy = 0.0;
		for (size_t s = first; s < first + stepsPerBlock; ++s)
		{
			energy += left[s] + right[s];
		}
		blocks.push_back(energy / static_cast<double>(stepsPerBlock * stepFrames));
	}

	auto gatedMean = [&blocks](double gate)
	{
		double sum = 0.0;
		size_t count = 0;
		for (double block : blocks)
		{
			if (BlockLoudness(block) > gate)
			{
				sum += block;
				++count;
			}
		}
		return count ? sum / static_cast<double>(count) : 0.0;
	};
	const double ungated = gatedMean(kAbsoluteGate);
	if (ungated <= 0.0)
	{
		return kAbsoluteGate;
	}
	const double gated = gatedMean(BlockLoudness(ungated) + kRelativeGate);
	return BlockLoudness(gated);
}

double TruePeak(const StereoBuffer& audio)
{
	const std::vector<double> taps = InterpolatorTaps();
	return std::max(ChannelTruePeak(audio.left, taps), ChannelTruePeak(audio.right, taps));
}
