#include "audio/AudioEngine.h"

#include "core/LibraryImage.h"
#include "core/LogFile.h"
#include "media/MediaStore.h"
#include "resources/Resources.h"

#include <algorithm>

AudioEngine g_audio;

namespace
{
constexpr uint32_t kOutputFrequency = 44100;

template <typename Function> bool Resolve(void* library, const char* name, Function& function)
{
	function = reinterpret_cast<Function>(Sys_LibrarySymbol(library, name));
	return function != nullptr;
}

// The setting is a float that a hand-edited registry can push past the byte the volume is held in.
uint8_t VolumeFromSetting(float soundVolume)
{
	return static_cast<uint8_t>(std::clamp(soundVolume, 0.0f, 100.0f));
}
} // namespace

bool AudioEngine::LoadLibrary()
{
	return LoadLibrary(Resources::Find(ResourceId::kAudioModule, ResourceId::kAudioModuleId));
}

bool AudioEngine::LoadLibrary(std::span<const uint8_t> moduleImage)
{
	if (library != nullptr)
	{
		return true;
	}
	library = Sys_LoadLibraryImage(moduleImage);
	if (library == nullptr || !ResolveEntryPoints())
	{
		ReleaseLibrary();
		return false;
	}
	return true;
}

bool AudioEngine::ResolveEntryPoints()
{
	return Resolve(library, "GhAudio_Init", calls.init) &&
	       Resolve(library, "GhAudio_ErrorGetCode", calls.errorGetCode) &&
	       Resolve(library, "GhAudio_Start", calls.start) &&
	       Resolve(library, "GhAudio_GetVolume", calls.getVolume) &&
	       Resolve(library, "GhAudio_SetVolume", calls.setVolume) &&
	       Resolve(library, "GhAudio_Set3DFactors", calls.set3DFactors) &&
	       Resolve(library, "GhAudio_Apply3D", calls.apply3D) &&
	       Resolve(library, "GhAudio_SampleLoad", calls.sampleLoad) &&
	       Resolve(library, "GhAudio_ChannelIsActive", calls.channelIsActive) &&
	       Resolve(library, "GhAudio_SampleGetChannel", calls.sampleGetChannel) &&
	       Resolve(library, "GhAudio_ChannelPlay", calls.channelPlay) &&
	       Resolve(library, "GhAudio_ChannelSetFlags", calls.channelSetFlags) &&
	       Resolve(library, "GhAudio_SampleStop", calls.sampleStop) &&
	       Resolve(library, "GhAudio_SampleFree", calls.sampleFree) &&
	       Resolve(library, "GhAudio_StreamFree", calls.streamFree) &&
	       Resolve(library, "GhAudio_Stop", calls.stop) && Resolve(library, "GhAudio_Free", calls.free);
}

void AudioEngine::ReleaseLibrary()
{
	Sys_FreeLibrary(library);
	library = nullptr;
	calls = ModuleCalls();
}

void AudioEngine::Init(void* window)
{
	Init(window, Resources::Find(ResourceId::kAudioModule, ResourceId::kAudioModuleId));
}

void AudioEngine::Init(void* window, std::span<const uint8_t> moduleImage)
{
	// Without the module the saver still runs, only without music.
	if (!LoadLibrary(moduleImage))
	{
		g_logFile.WriteLine("Audio module could not be loaded; no music");
		enabled = 0;
		return;
	}
	if (calls.init(kAudioDefaultDevice, kOutputFrequency, kAudioInit3D, window, nullptr))
	{
		calls.start();
		savedVolume = static_cast<uint8_t>(calls.getVolume() & 0xFF);
		if (enabled)
		{
			calls.setVolume(volume);
		}
	}
	else if (calls.errorGetCode() == kAudioErrorNo3D)
	{
		has3D = 0;
	}
	else
	{
		enabled = 0;
	}
	calls.set3DFactors(-1.0f, 1.0f, -1.0f);
	calls.apply3D();
}

int AudioEngine::LoadSampleFromMemory(const void* data, uint32_t size, uint32_t flags)
{
	SampleRecord record;
	record.name = "Sample";
	if (library != nullptr)
	{
		record.handle = calls.sampleLoad(true, data, 0, size, 1, flags);
	}
	record.loaded = record.handle != 0;
	samples.push_back(record);
	return static_cast<int>(samples.size()) - 1;
}

bool AudioEngine::IsSampleLoaded(int index) const
{
	return index >= 0 && static_cast<size_t>(index) < samples.size() && samples[index].loaded;
}

void AudioEngine::PlaySample(int index, bool loop)
{
	if (library == nullptr || !IsSampleLoaded(index))
	{
		return;
	}
	SampleRecord& record = samples[index];
	if (calls.channelIsActive(record.channel) == kAudioChannelPlaying)
	{
		return;
	}
	record.channel = calls.sampleGetChannel(record.handle, false);
	calls.channelPlay(record.channel, true);
	// The loop is asked of the sample, after the start; the module reads it at the sample's end.
	calls.channelSetFlags(record.handle, loop ? kAudioLoop : 0);
}

void AudioEngine::StartMusic(void* window, const MediaBlob& music, float soundVolume)
{
	Init(window);
	musicSample = LoadSampleFromMemory(music.data, music.size, 0);
	PlaySample(musicSample, true);
	if (enabled)
	{
		volume = VolumeFromSetting(soundVolume);
		calls.setVolume(volume);
	}
	g_logFile.WriteLine("Sound initialized");
}

void AudioEngine::Shutdown()
{
	if (!enabled)
	{
		return;
	}
	volume = savedVolume;
	if (library != nullptr)
	{
		calls.setVolume(savedVolume);
		for (const SampleRecord& sample : samples)
		{
			calls.sampleStop(sample.handle);
			calls.sampleFree(sample.handle);
		}
		for (const StreamRecord& stream : streams)
		{
			calls.streamFree(stream.handle);
		}
		calls.stop();
		calls.free();
	}
	ReleaseLibrary();
	// The records name handles of the module just unloaded; none may be played again.
	samples.clear();
	streams.clear();
	musicSample = -1;
	enabled = 0;
}
