#include "tools/music/Loudness.h"
#include "tools/music/Mixer.h"
#include "tools/music/Notation.h"

#include <gtest/gtest.h>

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
