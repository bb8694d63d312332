// The BMP decoder on any bytes.
#include "render/ImageDecoders.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	DecodedImage image;
	if (DecodeBmp({data, size}, image) &&
	    (image.channels != 3 || image.pixels.size() != static_cast<size_t>(image.width) * image.height * 3))
	{
		__builtin_trap();
	}
	return 0;
}
