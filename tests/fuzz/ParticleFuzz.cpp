// The emitter file reader on any bytes; what it reads must write back to a file it reads again.
#include "effects/ParticleFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::vector<ParticleFormat::Layer> layers;
	ParticleFormat::ReadFile({data, size}, layers);
	if (layers.size() > static_cast<size_t>(ParticleFormat::kMaxLayers))
	{
		std::abort();
	}
	std::vector<ParticleFormat::Layer> again;
	if (!ParticleFormat::ReadFile(ParticleFormat::WriteFile(layers), again) || again.size() != layers.size())
	{
		std::abort();
	}
	return 0;
}
