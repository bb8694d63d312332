#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tools/music/Loudness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vorbis/vorbisfile.h>

namespace fs = std::filesystem;

namespace
{
struct DecodedMusic
{
	int channels = 0;
	long rate = 0;
	std::vector<float> left;
	std::vector<float> right;
};

DecodedMusic Decode(const fs::path& path)
{
	DecodedMusic music;
	OggVorbis_File file;
	if (ov_fopen(path.c_str(), &file) != 0)
	{
		ADD_FAILURE() << "not an Ogg Vorbis file: " << path;
		return music;
	}
	const vorbis_info* info = ov_info(&file, -1);
	music.channels = info->channels;
	music.rate = info->rate;
	for (;;)
	{
		float** samples = nullptr;
		int section = 0;
		const long frames = ov_read_float(&file, &samples, 4096, &section);
		if (frames <= 0)
		{
			EXPECT_EQ(frames, 0) << "decoding stopped on an error";
			break;
		}
		music.left.insert(music.left.end(), samples[0], samples[0] + frames);
		music.right.insert(music.right.end(), samples[music.channels > 1 ? 1 : 0],
		                   samples[music.channels > 1 ? 1 : 0] + frames);
	}
	ov_clear(&file);
	return music;
}

std::vector<char> ReadBytes(const fs::path& path)
{
	std::ifstream file(path, std::ios::binary);
	return std::vector<char>(std::istreambuf_iterator<char>(file), {});
}

double Decibels(double linear)
{
	return 20.0 * std::log10(std::max(linear, 1e-12));
}

fs::path BuiltMusic()
{
	return fs::path(BinaryDir()) / "content/music.ogg";
}

// The largest change from one sample to the next, and of that change, over [first, last).
struct Motion
{
	double step = 0.0;
	double bend = 0.0;
};

Motion MotionOver(const std::vector<float>& samples, size_t first, size_t last)
{
	Motion motion;
	for (size_t i = first + 2; i < last; ++i)
	{
		const double step = samples[i] - samples[i - 1];
		const double previous = samples[i - 1] - samples[i - 2];
		motion.step = std::max(motion.step, std::fabs(step));
		motion.bend = std::max(motion.bend, std::fabs(step - previous));
	}
	return motion;
}

class MusicFile : public testing::Test
{
protected:
	static void SetUpTestSuite() { music = new DecodedMusic(Decode(BuiltMusic())); }
	static void TearDownTestSuite()
	{
		delete music;
		music = nullptr;
	}

	static DecodedMusic* music;
};

DecodedMusic* MusicFile::music = nullptr;

TEST_F(MusicFile, IsTwoToThreeMinutesOfCdStereoUnderFourMegabytes)
{
	EXPECT_EQ(music->channels, 2);
	EXPECT_EQ(music->rate, 44100);
	const double seconds = static_cast<double>(music->left.size()) / 44100.0;
	EXPECT_GE(seconds, 120.0);
	EXPECT_LE(seconds, 180.0);
	EXPECT_LE(fs::file_size(BuiltMusic()), 4u * 1024 * 1024);
}

TEST_F(MusicFile, HasHeadroomAndASteadyLevelWithoutSilentGaps)
{
	double peak = 0.0;
	double energy = 0.0;
	size_t silentRun = 0;
	size_t longestSilence = 0;
	for (size_t i = 0; i < music->left.size(); ++i)
	{
		const double l = music->left[i];
		const double r = music->right[i];
		peak = std::max({peak, std::fabs(l), std::fabs(r)});
		energy += l * l + r * r;
		// Below half a step of 16-bit output is digital silence.
		silentRun = (std::fabs(l) < 1.0 / 65536 && std::fabs(r) < 1.0 / 65536) ? silentRun + 1 : 0;
		longestSilence = std::max(longestSilence, silentRun);
	}
	const double rms = std::sqrt(energy / (2.0 * music->left.size()));
	EXPECT_LT(Decibels(peak), -1.0);
	EXPECT_GT(Decibels(rms), -26.0);
	EXPECT_LT(Decibels(rms), -14.0);
	EXPECT_LT(longestSilence, 44100u / 2);
}

// The level the mixer aimed at survives the codec: about -16 LUFS, true peaks under -1 dBTP.
TEST_F(MusicFile, KeepsItsLoudnessAndTruePeakThroughTheCodec)
{
	StereoBuffer audio;
	audio.left = music->left;
	audio.right = music->right;
	EXPECT_NEAR(IntegratedLoudness(audio), -16.0, 0.5);
	EXPECT_LT(ToDecibels(TruePeak(audio)), -1.0);
}

// When the player jumps from the last sample back to the first, the wave must carry on as it
// does anywhere else: no step and no kink much larger than those within the 10 ms either side.
// The rendered loop is seamless to the sample; the codec, which sees no audio before the first
// sample or after the last, adds coding noise of about the size of the wave's own kinks there,
// so the bound is three times the local motion. A cut note or a reverb tail dropped at the loop point
// would be ten times that and more.
TEST_F(MusicFile, EndJoinsTheStartWithoutAJump)
{
	constexpr size_t kWindow = 441;
	constexpr double kCodecAllowance = 3.0;
	for (const std::vector<float>* channel : {&music->left, &music->right})
	{
		const std::vector<float>& s = *channel;
		ASSERT_GT(s.size(), 2 * kWindow);
		const size_t n = s.size();
		const Motion end = MotionOver(s, n - kWindow, n);
		const Motion start = MotionOver(s, 0, kWindow);
		const double usualStep = std::max(end.step, start.step);
		const double usualBend = std::max(end.bend, start.bend);

		const double seamStep = s[0] - s[n - 1];
		const double stepBefore = s[n - 1] - s[n - 2];
		const double stepAfter = s[1] - s[0];
		EXPECT_LE(std::fabs(seamStep), usualStep * kCodecAllowance);
		EXPECT_LE(std::fabs(seamStep - stepBefore), usualBend * kCodecAllowance);
		EXPECT_LE(std::fabs(stepAfter - seamStep), usualBend * kCodecAllowance);
		// And the level on both sides is alike: no fade-out meets a full start.
		double endEnergy = 0.0;
		double startEnergy = 0.0;
		for (size_t i = 0; i < kWindow; ++i)
		{
			endEnergy += s[n - kWindow + i] * s[n - kWindow + i];
			startEnergy += s[i] * s[i];
		}
		EXPECT_NEAR(Decibels(std::sqrt(endEnergy)), Decibels(std::sqrt(startEnergy)), 6.0);
	}
}

TEST(MusicRender, IsByteForByteRepeatableAndCopiedIntoTheArchiveFolder)
{
	TempDir temp;
	const std::string tool = BinaryDir() + "/tools/music/gh_music";
	for (const char* name : {"first.ogg", "second.ogg"})
	{
		const ProcessResult result = RunProcess({tool, (temp.Path() / name).string(), "--seconds", "8"});
		ASSERT_EQ(result.exitCode, 0) << result.output;
	}
	const std::vector<char> first = ReadBytes(temp.Path() / "first.ogg");
	EXPECT_GT(first.size(), 10000u);
	EXPECT_EQ(first, ReadBytes(temp.Path() / "second.ogg"));

	EXPECT_EQ(ReadBytes(BuiltMusic()), ReadBytes(fs::path(BinaryDir()) / "content/primary/Music/music.ogg"));
}

TEST(MusicRender, RefusesBadArguments)
{
	const std::string tool = BinaryDir() + "/tools/music/gh_music";
	EXPECT_EQ(RunProcess({tool}).exitCode, 2);
	EXPECT_EQ(RunProcess({tool, "out.ogg", "--seconds", "-3"}).exitCode, 2);
}
} // namespace
