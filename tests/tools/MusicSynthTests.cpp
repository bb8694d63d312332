#include "tools/music/Instruments.h"
#include "tools/music/Loudness.h"
#include "tools/music/Mixer.h"
#include "tools/music/Notation.h"
#include "tools/music/Reverb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{
constexpr double kPi = 3.141592653589793;

TEST(MusicNotation, CarriesOctaveAndLengthAndReadsAccidentals)
{
	const Melody melody = ParseMelody("c5:0.5 bb4 b r:1.5 | f#:1.5 r:0.5 g", 3);
	ASSERT_EQ(melody.notes.size(), 5u);
	EXPECT_EQ(melody.notes[0].midi, 72);
	EXPECT_EQ(melody.notes[1].midi, 70); // B flat 4
	EXPECT_EQ(melody.notes[2].midi, 71); // B natural, octave carried
	EXPECT_EQ(melody.notes[3].midi, 66);
	EXPECT_EQ(melody.notes[4].midi, 67);
	EXPECT_DOUBLE_EQ(melody.notes[2].beats, 0.5);
	EXPECT_DOUBLE_EQ(melody.notes[3].beat, 3.0); // the rest moved time on
	EXPECT_DOUBLE_EQ(melody.notes[4].beat, 5.0);
	EXPECT_DOUBLE_EQ(melody.notes[4].beats, 0.5);
	EXPECT_DOUBLE_EQ(melody.beats, 5.5);
}

TEST(MusicNotation, RejectsMalformedLinesWithTheirPlace)
{
	EXPECT_THROW(ParseMelody("c4:1 d:1 | e", 3), NotationError); // bar only two beats long
	EXPECT_THROW(ParseMelody("h4", 4), NotationError);
	EXPECT_THROW(ParseMelody("c9", 4), NotationError);
	EXPECT_THROW(ParseMelody("c4:", 4), NotationError);
	EXPECT_THROW(ParseMelody("c4:0", 4), NotationError);
	EXPECT_THROW(ParseMelody("c4:1.2.3", 4), NotationError);
	EXPECT_THROW(ParseMelody("c4:99999999", 4), NotationError);
	EXPECT_THROW(ParseChords("F:4 | Fx:4", 4), NotationError);
	try
	{
		ParseMelody("c4:1 q", 4);
		FAIL();
	}
	catch (const NotationError& error)
	{
		EXPECT_STREQ(error.what(), "'q' at 5: not a note");
	}
}

TEST(MusicNotation, ChordsHoldWhenRepeatedAndKnowTheirQualities)
{
	const ChordLine line = ParseChords("F:4 | F | Bb:2 C7:2 | Dm7:3 Gsus4:1 |", 4);
	ASSERT_EQ(line.chords.size(), 5u);
	EXPECT_DOUBLE_EQ(line.chords[0].beats, 8.0);
	EXPECT_EQ(line.chords[1].root, 10);
	EXPECT_EQ(line.chords[2].intervals, (std::vector<int>{0, 4, 7, 10}));
	EXPECT_EQ(line.chords[3].root, 2);
	EXPECT_EQ(line.chords[3].intervals, (std::vector<int>{0, 3, 7, 10}));
	EXPECT_EQ(line.chords[4].intervals, (std::vector<int>{0, 5, 7}));
	EXPECT_DOUBLE_EQ(line.beats, 16.0);
}

StereoBuffer Sine(double frequency, double amplitude, double seconds, double phase = 0.0)
{
	StereoBuffer audio(static_cast<size_t>(seconds * kSampleRate));
	for (size_t i = 0; i < audio.Frames(); ++i)
	{
		const float value =
		    static_cast<float>(amplitude * std::sin(2.0 * kPi * frequency * i / kSampleRate + phase));
		audio.left[i] = value;
		audio.right[i] = value;
	}
	return audio;
}

StereoBuffer Joined(const StereoBuffer& first, const StereoBuffer& second)
{
	StereoBuffer joined = first;
	joined.left.insert(joined.left.end(), second.left.begin(), second.left.end());
	joined.right.insert(joined.right.end(), second.right.begin(), second.right.end());
	return joined;
}

// A 1 kHz tone at -20 dBFS in both channels measures -20 LUFS; the gates keep silence and
// much quieter passages out of the figure.
TEST(MusicLoudness, MeasuresTonesAndGatesQuietParts)
{
	const StereoBuffer tone = Sine(997.0, 0.1, 8.0);
	EXPECT_NEAR(IntegratedLoudness(tone), -20.0, 0.1);
	EXPECT_NEAR(IntegratedLoudness(Joined(tone, StereoBuffer(10 * kSampleRate))), -20.0, 0.1);
	EXPECT_NEAR(IntegratedLoudness(Joined(tone, Sine(997.0, 0.01, 8.0))), -20.0, 0.1);
	EXPECT_LE(IntegratedLoudness(StereoBuffer(5 * kSampleRate)), -70.0);
	// The head shelf makes high tones count for more, the low cut low ones for less.
	EXPECT_GT(IntegratedLoudness(Sine(4000.0, 0.1, 4.0)), -17.0);
	EXPECT_LT(IntegratedLoudness(Sine(30.0, 0.1, 4.0)), -21.0);
}

// A quarter-rate sine sampled off its crests: every sample is at 0.707 of the real peak.
TEST(MusicLoudness, TruePeakFindsCrestsBetweenSamples)
{
	const StereoBuffer audio = Sine(kSampleRate / 4.0, 0.5, 1.0, kPi / 4.0);
	EXPECT_NEAR(ToDecibels(TruePeak(audio)), ToDecibels(0.5), 0.1);

	// Buffers shorter than the interpolator, or empty, are measured, not overrun.
	StereoBuffer blip(3);
	blip.right[1] = -0.25f;
	EXPECT_GE(TruePeak(blip), 0.25);
	EXPECT_EQ(TruePeak(StereoBuffer()), 0.0);
	EXPECT_LE(IntegratedLoudness(StereoBuffer()), -70.0);
}

// The strength of one frequency in a mono signal (Goertzel), as an RMS-like amplitude.
double ToneLevel(const std::vector<float>& samples, double frequency)
{
	const double w = 2.0 * kPi * frequency / kSampleRate;
	const double coefficient = 2.0 * std::cos(w);
	double s1 = 0.0;
	double s2 = 0.0;
	for (float sample : samples)
	{
		const double s0 = sample + coefficient * s1 - s2;
		s2 = s1;
		s1 = s0;
	}
	const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
	return std::sqrt(power) / static_cast<double>(samples.size());
}

// Every player's note begins and ends at rest, so none clicks in or out, and stays in range.
TEST(MusicInstruments, NotesRiseFromAndFallBackToSilence)
{
	for (Instrument instrument :
	     {Instrument::Celesta, Instrument::MusicBox, Instrument::Glockenspiel, Instrument::Bell,
	      Instrument::Harp, Instrument::Strings, Instrument::Bass, Instrument::SleighBells})
	{
		NoteEvent note;
		note.instrument = instrument;
		note.held = 0.7;
		note.midi = instrument == Instrument::Bass ? 41.0 : 69.0;
		note.seed = 7;
		const std::vector<float> sound = RenderNote(note);
		ASSERT_GT(sound.size(), 1000u) << static_cast<int>(instrument);
		EXPECT_LT(std::fabs(sound.front()), 1e-3f) << static_cast<int>(instrument);
		EXPECT_LT(std::fabs(sound.back()), 1e-3f) << static_cast<int>(instrument);
		const float loudest = std::fabs(*std::max_element(
		    sound.begin(), sound.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
		EXPECT_GT(loudest, 0.01f) << static_cast<int>(instrument);
		EXPECT_LT(loudest, 3.0f) << static_cast<int>(instrument);
	}
}

// A top note of the music box would have its bright upper partial above the Nyquist
// frequency; it must be left out, not folded back into the audible band.
TEST(MusicInstruments, HighNotesDoNotAlias)
{
	NoteEvent note;
	note.instrument = Instrument::MusicBox;
	note.midi = 108.0; // C8, 4186 Hz: its 6.27 partial would sit at 26.2 kHz
	const std::vector<float> sound = RenderNote(note);
	const double fundamental = ToneLevel(sound, 4186.0);
	const double folded = ToneLevel(sound, kSampleRate - 4186.0 * 6.27);
	EXPECT_GT(fundamental, 0.0);
	EXPECT_LT(folded, fundamental * 1e-3);
}

// The loop relies on the room falling silent well within the ten seconds it is primed with.
TEST(MusicReverb, TailDiesAwayWithinSeconds)
{
	Reverb reverb;
	reverb.Init(Reverb::Settings{});
	double early = 0.0;
	double late = 0.0;
	for (size_t i = 0; i < 7 * kSampleRate; ++i)
	{
		float left = 0.0f;
		float right = 0.0f;
		reverb.Process(i < 100 ? 1.0f : 0.0f, left, right);
		const double energy = left * left + right * right;
		if (i < kSampleRate / 2)
		{
			early += energy;
		}
		else if (i >= 6 * kSampleRate)
		{
			late += energy;
		}
	}
	EXPECT_GT(early, 0.0);
	EXPECT_LT(10.0 * std::log10(late / early), -80.0);
}

// A note struck just before the end of the loop rings on over its start, and the room around
// it does too: nothing is cut at the loop point.
TEST(MusicMixer, SoundPastTheEndOfTheLoopWrapsToItsStart)
{
	NoteEvent bell;
	bell.instrument = Instrument::Bell;
	bell.start = 1.9;
	bell.held = 0.5;
	bell.midi = 72.0;
	const StereoBuffer loop = RenderLoop({bell}, 2 * kSampleRate);

	double startEnergy = 0.0;
	for (size_t i = 0; i < kSampleRate / 2; ++i)
	{
		startEnergy += loop.left[i] * loop.left[i];
	}
	EXPECT_GT(startEnergy / (kSampleRate / 2), 1e-3);

	// Across the seam the wave moves no faster than anywhere near it.
	double largestStep = 0.0;
	const size_t frames = loop.Frames();
	for (size_t i = 1; i < 400; ++i)
	{
		largestStep = std::max(largestStep, static_cast<double>(std::fabs(loop.left[i] - loop.left[i - 1])));
		largestStep = std::max(
		    largestStep, static_cast<double>(std::fabs(loop.left[frames - i] - loop.left[frames - i - 1])));
	}
	EXPECT_LE(std::fabs(loop.left[0] - loop.left.back()), largestStep * 1.01);
}

TEST(MusicMixer, MasterMeetsLoudnessUnlessPeaksForbid)
{
	StereoBuffer quiet = Sine(997.0, 0.01, 4.0);
	MasterLevels levels = Master(quiet, -16.0, -1.0);
	EXPECT_NEAR(levels.loudness, -16.0, 0.01);
	EXPECT_NEAR(IntegratedLoudness(quiet), -16.0, 0.1);

	// A lone click over near silence would need more gain than its peak allows.
	StereoBuffer click = Sine(997.0, 0.001, 4.0);
	click.left[1000] = 0.5f;
	levels = Master(click, -16.0, -1.0);
	EXPECT_NEAR(levels.truePeakDb, -1.0, 0.01);
	EXPECT_LE(ToDecibels(TruePeak(click)), -0.99);
}
} // namespace
