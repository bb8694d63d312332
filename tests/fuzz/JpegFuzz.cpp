// The JPEG decoder on any bytes: a broken stream comes back as a failure, never as an exit.
#include "render/ImageDecoders.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	DecodedImage image;
	std::string error;
	if (DecodeJpeg({data, size}, image, error) &&
	    image.pixels.size() != static_cast<size_t>(image.channels) * image.height)
	{
		__builtin_trap();
	}
	return 0;
}
