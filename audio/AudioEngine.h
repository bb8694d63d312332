#pragma once

#include "audio/module/AudioModuleApi.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct MediaBlob;

// The thin adapter over the audio module, a shared library that the program carries in its
// resources and loads at run time: it loads the module, starts the output, loads sounds from
// memory, plays them, sets the output volume and tears it all down again. Only saver mode with
// the music setting on ever calls it, so otherwise nothing of the module is loaded.
//
// A module that cannot be written out or loaded leaves `enabled` at 0 and the saver runs on in
// silence; every operation below is then safe to call and does nothing.
class AudioEngine
{
public:
	int32_t enabled = 1;  // 0 after a failed initialisation; gates the volume and the shutdown
	int32_t has3D = 1;    // cleared when the output cannot give 3D
	uint8_t volume = 100; // output volume set by the program, 0 to 100
	uint8_t savedVolume = 0;
	int32_t musicSample = -1;

	// The module carried in the resources, or (for tests) any bytes taken for one.
	bool LoadLibrary();
	bool LoadLibrary(std::span<const uint8_t> moduleImage);
	void Init(void* window);
	void Init(void* window, std::span<const uint8_t> moduleImage);
	// The index of the new sample record, even when the module refused the data.
	int LoadSampleFromMemory(const void* data, uint32_t size, uint32_t flags);
	void PlaySample(int index, bool loop);
	// The saver's music: initialise, load it, play it looping at `soundVolume` (0 to 100).
	void StartMusic(void* window, const MediaBlob& music, float soundVolume);
	void Shutdown();

	bool IsLibraryLoaded() const { return library != nullptr; }
	bool IsSampleLoaded(int index) const;

private:
	// The module's entry points, fetched by name.
	struct ModuleCalls
	{
		decltype(&GhAudio_Init) init = nullptr;
		decltype(&GhAudio_ErrorGetCode) errorGetCode = nullptr;
		decltype(&GhAudio_Start) start = nullptr;
		decltype(&GhAudio_GetVolume) getVolume = nullptr;
		decltype(&GhAudio_SetVolume) setVolume = nullptr;
		decltype(&GhAudio_Set3DFactors) set3DFactors = nullptr;
		decltype(&GhAudio_Apply3D) apply3D = nullptr;
		decltype(&GhAudio_SampleLoad) sampleLoad = nullptr;
		decltype(&GhAudio_ChannelIsActive) channelIsActive = nullptr;
		decltype(&GhAudio_SampleGetChannel) sampleGetChannel = nullptr;
		decltype(&GhAudio_ChannelPlay) channelPlay = nullptr;
		decltype(&GhAudio_ChannelSetFlags) channelSetFlags = nullptr;
		decltype(&GhAudio_SampleStop) sampleStop = nullptr;
		decltype(&GhAudio_SampleFree) sampleFree = nullptr;
		decltype(&GhAudio_StreamFree) streamFree = nullptr;
		decltype(&GhAudio_Stop) stop = nullptr;
		decltype(&GhAudio_Free) free = nullptr;
	};

	struct SampleRecord
	{
		uint32_t handle = 0;
		std::string name;
		bool loaded = false;
		uint32_t channel = 0; // the channel last started from it
	};

	struct StreamRecord
	{
		uint32_t handle = 0;
		std::string name;
		bool loaded = false;
	};

	void* library = nullptr;
	ModuleCalls calls;
	std::vector<SampleRecord> samples;
	std::vector<StreamRecord> streams; // nothing adds to it; Shutdown frees whatever it holds

	bool ResolveEntryPoints();
	void ReleaseLibrary();
};

extern AudioEngine g_audio;
