// The archive reader and the two-archive lookup of the media store on any bytes.
#include "media/ArchiveReader.h"
#include "media/MediaStore.h"

#include <cstdint>
#include <span>

namespace
{
// Names that the seeds hold, so the fuzzer starts from real matches.
constexpr const char* kNames[] = {"Models", "Models/test.BSS", "textures\\TEX_DEFAULT.TGA", "a", ""};

void ExtractEach(ArchiveView& view, uint32_t inputSize)
{
	for (const char* name : kNames)
	{
		uint8_t* data = reinterpret_cast<uint8_t*>(&view);
		uint32_t size = 1;
		const bool found = ArchiveReader::Extract(name, view, data, size);
		// A stored entry can never be larger than the archive that holds it.
		if (found ? (data == nullptr || size > inputSize) : (data != nullptr || size != 0))
		{
			__builtin_trap();
		}
		delete[] data;
	}
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size > UINT32_MAX)
	{
		return 0;
	}
	ArchiveView view{data, static_cast<uint32_t>(size), 0};
	ExtractEach(view, static_cast<uint32_t>(size));

	// The store with the input as the primary archive and its second half as the secondary.
	const std::span<const uint8_t> bytes(data, size);
	MediaStore store;
	store.Map(bytes, bytes.subspan(size / 2));
	for (const char* name : kNames)
	{
		MediaBlob blob = store.Find(name);
		MediaBlob::Free(blob);
	}
	return 0;
}
