// The TGA decoder on any bytes.
#include "render/ImageDecoders.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	DecodedImage image;
	if (DecodeTga({data, size}, image) &&
	    image.pixels.size() != static_cast<size_t>(image.width) * image.height * image.channels)
	{
		__builtin_trap();
	}
	return 0;
}
