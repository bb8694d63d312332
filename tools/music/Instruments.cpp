#include "tools/music/Instruments.h"

#include "tools/music/Audio.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <mutex>
#include <span>

namespace
{
constexpr double kTwoPi = 6.283185307179586;
// Partials above this are left out; those near it are faded, so the top stays soft.
constexpr double kHighestPartial = 15000.0;
constexpr double kPartialFadeWidth = 4000.0;
// Below this level (relative to the start) a ringing note is finished.
constexpr double kRingOutDecays = 6.9; // e^-6.9 is about -60 dB

struct Partial
{
	double ratio; // to the fundamental
	double amplitude;
	double decay; // seconds to fall to 1/e, at A4; lower notes ring longer
};

struct StruckTimbre
{
	std::span<const Partial> partials;
	double attack;  // seconds
	double release; // seconds after the key is let go, for damped instruments
	double longest; // seconds a note may ring at most
	bool damped;
	double level; // evens out how loud the instruments sound at the same velocity
};

constexpr Partial kCelestaPartials[] = {
    {1.0, 1.0, 1.6}, {2.0, 0.16, 0.8}, {3.0, 0.04, 0.45}, {4.0, 0.08, 0.3}, {8.2, 0.015, 0.04},
};
constexpr Partial kMusicBoxPartials[] = {
    {1.0, 1.0, 2.0},
    {2.005, 0.07, 1.0},
    {6.27, 0.12, 0.16},
    {17.55, 0.03, 0.05},
};
constexpr Partial kGlockenspielPartials[] = {
    {1.0, 1.0, 2.2},
    {2.76, 0.22, 0.5},
    {5.40, 0.08, 0.2},
    {8.93, 0.03, 0.08},
};
constexpr Partial kBellPartials[] = {
    {0.5, 0.22, 4.0}, {1.0, 1.0, 3.0},   {1.19, 0.28, 2.0}, {1.5, 0.2, 1.6},
    {2.0, 0.3, 1.2},  {2.74, 0.08, 0.6}, {3.0, 0.06, 0.5},
};
constexpr Partial kHarpPartials[] = {
    {1.0, 1.0, 1.1}, {2.0, 0.3, 0.6}, {3.0, 0.12, 0.4}, {4.0, 0.06, 0.25}, {5.0, 0.03, 0.18},
};
constexpr Partial kBassPartials[] = {
    {1.0, 1.0, 2.4},
    {2.0, 0.28, 1.2},
    {3.0, 0.08, 0.6},
    {4.0, 0.03, 0.4},
};

constexpr StruckTimbre kCelesta = {kCelestaPartials, 0.002, 0.5, 4.0, true, 1.0};
constexpr StruckTimbre kMusicBox = {kMusicBoxPartials, 0.0015, 0.0, 3.0, false, 0.7};
constexpr StruckTimbre kGlockenspiel = {kGlockenspielPartials, 0.002, 0.0, 3.5, false, 1.0};
constexpr StruckTimbre kBell = {kBellPartials, 0.003, 0.0, 6.0, false, 1.0};
constexpr StruckTimbre kHarp = {kHarpPartials, 0.004, 0.0, 2.5, false, 1.0};
constexpr StruckTimbre kBass = {kBassPartials, 0.012, 0.15, 4.0, true, 1.0};

size_t SecondsToFrames(double seconds)
{
	return static_cast<size_t>(std::max(0.0, seconds) * kSampleRate);
}

// 0 at the start of the ramp, 1 at its end, with no corner at either end.
double RaisedCosine(double t)
{
	return 0.5 - 0.5 * std::cos(std::clamp(t, 0.0, 1.0) * kTwoPi * 0.5);
}

double PartialFade(double frequency)
{
	return std::clamp((kHighestPartial - frequency) / kPartialFadeWidth, 0.0, 1.0);
}

// Attack and release ramps shared by every instrument.
void ApplyEnvelope(std::vector<float>& samples, double attack, double releaseStart, double release)
{
	const size_t attackFrames = std::max<size_t>(1, SecondsToFrames(attack));
	for (size_t i = 0; i < std::min(attackFrames, samples.size()); ++i)
	{
		samples[i] *= static_cast<float>(RaisedCosine(static_cast<double>(i) / attackFrames));
	}
	const size_t releaseFrom = std::min(SecondsToFrames(releaseStart), samples.size());
	const size_t releaseFrames = std::max<size_t>(1, SecondsToFrames(release));
	for (size_t i = releaseFrom; i < samples.size(); ++i)
	{
		samples[i] *=
		    static_cast<float>(1.0 - RaisedCosine(static_cast<double>(i - releaseFrom) / releaseFrames));
	}
}

// A decaying sine per partial, stepped by one complex multiplication per sample.
void AddPartial(std::vector<float>& samples, double frequency, double amplitude, double decay)
{
	const double w = kTwoPi * frequency / kSampleRate;
	const double r = std::exp(-1.0 / (decay * kSampleRate));
	const double stepRe = r * std::cos(w);
	const double stepIm = r * std::sin(w);
	double re = amplitude;
	double im = 0.0;
	for (float& sample : samples)
	{
		sample += static_cast<float>(im);
		const double nextRe = re * stepRe - im * stepIm;
		im = re * stepIm + im * stepRe;
		re = nextRe;
	}
}

std::vector<float> RenderStruck(const StruckTimbre& timbre, double frequency, double held, float velocity)
{
	// Low notes ring longer than high ones, as on any struck bar or string.
	const double decayScale = std::pow(440.0 / frequency, 0.35);
	double ring = 0.0;
	for (const Partial& partial : timbre.partials)
	{
		ring = std::max(ring, partial.decay * decayScale * kRingOutDecays);
	}
	ring = std::min(ring, timbre.longest);
	const double releaseStart = timbre.damped ? std::min(held, ring) : ring - 0.05;
	const double release = timbre.damped ? timbre.release : 0.05;
	std::vector<float> samples(SecondsToFrames(releaseStart + release));

	for (const Partial& partial : timbre.partials)
	{
		const double partialFrequency = frequency * partial.ratio;
		// A soft touch is darker: upper partials answer velocity more than the fundamental.
		const double brightness = std::pow(velocity, 0.5 * std::max(0.0, std::log2(partial.ratio)));
		const double amplitude = partial.amplitude * brightness * PartialFade(partialFrequency);
		if (amplitude > 0.0)
		{
			AddPartial(samples, partialFrequency, amplitude * velocity * timbre.level,
			           partial.decay * decayScale);
		}
	}
	ApplyEnvelope(samples, timbre.attack, releaseStart, release);
	return samples;
}

// Sleigh bells: a shake is a handful of small jingles, each a few inharmonic high partials,
// scattered over a few tens of milliseconds.
std::vector<float> RenderSleighBells(float velocity, uint64_t seed)
{
	Random random(seed);
	std::vector<float> samples(SecondsToFrames(0.35));
	const int jingles = 8 + static_cast<int>(random.Uniform() * 6);
	for (int j = 0; j < jingles; ++j)
	{
		const double onset = 0.045 * random.Uniform() * random.Uniform();
		const double base = random.Range(2600.0, 5200.0);
		std::array<Partial, 3> partials = {{
		    {1.0, 1.0, random.Range(0.03, 0.08)},
		    {random.Range(1.4, 1.6), 0.6, random.Range(0.02, 0.05)},
		    {random.Range(2.1, 2.5), 0.35, random.Range(0.015, 0.035)},
		}};
		const StruckTimbre jingle = {partials, 0.0008, 0.0, 0.3, false, 1.0};
		const std::vector<float> sound = RenderStruck(jingle, base, 0.0, 1.0f);
		const size_t offset = SecondsToFrames(onset);
		const float gain = velocity * static_cast<float>(random.Range(0.4, 1.0)) / jingles;
		for (size_t i = 0; i < sound.size() && offset + i < samples.size(); ++i)
		{
			samples[offset + i] += gain * sound[i];
		}
	}
	ApplyEnvelope(samples, 0.0005, 0.3, 0.05);
	return samples;
}

// One cycle of a soft, band-limited sawtooth: only harmonics below the top, rolled off
// gently above a couple of kilohertz so the strings stay warm.
constexpr int kTableSize = 4096;
constexpr double kStringsTop = 8000.0;
constexpr double kStringsWarmth = 2200.0;

std::vector<float> BuildStringsTable(int midi)
{
	const double fundamental = MidiToFrequency(midi + 0.5); // room for detuning
	std::vector<double> cycle(kTableSize, 0.0);
	for (int harmonic = 1; harmonic * fundamental < kStringsTop; ++harmonic)
	{
		const double f = harmonic * fundamental;
		const double amplitude = (1.0 / harmonic) / std::sqrt(1.0 + std::pow(f / kStringsWarmth, 4.0));
		for (int i = 0; i < kTableSize; ++i)
		{
			cycle[i] += amplitude * std::sin(kTwoPi * harmonic * i / kTableSize);
		}
	}
	return std::vector<float>(cycle.begin(), cycle.end());
}

const std::vector<float>& StringsTable(int midi)
{
	static std::mutex lock;
	static std::map<int, std::vector<float>> tables;
	const std::lock_guard<std::mutex> guard(lock);
	auto found = tables.find(midi);
	if (found == tables.end())
	{
		found = tables.emplace(midi, BuildStringsTable(midi)).first;
	}
	return found->second;
}

// Two slightly detuned bows on one note, with a slow, late vibrato.
std::vector<float> RenderStrings(double midi, double held, float velocity, uint64_t seed)
{
	constexpr double kAttack = 0.35;
	constexpr double kRelease = 0.8;
	constexpr double kVibratoRate = 4.7;
	constexpr double kVibratoDepth = 0.0012;
	Random random(seed);
	const std::vector<float>& table = StringsTable(static_cast<int>(std::floor(midi)));
	std::vector<float> samples(SecondsToFrames(held + kRelease));
	for (double detuneCents : {-5.0, 5.0})
	{
		const double frequency = MidiToFrequency(midi + (detuneCents + random.Range(-1.5, 1.5)) / 100.0);
		double phase = random.Uniform();
		const double vibratoPhase = random.Uniform() * kTwoPi;
		for (size_t i = 0; i < samples.size(); ++i)
		{
			const double t = static_cast<double>(i) / kSampleRate;
			const double vibrato =
			    kVibratoDepth * RaisedCosine(t - 0.4) * std::sin(kTwoPi * kVibratoRate * t + vibratoPhase);
			const double position = phase * kTableSize;
			const size_t index = static_cast<size_t>(position);
			const double fraction = position - index;
			const float a = table[index % kTableSize];
			const float b = table[(index + 1) % kTableSize];
			samples[i] += static_cast<float>(0.5 * velocity * (a + (b - a) * fraction));
			phase += frequency * (1.0 + vibrato) / kSampleRate;
			phase -= std::floor(phase);
		}
	}
	ApplyEnvelope(samples, kAttack, held, kRelease);
	return samples;
}

const StruckTimbre& TimbreOf(Instrument instrument)
{
	switch (instrument)
	{
	case Instrument::MusicBox:
		return kMusicBox;
	case Instrument::Glockenspiel:
		return kGlockenspiel;
	case Instrument::Bell:
		return kBell;
	case Instrument::Harp:
		return kHarp;
	case Instrument::Bass:
		return kBass;
	default:
		return kCelesta;
	}
}
} // namespace

std::vector<float> RenderNote(const NoteEvent& note)
{
	switch (note.instrument)
	{
	case Instrument::Strings:
		return RenderStrings(note.midi, note.held, note.velocity, note.seed);
	case Instrument::SleighBells:
		return RenderSleighBells(note.velocity, note.seed);
	default:
		return RenderStruck(TimbreOf(note.instrument), MidiToFrequency(note.midi), note.held, note.velocity);
	}
}

float ReverbSend(Instrument instrument)
{
	switch (instrument)
	{
	case Instrument::Celesta:
		return 0.35f;
	case Instrument::MusicBox:
		return 0.4f;
	case Instrument::Glockenspiel:
		return 0.45f;
	case Instrument::Bell:
		return 0.55f;
	case Instrument::Harp:
		return 0.35f;
	case Instrument::Strings:
		return 0.3f;
	case Instrument::Bass:
		return 0.06f;
	case Instrument::SleighBells:
		return 0.3f;
	}
	return 0.0f;
}
