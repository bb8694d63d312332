#pragma once

#include <cstdint>

// The audio module is a shared library of its own: the program carries it as a resource, writes
// it out at run time and fetches these entry points by name, so that nothing of the decoder or of
// the sound output is loaded unless the music is on. This header is all the two sides share.
//
// Every call sets the module's error code (0 on success); GhAudio_ErrorGetCode reads it back.
// Calls that return a handle give 0 on failure, the others give 0 (false) on failure.

// Error codes.
inline constexpr int kAudioOk = 0;
inline constexpr int kAudioErrorInit = 1;      // the output is not initialised
inline constexpr int kAudioErrorAlready = 2;   // the output is initialised already
inline constexpr int kAudioErrorDevice = 3;    // no such output device
inline constexpr int kAudioErrorDriver = 4;    // the system's sound output could not be opened
inline constexpr int kAudioErrorHandle = 5;    // not a live sample, channel or stream handle
inline constexpr int kAudioErrorParameter = 6; // an argument out of range
inline constexpr int kAudioErrorFormat = 7;    // not Ogg Vorbis of 1 or 2 channels, damaged, or too long
inline constexpr int kAudioErrorNoChannel = 8; // every channel of the sample is taken
// 3D output was asked for and is not available. This module takes the 3D calls as no-ops that
// succeed, so it never reports the code; callers still test for it and then run without 3D.
inline constexpr int kAudioErrorNo3D = 21;

// GhAudio_Init device number: the system's default output.
inline constexpr int kAudioDefaultDevice = 1;
// GhAudio_Init flag: 3D positioning wanted (accepted, never applied).
inline constexpr uint32_t kAudioInit3D = 4;
// Sample and channel flag: when playback reaches the end, it starts again from the beginning.
inline constexpr uint32_t kAudioLoop = 4;
// GhAudio_ChannelIsActive results.
inline constexpr int kAudioChannelStopped = 0;
inline constexpr int kAudioChannelPlaying = 1;
// A sample holds at most this many channels, whatever GhAudio_SampleLoad is asked for.
inline constexpr uint32_t kAudioMaxPlaybacks = 16;

// The module exports these and nothing else (it is built with hidden visibility).
#define GH_AUDIO_API __attribute__((visibility("default")))

extern "C"
{
	// Opens the output (16-bit stereo at `frequency`, paused until GhAudio_Start). `window` and
	// `classId` are accepted for the caller's sake and not used.
	GH_AUDIO_API int GhAudio_Init(int device, uint32_t frequency, uint32_t flags, void* window,
	                              const void* classId);
	GH_AUDIO_API int GhAudio_ErrorGetCode();
	GH_AUDIO_API int GhAudio_Start();
	// The module's own output volume, 0 to 100, a gain on everything it plays. 100 at load.
	GH_AUDIO_API uint32_t GhAudio_GetVolume();
	GH_AUDIO_API int GhAudio_SetVolume(uint32_t volume);
	GH_AUDIO_API int GhAudio_Set3DFactors(float distanceFactor, float rolloffFactor, float dopplerFactor);
	GH_AUDIO_API int GhAudio_Apply3D();
	// Decodes a whole Ogg Vorbis file (fromMemory true: `file` points at `length` bytes, read from
	// `offset`). Files are not read from disk. Returns the sample handle.
	GH_AUDIO_API uint32_t GhAudio_SampleLoad(int fromMemory, const void* file, uint32_t offset,
	                                         uint32_t length, uint32_t maxPlaybacks, uint32_t flags);
	GH_AUDIO_API int GhAudio_ChannelIsActive(uint32_t channel);
	// A channel of the sample: a new one while fewer than its maximum exist, otherwise (unless
	// onlyNew) the one started longest ago, stopped and rewound.
	GH_AUDIO_API uint32_t GhAudio_SampleGetChannel(uint32_t sample, int onlyNew);
	GH_AUDIO_API int GhAudio_ChannelPlay(uint32_t channel, int restart);
	// On a sample handle the flags are the sample's and count for every channel of it at once;
	// on a channel handle they are that channel's own.
	GH_AUDIO_API int GhAudio_ChannelSetFlags(uint32_t handle, uint32_t flags);
	GH_AUDIO_API int GhAudio_SampleStop(uint32_t sample);
	GH_AUDIO_API int GhAudio_SampleFree(uint32_t sample);
	// This module makes no streams; every handle is refused.
	GH_AUDIO_API int GhAudio_StreamFree(uint32_t stream);
	GH_AUDIO_API int GhAudio_Stop();
	// Closes the output and frees every sample.
	GH_AUDIO_API int GhAudio_Free();
}
