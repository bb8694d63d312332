// Reading a scene file of about the size of the shipped room: 35 objects of 1500 triangles,
// five 300-key camera flights, 32 anchors of 300 keys. It runs once per start, under the
// loading screen, so it is the bytes per second that matter.
#include "scene/BssFile.h"

#include <benchmark/benchmark.h>

namespace
{
BssObject RoomSizedObject(int index)
{
	constexpr int kTriangles = 1500;
	BssObject object;
	object.name = "object" + std::to_string(index);
	object.parentName = "room";
	object.materials.resize(4);
	object.hasLightmap = 1;
	object.lightmapTexture = "roomLightingMap.tga";
	object.positions.assign(kTriangles, {1.0f, 2.0f, 3.0f});
	object.faces.assign(kTriangles, {0.0f, 1.0f, 2.0f});
	object.uvs.assign(kTriangles, {0.5f, 0.5f, 0.0f});
	object.lightmapUvs = object.uvs;
	object.uvFaces = object.faces;
	object.lightmapFaces = object.faces;
	object.normals.assign(3 * kTriangles, {0.0f, 0.0f, 1.0f});
	return object;
}

std::vector<uint8_t> RoomSizedScene()
{
	BssFile scene;
	for (int i = 0; i < 35; ++i)
	{
		scene.objects.push_back(RoomSizedObject(i));
	}
	BssCamera camera;
	camera.positions.resize(300);
	camera.rotations.resize(300);
	camera.fovs.assign(300, 1.3089969f);
	scene.cameras.assign(5, camera);
	BssAnchor anchor;
	anchor.name = "instance candle";
	anchor.positions.resize(300);
	anchor.rotations.resize(300);
	scene.anchors.assign(32, anchor);
	return WriteContentBytes(scene).value();
}

void BM_ReadSceneFile(benchmark::State& state)
{
	const std::vector<uint8_t> bytes = RoomSizedScene();
	for (auto _ : state)
	{
		BssFile scene;
		benchmark::DoNotOptimize(ReadContentFile(std::span<const uint8_t>(bytes), scene));
		benchmark::DoNotOptimize(scene.objects.data());
	}
	state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadSceneFile)->Unit(benchmark::kMillisecond);
} // namespace
