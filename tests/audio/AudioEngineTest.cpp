// The audio adapter over the real audio module, playing through SDL's disk audio driver.
#include "audio/AudioEngine.h"
#include "tests/support/Files.h"

#include "core/LogFile.h"
#include "media/MediaStore.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/audio/OggEncode.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace
{
constexpr int kRate = 44100;
constexpr char kModuleMapping[] = "memfd:glimmer-audio";
constexpr char kDecoderLibrary[] = "libvorbisfile";

std::vector<uint8_t> SineOgg(double seconds, int channels = 2, int rate = kRate)
{
	return EncodeOggVorbis(SineWave(440.0, seconds, 0.5, rate, channels), channels, rate);
}

MediaBlob BlobOf(std::vector<uint8_t>& bytes)
{
	return {bytes.data(), static_cast<uint32_t>(bytes.size())};
}

// The output holds one finished burst of sound, and a little silence after it.
bool OneFinishedBurst(const std::vector<int16_t>& pcm)
{
	const auto bursts = FindBursts(pcm);
	return bursts.size() == 1 && FrameCount(pcm) > bursts[0].end + 4096;
}

TEST(AudioEngine, PlaysTheDecodedMusicFromStartToEnd)
{
	// Stereo at the output rate, and mono at half of it (spread to both sides and resampled).
	for (const auto& [channels, rate] : {std::pair{2, kRate}, std::pair{1, kRate / 2}})
	{
		SCOPED_TRACE(channels);
		DiskAudio disk;
		auto music = SineOgg(1.0, channels, rate);
		AudioEngine engine;
		engine.Init(nullptr);
		ASSERT_EQ(engine.enabled, 1);
		const int index = engine.LoadSampleFromMemory(music.data(), static_cast<uint32_t>(music.size()), 0);
		ASSERT_TRUE(engine.IsSampleLoaded(index));
		engine.PlaySample(index, false);
		disk.WaitFor(OneFinishedBurst);
		engine.Shutdown();

		const auto pcm = disk.Frames();
		const auto bursts = FindBursts(pcm);
		ASSERT_EQ(bursts.size(), 1u);
		EXPECT_NEAR(static_cast<double>(bursts[0].Length()), kRate, 64.0);
		// 440 Hz for one second: 880 sign changes.
		EXPECT_NEAR(LeftZeroCrossings(pcm, bursts[0].begin, bursts[0].end), 880, 6);
		const size_t middle = bursts[0].begin + kRate / 4;
		EXPECT_NEAR(LeftRms(pcm, middle, middle + kRate / 2), 0.5 * 32767 / std::sqrt(2.0), 0.03 * 11585);
		for (size_t frame = bursts[0].begin; frame < bursts[0].end; ++frame)
		{
			ASSERT_EQ(pcm[frame * 2], pcm[frame * 2 + 1]) << frame;
		}
	}
}

// The music start of the saver at the default volume 35 and at 100: the output level follows.
TEST(AudioEngine, MusicVolumeScalesTheOutput)
{
	auto music = SineOgg(0.5);
	double rms[2] = {};
	const float volumes[2] = {100.0f, 35.0f};
	for (int run = 0; run < 2; ++run)
	{
		DiskAudio disk;
		TempDir logDir;
		g_logFile.Open((logDir.Path() / "g.log").string());
		AudioEngine engine;
		engine.StartMusic(nullptr, BlobOf(music), volumes[run]);
		g_logFile.Close();
		EXPECT_EQ(ReadFile(logDir.Path() / "g.log"), "Sound initialized\r\n");
		EXPECT_EQ(engine.volume, static_cast<uint8_t>(volumes[run]));
		EXPECT_EQ(engine.savedVolume, 100);

		// The first buffer may still be mixed at the start volume: measure a second after it.
		const auto pcm = disk.WaitFor(
		    [](const std::vector<int16_t>& pcm)
		    {
			    const auto bursts = FindBursts(pcm);
			    return !bursts.empty() && FrameCount(pcm) > bursts[0].begin + 8192 + kRate;
		    });
		engine.Shutdown();
		const size_t begin = FindBursts(pcm)[0].begin + 8192;
		rms[run] = LeftRms(pcm, begin, begin + kRate);
	}
	ASSERT_GT(rms[0], 10000.0);
	EXPECT_NEAR(rms[1] / rms[0], 0.35, 0.005);
}

TEST(AudioEngine, LoopedSampleRepeatsWithoutAGap)
{
	DiskAudio disk;
	const size_t length = static_cast<size_t>(0.3 * kRate);
	auto music = SineOgg(0.3);
	AudioEngine engine;
	engine.Init(nullptr);
	const int index = engine.LoadSampleFromMemory(music.data(), static_cast<uint32_t>(music.size()), 0);
	engine.PlaySample(index, true);
	const auto pcm = disk.WaitFor(
	    [&](const std::vector<int16_t>& pcm)
	    {
		    const auto bursts = FindBursts(pcm);
		    return !bursts.empty() && FrameCount(pcm) > bursts[0].begin + 4 * length;
	    });
	engine.Shutdown();

	const auto bursts = FindBursts(pcm);
	ASSERT_FALSE(bursts.empty());
	const size_t start = bursts[0].begin;
	EXPECT_GE(bursts[0].Length(), 3 * length) << "the sound stopped instead of repeating";
	for (size_t frame = 0; frame < length * 2; ++frame)
	{
		ASSERT_EQ(pcm[start * 2 + frame], pcm[(start + length) * 2 + frame]) << frame;
		ASSERT_EQ(pcm[start * 2 + frame], pcm[(start + 2 * length) * 2 + frame]) << frame;
	}
}

TEST(AudioEngine, PlayingSampleIsNotRestartedButAFinishedOneIs)
{
	// A slower output, so that the second call surely comes while the sound still plays.
	DiskAudio disk(5);
	auto music = SineOgg(3.0);
	AudioEngine engine;
	engine.Init(nullptr);
	const int index = engine.LoadSampleFromMemory(music.data(), static_cast<uint32_t>(music.size()), 0);
	engine.PlaySample(index, false);
	disk.WaitFor(
	    [](const std::vector<int16_t>& pcm)
	    {
		    const auto bursts = FindBursts(pcm);
		    return !bursts.empty() && FrameCount(pcm) > bursts[0].begin + kRate / 2;
	    });
	engine.PlaySample(index, false);
	disk.WaitFor(OneFinishedBurst);
	engine.PlaySample(index, false);
	const auto pcm = disk.WaitFor(
	    [](const std::vector<int16_t>& pcm)
	    {
		    const auto bursts = FindBursts(pcm);
		    return bursts.size() == 2 && FrameCount(pcm) > bursts[1].end + 4096;
	    });
	engine.Shutdown();

	const auto bursts = FindBursts(pcm);
	ASSERT_EQ(bursts.size(), 2u);
	EXPECT_NEAR(static_cast<double>(bursts[0].Length()), 3 * kRate, 64.0);
	EXPECT_NEAR(static_cast<double>(bursts[1].Length()), 3 * kRate, 64.0);
}

// With the music off the saver never calls the engine: nothing of the module, its decoder or
// SDL's audio is there. While the music plays they are; after the shutdown they are gone again,
// the volume is back at the level found, and no temporary file is left.
TEST(AudioEngine, ModuleIsLoadedOnlyWhileTheMusicPlays)
{
	DiskAudio disk;
	TempDir temporary;
	ScopedEnvironment environment;
	environment.Set("TMPDIR", temporary.Path().string());
	EXPECT_EQ(MappingsContaining(kModuleMapping), 0);
	EXPECT_EQ(MappingsContaining(kDecoderLibrary), 0);
	EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);

	auto music = SineOgg(0.5);
	AudioEngine engine;
	engine.StartMusic(nullptr, BlobOf(music), 35.0f);
	EXPECT_GT(MappingsContaining(kModuleMapping), 0);
	EXPECT_GT(MappingsContaining(kDecoderLibrary), 0);
	EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
	EXPECT_EQ(engine.volume, 35);

	engine.Shutdown();
	EXPECT_EQ(MappingsContaining(kModuleMapping), 0);
	EXPECT_EQ(MappingsContaining(kDecoderLibrary), 0);
	EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
	EXPECT_FALSE(engine.IsLibraryLoaded());
	EXPECT_EQ(engine.enabled, 0);
	EXPECT_EQ(engine.volume, engine.savedVolume);
	EXPECT_TRUE(std::filesystem::is_empty(temporary.Path()));
	// The records went with the module: playing one now is ignored.
	engine.PlaySample(engine.musicSample, true);
	engine.PlaySample(0, true);
}

// A module that cannot be loaded leaves the saver running without music.
TEST(AudioEngine, UnloadableModuleMeansNoMusic)
{
	TempDir logDir;
	g_logFile.Open((logDir.Path() / "g.log").string());
	const uint8_t notALibrary[] = "\x7f"
	                              "ELF but nothing more";
	AudioEngine engine;
	engine.Init(nullptr, notALibrary);
	g_logFile.Close();
	EXPECT_EQ(engine.enabled, 0);
	EXPECT_FALSE(engine.IsLibraryLoaded());
	EXPECT_EQ(ReadFile(logDir.Path() / "g.log"), "Audio module could not be loaded; no music\r\n");

	auto music = SineOgg(0.2);
	const int index = engine.LoadSampleFromMemory(music.data(), static_cast<uint32_t>(music.size()), 0);
	EXPECT_EQ(index, 0);
	EXPECT_FALSE(engine.IsSampleLoaded(index));
	engine.PlaySample(index, true);
	engine.Shutdown();
	EXPECT_EQ(engine.volume, 100);
	EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

// Missing or damaged music: the record is there but not loaded, and playing it does nothing.
TEST(AudioEngine, MissingOrDamagedMusicIsSilent)
{
	DiskAudio disk;
	auto music = SineOgg(0.5);
	std::vector<uint8_t> damaged(music.begin(), music.begin() + 200);
	AudioEngine engine;
	engine.Init(nullptr);
	EXPECT_EQ(engine.LoadSampleFromMemory(nullptr, 0, 0), 0);
	EXPECT_EQ(engine.LoadSampleFromMemory(damaged.data(), static_cast<uint32_t>(damaged.size()), 0), 1);
	EXPECT_FALSE(engine.IsSampleLoaded(0));
	EXPECT_FALSE(engine.IsSampleLoaded(1));
	engine.PlaySample(0, true);
	engine.PlaySample(1, true);
	engine.PlaySample(-1, true);
	engine.PlaySample(7, true);
	// Give the output time to play anything it had been given.
	disk.WaitFor([](const std::vector<int16_t>& pcm) { return FrameCount(pcm) > kRate; });
	engine.Shutdown();
	EXPECT_TRUE(FindBursts(disk.Frames()).empty());
}

// No sound output at all (any error but the missing 3D): the engine turns itself off and its
// shutdown changes nothing. Run in a fresh process, since the module then stays loaded.
TEST(AudioEngineDeathTest, OutputThatCannotOpenDisablesTheEngine)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT(
	    {
		    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
		    AudioEngine engine;
		    engine.Init(nullptr);
		    engine.Shutdown();
		    std::fprintf(stderr, "enabled %d has3D %d loaded %d volume %d audio %u\n", engine.enabled,
		                 engine.has3D, engine.IsLibraryLoaded(), engine.volume, SDL_WasInit(SDL_INIT_AUDIO));
		    std::exit(0);
	    },
	    testing::ExitedWithCode(0), "enabled 0 has3D 1 loaded 1 volume 100 audio 0");
}
} // namespace
