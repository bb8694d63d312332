// gh_room: builds the festive room into a content folder.
//
//   gh_room <out folder> [--threads N] [--preview <folder>] [--model-sheet <png>]
//
// Writes Models/test.BSS (the room with its lightmaps, anchors, light and camera flights), the
// placed models (Models/*.BSM), the fire (Models/fireplace_fire.BSA and _anim.BSA) and every
// texture they use (Textures/), the baked lightmap included. Everything comes from fixed seeds,
// so two runs write identical bytes. With --preview, it also ray casts three frames of every
// camera flight and a contact sheet of them into <folder>, for looking at the room; with
// --model-sheet, it draws every model alone from three sides into one picture.

#include "tools/content/ImageWriters.h"
#include "tools/formats/ContentFiles.h"
#include "tools/room/Fire.h"
#include "tools/room/Flights.h"
#include "tools/room/Lightmap.h"
#include "tools/room/ModelSheet.h"
#include "tools/room/Preview.h"
#include "tools/room/Textures.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <set>

namespace fs = std::filesystem;

namespace
{
constexpr const char* kLightmapName = "roomLightingMap.tga";
constexpr int kLightmapSize = 1024;

Float3 ToFloat3(Vec3 v)
{
	return {v.x, v.y, v.z};
}

BssObject ToObject(const SceneDraft& draft, const std::vector<std::vector<std::array<Vec2, 3>>>& lightmapUvs)
{
	BssObject object;
	object.name = draft.name;
	object.parentName = draft.zone;
	object.hasLightmap = draft.mode == LightmapMode::None ? 0 : 1;
	object.lightmapTexture = object.hasLightmap ? kLightmapName : "";
	for (size_t r = 0; r < draft.runs.size(); ++r)
	{
		const SceneRun& run = draft.runs[r];
		BssMaterial material;
		material.texture = run.texture;
		material.twoSided = run.twoSided ? 1 : 0;
		material.firstCorner = static_cast<int32_t>(object.faces.size() * 3);
		material.cornerCount = static_cast<int32_t>(run.mesh.triangles.size() * 3);
		material.materialIndex = static_cast<int32_t>(r);
		object.materials.push_back(material);
		for (size_t t = 0; t < run.mesh.triangles.size(); ++t)
		{
			const Triangle& triangle = run.mesh.triangles[t];
			const float first = static_cast<float>(object.positions.size());
			for (int k = 0; k < 3; ++k)
			{
				const Corner& corner = triangle.corners[k];
				object.positions.push_back(ToFloat3(corner.position));
				object.uvs.push_back({corner.u, corner.v, 0.0f});
				object.normals.push_back(ToFloat3(corner.normal));
				if (object.hasLightmap)
				{
					const Vec2 uv = lightmapUvs[r][t][k];
					object.lightmapUvs.push_back({uv.x, uv.y, 0.0f});
				}
			}
			const Float3 face{first, first + 1.0f, first + 2.0f};
			object.faces.push_back(face);
			object.uvFaces.push_back(face);
			object.lightmapFaces.push_back(object.hasLightmap ? face : Float3{});
		}
	}
	object.materialCount = static_cast<int32_t>(object.materials.size());
	object.vertexCount = static_cast<int32_t>(object.positions.size());
	object.faceCount = static_cast<int32_t>(object.faces.size());
	object.uvCount = static_cast<int32_t>(object.uvs.size());
	object.lightmapUvCount = static_cast<int32_t>(object.lightmapUvs.size());
	object.uvFaceCount = object.faceCount;
	if (!object.hasLightmap)
	{
		object.lightmapFaces.clear();
		object.lightmapFaces.resize(object.faces.size());
	}
	return object;
}

// A placed model rests on 300 equal keys; the fire and the emitters have one.
BssAnchor Anchor(const std::string& name, int32_t kind, Vec3 at, int keys)
{
	BssAnchor anchor;
	anchor.name = name;
	anchor.parentName = "room";
	anchor.kind = kind;
	anchor.keyCount = keys;
	anchor.positions.assign(keys, ToFloat3(at));
	anchor.rotations.assign(keys, Float4{0.0f, 0.0f, 0.0f, 1.0f});
	return anchor;
}

BssLight FireplaceLight(const RoomLayout& layout)
{
	BssLight light;
	light.position = ToFloat3(layout.firePosition + Vec3{60.0f, 0.0f, 50.0f});
	light.color = {1.0f, 0.66f, 0.38f};
	light.reach = 40.0f;
	light.unused = 1.0f;
	light.intensity = 1.6f;
	light.range = 552.8f;
	std::set<std::string> names;
	for (const ModelPlacement& placement : layout.placements)
	{
		if (names.insert("instance " + placement.model).second)
		{
			light.targets.push_back("instance " + placement.model);
		}
	}
	light.targets.push_back("animmodel fireplace_fire");
	light.targetCount = static_cast<int32_t>(light.targets.size());
	return light;
}

// The models in room space, as shadow casters for the baker.
std::vector<Triangle> PlacedTriangles(const RoomLayout& layout, const std::vector<ModelDraft>& models)
{
	std::vector<Triangle> triangles;
	for (const ModelPlacement& placement : layout.placements)
	{
		for (const ModelDraft& model : models)
		{
			if (model.name != placement.model)
			{
				continue;
			}
			for (const ModelPart& part : model.parts)
			{
				// Glowing parts and the lamp's bulb let their light out.
				if (part.name == "bulb" || part.name == "bulbs" || part.name == "star" || part.name == "wick")
				{
					continue;
				}
				for (Triangle t : part.mesh.triangles)
				{
					for (Corner& c : t.corners)
					{
						c.position = c.position + placement.position;
					}
					triangles.push_back(t);
				}
			}
		}
	}
	return triangles;
}

size_t CountTriangles(const BssFile& scene, const std::vector<BsmFile>& models, const FireFiles& fire)
{
	size_t total = fire.mesh.faces.size();
	for (const BssObject& object : scene.objects)
	{
		total += object.faces.size();
	}
	for (const BsmFile& model : models)
	{
		for (const BsmMesh& mesh : model.meshes)
		{
			total += mesh.name == "CollMesh" ? 0 : mesh.faces.size();
		}
	}
	return total;
}
} // namespace

int main(int argc, char** argv)
{
	int threads = 2;
	fs::path previews;
	fs::path modelSheet;
	for (int i = 2; i + 1 < argc; i += 2)
	{
		if (std::strcmp(argv[i], "--threads") == 0)
		{
			threads = std::max(1, std::atoi(argv[i + 1]));
		}
		else if (std::strcmp(argv[i], "--preview") == 0)
		{
			previews = argv[i + 1];
		}
		else if (std::strcmp(argv[i], "--model-sheet") == 0)
		{
			modelSheet = argv[i + 1];
		}
	}
	if (argc < 2 || argc % 2 != 0)
	{
		std::fprintf(
		    stderr, "usage: gh_room <out folder> [--threads N] [--preview <folder>] [--model-sheet <png>]\n");
		return 2;
	}
	try
	{
		const auto start = std::chrono::steady_clock::now();
		const fs::path out = argv[1];
		fs::remove_all(out / "Models");
		fs::remove_all(out / "Textures");
		TextureSet textures;
		textures.PaintAll();

		const std::vector<ModelDraft> models = BuildModels();
		const RoomLayout layout = BuildRoom(models);
		const Lightmap lightmap = BakeLightmap(
		    layout, PlacedTriangles(layout, models),
		    [&](const std::string& name) { return textures.MeanColour(name); }, kLightmapSize, threads);
		textures.Add(kLightmapName, lightmap.atlas, false);

		BssFile scene;
		for (size_t i = 0; i < layout.objects.size(); ++i)
		{
			scene.objects.push_back(ToObject(layout.objects[i], lightmap.uvs[i]));
		}
		scene.cameras = BuildFlights(layout);
		for (const ModelPlacement& placement : layout.placements)
		{
			scene.anchors.push_back(Anchor("instance " + placement.model, 3, placement.position, 300));
		}
		scene.anchors.push_back(Anchor("animmodel fireplace_fire", 4, layout.firePosition, 1));
		for (const BssAnchor& emitter : layout.emitters)
		{
			scene.anchors.push_back(emitter);
		}
		scene.lights.push_back(FireplaceLight(layout));
		scene.portals = layout.portals;
		scene.objectCount = static_cast<int32_t>(scene.objects.size());
		scene.portalCount = static_cast<int32_t>(scene.portals.size());
		scene.cameraCount = static_cast<int32_t>(scene.cameras.size());
		scene.anchorCount = static_cast<int32_t>(scene.anchors.size());
		scene.lightCount = static_cast<int32_t>(scene.lights.size());
		SaveContentFile(out / "Models/test.BSS", scene);

		std::vector<BsmFile> files;
		for (const ModelDraft& model : models)
		{
			files.push_back(ToBsm(model));
			SaveContentFile(out / "Models" / (model.name + ".BSM"), files.back());
		}
		const FireFiles fire = BuildFire(layout.firePosition);
		SaveContentFile(out / "Models/fireplace_fire.BSA", fire.mesh);
		SaveContentFile(out / "Models/fireplace_fire_anim.BSA", fire.animation);
		textures.Save(out);

		if (!previews.empty())
		{
			RenderPreviews(layout, models, lightmap, textures, scene.cameras, previews);
		}
		if (!modelSheet.empty())
		{
			WritePng(modelSheet, DrawModelSheet(models, layout, textures, threads));
		}
		const double seconds =
		    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
		std::printf("gh_room: %zu triangles, %d lightmap texels, %.1f s\n",
		            CountTriangles(scene, files, fire), lightmap.texels, seconds);
	}
	catch (const std::exception& error)
	{
		std::fprintf(stderr, "gh_room: %s\n", error.what());
		return 1;
	}
	return 0;
}
