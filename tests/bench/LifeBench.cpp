// The per-frame costs of the room's moving things: one particle step with the array at its
// emission limit, and skinning the fire.
#include "effects/ParticleSystem.h"
#include "scene/AnimatedModel.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{
// 20,000 spinning, strip-animated sprites: the most the emission limit lets live at once.
void BM_ParticleStep20000(benchmark::State& state)
{
	ParticleFormat::LayerParams params;
	params.particleCount = 20000;
	params.positionSpread = {5000.0f, 5000.0f, 5000.0f};
	params.baseVelocity = {0.0f, 0.0f, -20.0f};
	params.velocitySpread = {10.0f, 10.0f, 10.0f};
	params.baseSize = {1.0f, 0.0f, 0.0f};
	params.startAlpha = 50.0f;
	params.peakAlpha = 1e9f;
	params.frameCount = 4;
	params.frameRate = 5.0f;
	params.spin = 1;
	params.spinSpeed = 10.0f;
	ParticleSystem system;
	system.AddEmitter("snow", {{{params, 1}}});
	system.Emit({"snow", {}, kQuatIdentity});
	for (auto _ : state)
	{
		system.Update(2.0f); // long frames: every update steps
		benchmark::DoNotOptimize(system.VerticesWritten());
	}
	state.SetItemsProcessed(state.iterations() * 20000);
}
BENCHMARK(BM_ParticleStep20000);

// A fire of the shipped size: 252 vertices, 432 triangles, 3 bones, 100 frames.
void BM_SkinFire(benchmark::State& state)
{
	BsaMeshFile mesh;
	for (int v = 0; v < 252; ++v)
	{
		const float a = static_cast<float>(v) * 0.1f;
		mesh.positions.push_back({std::cos(a) * 10.0f, std::sin(a) * 10.0f, static_cast<float>(v % 20)});
		mesh.weights.push_back({0.6f, 0.3f, 0.1f});
		mesh.boneIndices.push_back({0.0f, 1.0f, 2.0f});
	}
	for (int t = 0; t < 432; ++t)
	{
		const float v = static_cast<float>(t % 250);
		mesh.faces.push_back({v, v + 1, v + 2});
		mesh.uvFaces.push_back({0, 1, 2});
		for (int k = 0; k < 3; ++k)
		{
			mesh.normals.push_back({0, 0, 1});
		}
	}
	mesh.uvs.assign(318, {0.5f, 0.5f, 0});
	const std::vector<std::pair<const char*, const char*>> names = {
	    {"Bone03", "Scene Root"}, {"Bone01", "Bone03"}, {"Bone02", "Bone01"}};
	for (const auto& [name, parent] : names)
	{
		mesh.bones.push_back({{{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 5}}, name, parent});
	}
	BsaAnimFile animation;
	animation.frameCount = 100;
	for (int32_t bone = 0; bone < 3; ++bone)
	{
		BsaTrack track{bone, {}};
		for (int f = 0; f < 100; ++f)
		{
			const float a = static_cast<float>(f) * 0.05f;
			track.frames.push_back(
			    {{std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a), 0, 0, 0, 1, 0, 0, 5}});
		}
		animation.tracks.push_back(track);
	}
	AnimatedModel fire;
	fire.Build(mesh, 0);
	fire.AddAnimation(animation);
	fire.StartAnimation();
	for (auto _ : state)
	{
		fire.Update(1.0f);
		benchmark::DoNotOptimize(fire.SkinnedVertices().data());
	}
}
BENCHMARK(BM_SkinFire);
} // namespace
