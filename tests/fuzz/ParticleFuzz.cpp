// The emitter file reader on any bytes; what it reads must write back to a file it reads again.
// The effect it describes is then emitted and stepped, whatever its numbers say, with a few
// particles a layer: every particle of a layer runs the same code on the same numbers, so the
// thousands a file may ask for would only spend the fuzzer's time.
#include "effects/ParticleFormat.h"
#include "effects/ParticleSystem.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace
{
constexpr int32_t kParticlesPerLayer = 4;
}

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

	static ParticleSystem system;
	system.Release();
	ParticleEmitter emitter;
	std::vector<std::string> spriteNames;
	emitter.Parse({data, size}, spriteNames);
	int32_t particles = 0;
	for (ParticleLayer& layer : emitter.layers)
	{
		particles += layer.params.particleCount;
		layer.params.particleCount = std::min(layer.params.particleCount, kParticlesPerLayer);
	}
	if (particles > ParticleSystem::kVertexCapacity / 4)
	{
		std::abort();
	}
	system.AddEmitter("fuzz", emitter);
	system.SetCameraPosition({10.0f, -50.0f, 20.0f});
	for (const float dt : {0.5f, 2.0f, 1.0f, 30.0f})
	{
		system.Emit({"fuzz", {1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 0.6f, 0.8f}});
		system.Update(dt);
		if (system.VerticesWritten() > ParticleSystem::kVertexCapacity)
		{
			std::abort();
		}
	}
	return 0;
}
