// The audio module's Ogg Vorbis decoder on any bytes, at the output rate and at one that makes
// it resample. The frame limit is kept to a second: a few bytes of Vorbis can hold seconds of
// sound, and the reading of the stream is the same for the first second as for the twentieth.
#include "audio/module/OggDecoder.h"

#include <cstdint>

// libvorbisfile 1.3.7 itself drops its serial-number list (8 bytes) when a later link of a chained
// file fails to open; the leak is inside ov_open_callbacks, which has cleared everything it hands
// back to us.
extern "C" const char* __lsan_default_suppressions()
{
	return "leak:libvorbisfile.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	constexpr size_t kMaxFrames = 44100;
	std::vector<int16_t> frames;
	const bool decoded = DecodeOggVorbis({data, size}, size % 2 == 0 ? 44100 : 22050, kMaxFrames, frames);
	if (frames.size() > kMaxFrames * 2 || (decoded && frames.empty()) || (!decoded && !frames.empty()))
	{
		__builtin_trap();
	}
	return 0;
}
