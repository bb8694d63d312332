// The entry points of the audio module. One output device, opened by GhAudio_Init on the
// module's own share of SDL's audio subsystem and mixed by Mixer on SDL's audio thread.

#include "audio/module/AudioModuleApi.h"
#include "audio/module/Mixer.h"
#include "audio/module/OggDecoder.h"

#include <SDL.h>

#include <span>

namespace
{
constexpr int kMinFrequency = 8000;
constexpr int kMaxFrequency = 192000;
constexpr Uint16 kBufferFrames = 1024;
// Ten minutes at the output frequency: far beyond the music, short of a memory hazard.
constexpr size_t kMaxSampleSeconds = 600;

struct Output
{
	SDL_AudioDeviceID device = 0;
	int frequency = 0;
	int error = kAudioOk;
	Mixer mixer;
};

Output g_output;

// Held around every change of the mixer while the audio thread may be mixing.
class MixerLock
{
public:
	MixerLock()
	{
		if (g_output.device != 0)
		{
			SDL_LockAudioDevice(g_output.device);
		}
	}
	~MixerLock()
	{
		if (g_output.device != 0)
		{
			SDL_UnlockAudioDevice(g_output.device);
		}
	}
	MixerLock(const MixerLock&) = delete;
	MixerLock& operator=(const MixerLock&) = delete;
};

int Fail(int code)
{
	g_output.error = code;
	return 0;
}

int Succeed()
{
	g_output.error = kAudioOk;
	return 1;
}

// A handle result: the handle, or 0 with `error` when there is none.
uint32_t Handle(uint32_t handle, int error)
{
	g_output.error = handle != 0 ? kAudioOk : error;
	return handle;
}

int PauseOutput(int paused)
{
	if (g_output.device == 0)
	{
		return Fail(kAudioErrorInit);
	}
	SDL_PauseAudioDevice(g_output.device, paused);
	return Succeed();
}

void MixCallback(void*, Uint8* stream, int length)
{
	g_output.mixer.Mix(reinterpret_cast<int16_t*>(stream),
	                   static_cast<size_t>(length) / (2 * sizeof(int16_t)));
}

bool OpenDevice(int frequency)
{
	if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
	{
		return false;
	}
	SDL_AudioSpec wanted{};
	wanted.freq = frequency;
	wanted.format = AUDIO_S16SYS;
	wanted.channels = 2;
	wanted.samples = kBufferFrames;
	wanted.callback = MixCallback;
	SDL_AudioSpec obtained{};
	// No changes allowed: SDL converts to whatever the hardware takes, so Mix always sees our format.
	g_output.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
	if (g_output.device == 0)
	{
		SDL_QuitSubSystem(SDL_INIT_AUDIO);
		return false;
	}
	g_output.frequency = frequency;
	return true;
}
} // namespace

int GhAudio_Init(int device, uint32_t frequency, uint32_t, void*, const void*)
{
	if (g_output.device != 0)
	{
		return Fail(kAudioErrorAlready);
	}
	if (device != kAudioDefaultDevice)
	{
		return Fail(kAudioErrorDevice);
	}
	if (frequency < kMinFrequency || frequency > kMaxFrequency)
	{
		return Fail(kAudioErrorParameter);
	}
	return OpenDevice(static_cast<int>(frequency)) ? Succeed() : Fail(kAudioErrorDriver);
}

int GhAudio_ErrorGetCode()
{
	return g_output.error;
}

int GhAudio_Start()
{
	return PauseOutput(0);
}

uint32_t GhAudio_GetVolume()
{
	Succeed();
	return g_output.mixer.volume;
}

int GhAudio_SetVolume(uint32_t volume)
{
	if (volume > 100)
	{
		return Fail(kAudioErrorParameter);
	}
	MixerLock lock;
	g_output.mixer.volume = volume;
	return Succeed();
}

int GhAudio_Set3DFactors(float, float, float)
{
	return Succeed();
}

int GhAudio_Apply3D()
{
	return Succeed();
}

uint32_t GhAudio_SampleLoad(int fromMemory, const void* file, uint32_t offset, uint32_t length,
                            uint32_t maxPlaybacks, uint32_t flags)
{
	if (g_output.device == 0)
	{
		return Handle(0, kAudioErrorInit);
	}
	if (!fromMemory || file == nullptr || length == 0 || maxPlaybacks == 0)
	{
		return Handle(0, kAudioErrorParameter);
	}
	const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(file) + offset, length);
	const size_t maxFrames = kMaxSampleSeconds * static_cast<size_t>(g_output.frequency);
	std::vector<int16_t> frames;
	if (!DecodeOggVorbis(bytes, g_output.frequency, maxFrames, frames))
	{
		return Handle(0, kAudioErrorFormat);
	}
	MixerLock lock;
	const uint32_t sample = g_output.mixer.AddSample(std::move(frames), maxPlaybacks, flags);
	return Handle(sample, kAudioErrorParameter);
}

int GhAudio_ChannelIsActive(uint32_t channel)
{
	MixerLock lock;
	const MixerChannel* found = g_output.mixer.FindChannel(channel);
	if (found == nullptr)
	{
		Fail(kAudioErrorHandle);
		return kAudioChannelStopped;
	}
	Succeed();
	return found->playing ? kAudioChannelPlaying : kAudioChannelStopped;
}

uint32_t GhAudio_SampleGetChannel(uint32_t sample, int onlyNew)
{
	MixerLock lock;
	if (g_output.mixer.FindSample(sample) == nullptr)
	{
		return Handle(0, kAudioErrorHandle);
	}
	return Handle(g_output.mixer.ChannelForSample(sample, onlyNew != 0), kAudioErrorNoChannel);
}

int GhAudio_ChannelPlay(uint32_t channel, int restart)
{
	MixerLock lock;
	MixerChannel* found = g_output.mixer.FindChannel(channel);
	if (found == nullptr)
	{
		return Fail(kAudioErrorHandle);
	}
	g_output.mixer.Play(*found, restart != 0);
	return Succeed();
}

int GhAudio_ChannelSetFlags(uint32_t handle, uint32_t flags)
{
	MixerLock lock;
	if (MixerSample* sample = g_output.mixer.FindSample(handle))
	{
		sample->flags = flags;
		return Succeed();
	}
	if (MixerChannel* channel = g_output.mixer.FindChannel(handle))
	{
		channel->flags = flags;
		return Succeed();
	}
	return Fail(kAudioErrorHandle);
}

int GhAudio_SampleStop(uint32_t sample)
{
	MixerLock lock;
	return g_output.mixer.StopSample(sample) ? Succeed() : Fail(kAudioErrorHandle);
}

int GhAudio_SampleFree(uint32_t sample)
{
	MixerLock lock;
	return g_output.mixer.FreeSample(sample) ? Succeed() : Fail(kAudioErrorHandle);
}

int GhAudio_StreamFree(uint32_t)
{
	return Fail(kAudioErrorHandle);
}

int GhAudio_Stop()
{
	return PauseOutput(1);
}

int GhAudio_Free()
{
	if (g_output.device == 0)
	{
		return Fail(kAudioErrorInit);
	}
	// Closing waits for the audio thread, so nothing mixes once the samples are gone.
	SDL_CloseAudioDevice(g_output.device);
	g_output.device = 0;
	g_output.mixer.Clear();
	SDL_QuitSubSystem(SDL_INIT_AUDIO);
	return Succeed();
}
