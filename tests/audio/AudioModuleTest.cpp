// The audio module on its own: how it is written out and loaded, what it answers to bad calls,
// and its mixer.
#include "audio/module/AudioModuleApi.h"
#include "audio/module/Mixer.h"
#include "core/LibraryImage.h"
#include "resources/Resources.h"
#include "tests/audio/AudioTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{
std::span<const uint8_t> ModuleImage()
{
	return Resources::Find("bass", 138);
}

template <typename Function> Function EntryPoint(void* library, const char* name)
{
	return reinterpret_cast<Function>(Sys_LibrarySymbol(library, name));
}

TEST(AudioModuleImage, LoadsFromMemoryOrATemporaryFileAndLeavesNoFile)
{
	ASSERT_GT(ModuleImage().size(), 1000u);
	TempDir temporary;
	ScopedEnvironment environment;
	environment.Set("TMPDIR", temporary.Path().string());

	for (const auto where : {LibraryImageFile::Memory, LibraryImageFile::Temporary})
	{
		void* library = Sys_LoadLibraryImageFrom(where, ModuleImage());
		ASSERT_NE(library, nullptr);
		const auto getVolume = EntryPoint<decltype(&GhAudio_GetVolume)>(library, "GhAudio_GetVolume");
		ASSERT_NE(getVolume, nullptr);
		EXPECT_EQ(getVolume(), 100u);
		EXPECT_TRUE(std::filesystem::is_empty(temporary.Path()));
		Sys_FreeLibrary(library);
	}

	const uint8_t junk[] = "not a shared library at all";
	EXPECT_EQ(Sys_LoadLibraryImageFrom(LibraryImageFile::Temporary, junk), nullptr);
	EXPECT_EQ(Sys_LoadLibraryImage(junk), nullptr);
	EXPECT_EQ(Sys_LoadLibraryImage({}), nullptr);
	EXPECT_TRUE(std::filesystem::is_empty(temporary.Path()));

	environment.Set("TMPDIR", (temporary.Path() / "missing").string());
	EXPECT_EQ(Sys_LoadLibraryImageFrom(LibraryImageFile::Temporary, ModuleImage()), nullptr);
}

// Calls the module refuses, each with its documented error code, without touching any output.
TEST(AudioModuleImage, RefusedCallsReportTheirErrorCode)
{
	void* library = Sys_LoadLibraryImage(ModuleImage());
	ASSERT_NE(library, nullptr);
	const auto errorCode = EntryPoint<decltype(&GhAudio_ErrorGetCode)>(library, "GhAudio_ErrorGetCode");
	const auto init = EntryPoint<decltype(&GhAudio_Init)>(library, "GhAudio_Init");
	const auto setVolume = EntryPoint<decltype(&GhAudio_SetVolume)>(library, "GhAudio_SetVolume");
	const auto sampleLoad = EntryPoint<decltype(&GhAudio_SampleLoad)>(library, "GhAudio_SampleLoad");
	const auto isActive = EntryPoint<decltype(&GhAudio_ChannelIsActive)>(library, "GhAudio_ChannelIsActive");
	const auto streamFree = EntryPoint<decltype(&GhAudio_StreamFree)>(library, "GhAudio_StreamFree");
	const auto start = EntryPoint<decltype(&GhAudio_Start)>(library, "GhAudio_Start");
	const auto free = EntryPoint<decltype(&GhAudio_Free)>(library, "GhAudio_Free");
	const auto apply3D = EntryPoint<decltype(&GhAudio_Apply3D)>(library, "GhAudio_Apply3D");

	EXPECT_EQ(init(2, 44100, kAudioInit3D, nullptr, nullptr), 0);
	EXPECT_EQ(errorCode(), kAudioErrorDevice);
	EXPECT_EQ(init(kAudioDefaultDevice, 1000, 0, nullptr, nullptr), 0);
	EXPECT_EQ(errorCode(), kAudioErrorParameter);
	const uint8_t bytes[16] = {};
	EXPECT_EQ(sampleLoad(true, bytes, 0, sizeof(bytes), 1, 0), 0u);
	EXPECT_EQ(errorCode(), kAudioErrorInit);
	EXPECT_EQ(start(), 0);
	EXPECT_EQ(errorCode(), kAudioErrorInit);
	EXPECT_EQ(free(), 0);
	EXPECT_EQ(errorCode(), kAudioErrorInit);
	EXPECT_EQ(setVolume(101), 0);
	EXPECT_EQ(errorCode(), kAudioErrorParameter);
	EXPECT_EQ(isActive(0x20000001u), kAudioChannelStopped);
	EXPECT_EQ(errorCode(), kAudioErrorHandle);
	EXPECT_EQ(streamFree(1), 0);
	EXPECT_EQ(errorCode(), kAudioErrorHandle);
	EXPECT_EQ(apply3D(), 1);
	EXPECT_EQ(errorCode(), kAudioOk);
	Sys_FreeLibrary(library);
}

std::vector<int16_t> Ramp(size_t frames, int16_t step)
{
	std::vector<int16_t> stereo;
	for (size_t i = 0; i < frames; ++i)
	{
		stereo.push_back(static_cast<int16_t>(step * static_cast<int16_t>(i + 1)));
		stereo.push_back(static_cast<int16_t>(-step * static_cast<int16_t>(i + 1)));
	}
	return stereo;
}

std::vector<int16_t> MixFrames(Mixer& mixer, size_t frames)
{
	std::vector<int16_t> out(frames * 2, 123);
	mixer.Mix(out.data(), frames);
	return out;
}

TEST(AudioMixer, LoopFlagOfTheSampleCountsEvenWhenSetAfterTheStart)
{
	Mixer mixer;
	const uint32_t sample = mixer.AddSample(Ramp(3, 10), 1, 0);
	const uint32_t channel = mixer.ChannelForSample(sample, false);
	mixer.Play(*mixer.FindChannel(channel), true);
	mixer.FindSample(sample)->flags = kAudioLoop;
	EXPECT_EQ(MixFrames(mixer, 4), (std::vector<int16_t>{10, -10, 20, -20, 30, -30, 10, -10}));
	EXPECT_TRUE(mixer.FindChannel(channel)->playing);

	mixer.FindSample(sample)->flags = 0;
	EXPECT_EQ(MixFrames(mixer, 4), (std::vector<int16_t>{20, -20, 30, -30, 0, 0, 0, 0}));
	EXPECT_FALSE(mixer.FindChannel(channel)->playing);
}

TEST(AudioMixer, VolumeScalesAndTheSumIsClipped)
{
	Mixer mixer;
	const uint32_t loud = mixer.AddSample({30000, -30000}, 1, 0);
	const uint32_t quiet = mixer.AddSample({1000, -1000}, 1, 0);
	mixer.Play(*mixer.FindChannel(mixer.ChannelForSample(loud, false)), true);
	mixer.Play(*mixer.FindChannel(mixer.ChannelForSample(quiet, false)), true);
	mixer.volume = 100;
	EXPECT_EQ(MixFrames(mixer, 1), (std::vector<int16_t>{31000, -31000}));
	for (uint32_t volume : {35u, 0u})
	{
		mixer.volume = volume;
		for (uint32_t sample : {loud, quiet})
		{
			mixer.Play(*mixer.FindChannel(mixer.ChannelForSample(sample, false)), true);
		}
		const auto scaled = static_cast<int16_t>(31000 * static_cast<int>(volume) / 100);
		EXPECT_EQ(MixFrames(mixer, 1), (std::vector<int16_t>{scaled, static_cast<int16_t>(-scaled)}));
	}
	mixer.volume = 100;
	mixer.Play(*mixer.FindChannel(mixer.ChannelForSample(loud, false)), true);
	mixer.Play(*mixer.FindChannel(mixer.ChannelForSample(mixer.AddSample({30000, -30000}, 1, 0), false)),
	           true);
	EXPECT_EQ(MixFrames(mixer, 1), (std::vector<int16_t>{32767, -32768}));
}

TEST(AudioMixer, ChannelsPerSampleAndHandles)
{
	Mixer mixer;
	const uint32_t sample = mixer.AddSample(Ramp(8, 1), 2, 0);
	const uint32_t first = mixer.ChannelForSample(sample, false);
	const uint32_t second = mixer.ChannelForSample(sample, false);
	EXPECT_NE(first, second);
	mixer.Play(*mixer.FindChannel(second), true);
	mixer.Play(*mixer.FindChannel(first), true);
	// Both taken: only-new gets none, otherwise the one started longest ago comes back, stopped.
	EXPECT_EQ(mixer.ChannelForSample(sample, true), 0u);
	EXPECT_EQ(mixer.ChannelForSample(sample, false), second);
	EXPECT_FALSE(mixer.FindChannel(second)->playing);

	// A handle names one kind of thing only, and nothing once freed.
	EXPECT_EQ(mixer.FindChannel(sample), nullptr);
	EXPECT_EQ(mixer.FindSample(first), nullptr);
	EXPECT_EQ(mixer.FindSample(0), nullptr);
	EXPECT_EQ(mixer.FindSample(sample + 1), nullptr);
	EXPECT_TRUE(mixer.FreeSample(sample));
	EXPECT_EQ(mixer.FindSample(sample), nullptr);
	EXPECT_EQ(mixer.FindChannel(first), nullptr);
	EXPECT_FALSE(mixer.FreeSample(sample));
	EXPECT_FALSE(mixer.StopSample(sample));
	EXPECT_EQ(MixFrames(mixer, 2), (std::vector<int16_t>{0, 0, 0, 0}));
}
} // namespace
