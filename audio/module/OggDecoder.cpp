#include "audio/module/OggDecoder.h"

#include <SDL.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>

namespace
{
constexpr long kMinRate = 8000;
constexpr long kMaxRate = 192000;
constexpr size_t kBytesPerFrame = 2 * sizeof(int16_t);

// libvorbisfile reads through these callbacks; they never step outside the caller's bytes.
struct MemoryReader
{
	std::span<const uint8_t> bytes;
	size_t position = 0;
};

size_t ReadMemory(void* destination, size_t size, size_t count, void* source)
{
	auto& reader = *static_cast<MemoryReader*>(source);
	if (size == 0)
	{
		return 0;
	}
	const size_t left = reader.bytes.size() - reader.position;
	const size_t items = std::min(count, left / size);
	std::copy_n(reader.bytes.data() + reader.position, items * size, static_cast<uint8_t*>(destination));
	reader.position += items * size;
	return items;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence)
{
	auto& reader = *static_cast<MemoryReader*>(source);
	ogg_int64_t base = 0;
	if (whence == SEEK_CUR)
	{
		base = static_cast<ogg_int64_t>(reader.position);
	}
	else if (whence == SEEK_END)
	{
		base = static_cast<ogg_int64_t>(reader.bytes.size());
	}
	else if (whence != SEEK_SET)
	{
		return -1;
	}
	const auto size = static_cast<ogg_int64_t>(reader.bytes.size());
	if (offset < -base || offset > size - base)
	{
		return -1;
	}
	reader.position = static_cast<size_t>(base + offset);
	return 0;
}

long TellMemory(void* source)
{
	return static_cast<long>(static_cast<MemoryReader*>(source)->position);
}

constexpr ov_callbacks kMemoryCallbacks = {ReadMemory, SeekMemory, nullptr, TellMemory};

// Every link of a chained file must share the first one's rate and channel count.
bool HasUniformFormat(OggVorbis_File& file)
{
	const vorbis_info* first = ov_info(&file, 0);
	if (first == nullptr || first->channels < 1 || first->channels > 2 || first->rate < kMinRate ||
	    first->rate > kMaxRate)
	{
		return false;
	}
	const long links = ov_streams(&file);
	for (long link = 1; link < links; ++link)
	{
		const vorbis_info* info = ov_info(&file, static_cast<int>(link));
		if (info == nullptr || info->channels != first->channels || info->rate != first->rate)
		{
			return false;
		}
	}
	return true;
}

// Moves what the converter holds into the output; false once the output would pass the limit.
bool DrainConverter(SDL_AudioStream* converter, size_t maxFrames, std::vector<int16_t>& out)
{
	const int available = SDL_AudioStreamAvailable(converter);
	if (available <= 0)
	{
		return true;
	}
	const size_t frames = static_cast<size_t>(available) / kBytesPerFrame;
	const size_t have = out.size() / 2;
	if (frames > maxFrames - have)
	{
		return false;
	}
	out.resize((have + frames) * 2);
	const int got =
	    SDL_AudioStreamGet(converter, out.data() + have * 2, static_cast<int>(frames * kBytesPerFrame));
	out.resize(have * 2 + static_cast<size_t>(std::max(got, 0)) / sizeof(int16_t));
	return got >= 0;
}

bool DecodeInto(OggVorbis_File& file, SDL_AudioStream* converter, size_t maxFrames, std::vector<int16_t>& out)
{
	constexpr int kBigEndian = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 1 : 0;
	char buffer[8192];
	for (;;)
	{
		int link = 0;
		const long got = ov_read(&file, buffer, sizeof(buffer), kBigEndian, 2, 1, &link);
		if (got == 0)
		{
			break;
		}
		if (got == OV_HOLE)
		{
			continue; // a gap in the data: the decoder has already resynchronised
		}
		if (got < 0 || SDL_AudioStreamPut(converter, buffer, static_cast<int>(got)) != 0 ||
		    !DrainConverter(converter, maxFrames, out))
		{
			return false;
		}
	}
	return SDL_AudioStreamFlush(converter) == 0 && DrainConverter(converter, maxFrames, out);
}
} // namespace

bool DecodeOggVorbis(std::span<const uint8_t> bytes, int outputFrequency, size_t maxFrames,
                     std::vector<int16_t>& stereoFrames)
{
	stereoFrames.clear();
	MemoryReader reader{bytes, 0};
	OggVorbis_File file;
	if (ov_open_callbacks(&reader, &file, nullptr, 0, kMemoryCallbacks) != 0)
	{
		return false;
	}
	bool decoded = false;
	if (HasUniformFormat(file))
	{
		const vorbis_info* info = ov_info(&file, 0);
		SDL_AudioStream* converter =
		    SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(info->channels), static_cast<int>(info->rate),
		                       AUDIO_S16SYS, 2, outputFrequency);
		if (converter != nullptr)
		{
			decoded = DecodeInto(file, converter, maxFrames, stereoFrames) && !stereoFrames.empty();
			SDL_FreeAudioStream(converter);
		}
	}
	ov_clear(&file);
	if (!decoded)
	{
		stereoFrames = {};
	}
	return decoded;
}
