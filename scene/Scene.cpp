#include "scene/Scene.h"

#include "core/Platform.h"
#include "effects/ParticleSystem.h"
#include "media/MediaStore.h"
#include "render/Renderer.h"
#include "render/TextureManager.h"
#include "scene/BssFile.h"
#include "scene/DrawPasses.h"
#include "scene/SharedVertexArray.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>

Scene g_scene;

namespace
{
constexpr char kSceneFile[] = "Models/test.BSS";
constexpr char kSceneRoot[] = "Scene Root";
// The exporter's tables end here; more shows the exporter's own terse complaint and goes on.
constexpr int32_t kMaxMaterialsQuietly = 319;
constexpr int32_t kMaxTargetsQuietly = 39;
constexpr float kInstanceRadius = 1000.0f;

Vec3 ToVec3(const Float3& v)
{
	return {v.x, v.y, v.z};
}

Quat ToQuat(const Float4& q)
{
	return {q.x, q.y, q.z, q.w};
}

void ShowTableOverflow()
{
	Sys_MessageBox("Error", "adas");
}

// The material record a run names. An index outside the records read (the exporter wrote 6 for
// an object with one material) falls back to the first record.
int32_t CheckedMaterialIndex(int32_t index, size_t materialCount)
{
	return index >= 0 && static_cast<size_t>(index) < materialCount ? index : 0;
}

// A run is drawn with glDrawArrays straight from the shared array, so it must stay among the
// object's own corners: a run that starts before them is dropped, one that reaches past them is
// cut at the object's end. The shipped file never needs either.
bool ClampRun(int64_t firstCorner, int64_t cornerCount, int64_t objectCorners, int32_t& first, int32_t& count)
{
	if (firstCorner < 0 || cornerCount < 1 || firstCorner >= objectCorners)
	{
		return false;
	}
	first = static_cast<int32_t>(firstCorner);
	count = static_cast<int32_t>(std::min(cornerCount, objectCorners - firstCorner));
	return true;
}

// A material without a picture name of more than four characters keeps the base texture 0 and
// its sides and blending as they are.
void ApplyMaterial(SceneSubmesh& submesh, const BssMaterial& material)
{
	const bool named = material.texture.size() > 4;
	const MeshMaterial layers =
	    LoadMaterialLayers({named ? &material.texture : nullptr, material.hasReflection != 0,
	                        material.reflectionTexture, material.hasGlow != 0, material.glowTexture});
	if (named)
	{
		submesh.baseTexture = layers.baseTexture;
		submesh.twoSided = material.twoSided != 0;
		submesh.additive = material.texture.starts_with("ad");
	}
	submesh.hasReflection = layers.hasReflection;
	submesh.reflectionTexture = layers.reflectionTexture;
	submesh.hasGlow = layers.hasGlow;
	submesh.glowTexture = layers.glowTexture;
}

void ComputeBounds(SceneObject& object, const std::vector<Float3>& positions)
{
	for (const Float3& p : positions)
	{
		object.boxMax = {std::max(object.boxMax.x, p.x), std::max(object.boxMax.y, p.y),
		                 std::max(object.boxMax.z, p.z)};
		object.boxMin = {std::min(object.boxMin.x, p.x), std::min(object.boxMin.y, p.y),
		                 std::min(object.boxMin.z, p.z)};
	}
	const Vec3& max = object.boxMax;
	const Vec3& min = object.boxMin;
	object.extent = {max.x - min.x, max.y - min.y, max.z - min.z};
	object.boundCenter = {(max.x + min.x) * 0.5f, (max.y + min.y) * 0.5f, (max.z + min.z) * 0.5f};
	object.boundRadius = Distance(max, min);
}

// Corners whose indices point nowhere get zero elements (ElementAtReal), as in the model files.
void ExpandIntoSharedVertices(const BssObject& record, bool withLightmap)
{
	const size_t corners = record.faces.size() * 3;
	const int32_t base = g_sharedVertices.Grow(corners);
	for (size_t corner = 0; corner < corners; ++corner)
	{
		const size_t face = corner / 3;
		const size_t k = corner % 3;
		const auto cornerOf = [face, k](const std::vector<Float3>& faces)
		{
			const Float3 f = ElementAt(faces, face);
			return k == 0 ? f.x : (k == 1 ? f.y : f.z);
		};
		SharedVertex& vertex = g_sharedVertices.At(base + static_cast<int32_t>(corner));
		const Float3 position = ElementAtReal(record.positions, cornerOf(record.faces));
		const Float3 normal = ElementAt(record.normals, corner);
		const Float3 uv = ElementAtReal(record.uvs, cornerOf(record.uvFaces));
		vertex.position[0] = position.x;
		vertex.position[1] = position.y;
		vertex.position[2] = position.z;
		vertex.normal[0] = normal.x;
		vertex.normal[1] = normal.y;
		vertex.normal[2] = normal.z;
		vertex.uv[0] = uv.x;
		vertex.uv[1] = uv.y;
		if (withLightmap)
		{
			const Float3 lightmapUv = ElementAtReal(record.lightmapUvs, cornerOf(record.lightmapFaces));
			vertex.lightmapUv[0] = lightmapUv.x;
			vertex.lightmapUv[1] = lightmapUv.y;
		}
	}
}

// "instance candle" gives "candle"; a name with a further space ("instance candle 2") is cut
// before its last space.
std::string PlacedModelName(const std::string& anchorName)
{
	std::string name = AnchorTag(anchorName);
	const size_t lastSpace = name.rfind(' ');
	return lastSpace == std::string::npos ? name : name.substr(0, lastSpace);
}

// The exchange sort of the exporter's loader, kept as it is because it fixes the drawing order
// of the room: objects whose key is set end up after those whose key is clear. Objects without
// submeshes (placed and animated models) never move.
template <typename Key> void ExchangeSort(std::vector<std::unique_ptr<SceneObject>>& objects, Key key)
{
	for (size_t i = 0; i < objects.size(); ++i)
	{
		for (size_t j = 0; j < objects.size(); ++j)
		{
			SceneObject& a = *objects[i];
			SceneObject& b = *objects[j];
			if (!a.submeshes.empty() && !b.submeshes.empty() && key(a) < key(b))
			{
				std::swap(objects[i], objects[j]);
			}
		}
	}
}

uint32_t NewQueryName()
{
	GLuint name = 0;
	glGenQueriesARB(1, &name);
	return name;
}
} // namespace

void Scene::Load()
{
	MediaBlob blob = g_mediaStore.Find(kSceneFile);
	// A missing scene file is an empty room: nothing is drawn and nothing is said.
	LoadFromBytes({blob.data, blob.size});
	MediaBlob::Free(blob);
	// The effects load with the room rather than when a flight first shows their emitters, which
	// would pause the picture for the file and its sprites, minutes into the run.
	for (const std::string& name : EffectNames())
	{
		g_particles.FindEmitter(name);
	}
}

std::set<std::string> Scene::EffectNames() const
{
	std::set<std::string> names;
	for (const std::unique_ptr<SceneAnchor>& anchor : anchors)
	{
		if (anchor->kind == AnchorKind::kEmitter)
		{
			names.insert(anchor->tag);
		}
	}
	for (const std::unique_ptr<SceneObject>& object : objects)
	{
		if (!object->model)
		{
			continue;
		}
		for (const ModelMesh& mesh : object->model->meshes)
		{
			for (size_t i = 0; i < mesh.anchors.size(); ++i)
			{
				if (AnchorMayEmit(mesh.anchors, i))
				{
					names.insert(mesh.anchors[i].tag);
				}
			}
		}
	}
	return names;
}

void Scene::LoadObject(const BssObject& record, std::vector<std::unique_ptr<SceneObject>>& meshObjects)
{
	auto object = std::make_unique<SceneObject>();
	object->name = record.name;
	object->parentName = record.parentName;
	if (record.materialCount > kMaxMaterialsQuietly)
	{
		ShowTableOverflow();
	}
	const int32_t firstSceneVertex = g_sharedVertices.Size();
	const int64_t objectCorners = static_cast<int64_t>(record.faces.size()) * 3;
	object->glass = record.name == "glass";
	for (const BssMaterial& material : record.materials)
	{
		SceneSubmesh submesh;
		if (!ClampRun(material.firstCorner, material.cornerCount, objectCorners, submesh.firstVertex,
		              submesh.vertexCount))
		{
			continue;
		}
		submesh.firstVertex += firstSceneVertex;
		submesh.materialIndex = CheckedMaterialIndex(material.materialIndex, record.materials.size());
		submesh.glass = object->glass;
		object->submeshes.push_back(submesh);
	}
	for (SceneSubmesh& submesh : object->submeshes)
	{
		ApplyMaterial(submesh, record.materials[static_cast<size_t>(submesh.materialIndex)]);
	}
	object->hasLightmap = record.hasLightmap != 0;
	if (object->hasLightmap)
	{
		object->lightmapTexture = LoadModelTexture(record.lightmapTexture);
		for (SceneSubmesh& submesh : object->submeshes)
		{
			submesh.hasLightmap = true;
			submesh.lightmapTexture = object->lightmapTexture;
		}
	}
	ComputeBounds(*object, record.positions);
	object->isZone = record.parentName == kSceneRoot;
	ExpandIntoSharedVertices(record, object->hasLightmap);
	if (record.name == "vismesh")
	{
		visMesh = std::move(object);
		return;
	}
	meshObjects.push_back(std::move(object));
}

void Scene::LoadAnchor(const BssAnchor& record, std::vector<std::unique_ptr<SceneObject>>& instances,
                       std::vector<std::unique_ptr<SceneObject>>& animated)
{
	std::vector<Vec3> keyPositions;
	std::vector<Quat> keyRotations;
	for (const Float3& p : record.positions)
	{
		keyPositions.push_back(ToVec3(p));
	}
	// A damaged file may hold fewer rotations than positions; the missing ones are no turn.
	for (size_t key = 0; key < keyPositions.size(); ++key)
	{
		keyRotations.push_back(key < record.rotations.size() ? ToQuat(record.rotations[key]) : kQuatIdentity);
	}
	const Vec3 firstPosition = keyPositions.empty() ? kVec3Zero : keyPositions[0];
	const Quat firstRotation = keyRotations.empty() ? kQuatIdentity : keyRotations[0];

	if (record.kind == AnchorKind::kModelInstance || record.kind == AnchorKind::kAnimatedModel)
	{
		auto object = std::make_unique<SceneObject>();
		object->name = record.name;
		object->parentName = record.parentName;
		object->boundRadius = kInstanceRadius;
		object->boundCenter = firstPosition;
		object->rotation = kQuatIdentity;
		if (keyPositions.size() > 1)
		{
			object->hasPath = true;
			object->pathKeyCount = static_cast<int32_t>(keyPositions.size());
			object->pathPositions = keyPositions;
			object->pathRotations = keyRotations;
			object->pathDelay = record.pathDelay;
		}
		if (record.kind == AnchorKind::kModelInstance)
		{
			object->isInstance = true;
			object->model = std::make_unique<StaticModel>();
			object->model->orientation = firstRotation;
			modelCache.GetOrLoad(PlacedModelName(record.name), *object->model);
			object->extent = object->model->size;
			instances.push_back(std::move(object));
			return;
		}
		object->isAnimated = true;
		object->animated = std::make_unique<AnimatedModel>();
		object->animated->Load(PlacedModelName(record.name));
		// Loading starts the animation (both speeds 0.2) and rebuilds the model, so the
		// rotation of the anchor's first key is set afterwards.
		QuatToMatrix(firstRotation, object->animated->rotationMatrix);
		animated.push_back(std::move(object));
		return;
	}
	// Only light markers and emitters stay anchors; any other kind means nothing to the room.
	if (record.kind != AnchorKind::kLightMarker && record.kind != AnchorKind::kEmitter)
	{
		return;
	}
	auto anchor = std::make_unique<SceneAnchor>();
	anchor->name = record.name;
	anchor->tag = AnchorTag(record.name);
	anchor->parentName = record.parentName;
	anchor->kind = record.kind;
	anchor->keyPositions = std::move(keyPositions);
	anchor->keyRotations = std::move(keyRotations);
	anchor->localPosition = anchor->worldPosition = firstPosition;
	anchor->rotation = firstRotation;
	for (const std::unique_ptr<ScenePortal>& portal : portals)
	{
		if (portal->targetName == anchor->name)
		{
			portal->targetVisible = &anchor->visible;
		}
	}
	anchors.push_back(std::move(anchor));
}

void Scene::LoadFromBytes(std::span<const uint8_t> bytes)
{
	Release();
	BssFile file;
	ReadContentFile(bytes, file);

	std::vector<std::unique_ptr<SceneObject>> meshObjects;
	std::vector<std::unique_ptr<SceneObject>> instances;
	std::vector<std::unique_ptr<SceneObject>> animated;
	for (const BssObject& record : file.objects)
	{
		LoadObject(record, meshObjects);
	}
	const bool queries = g_rendererCaps.hasOcclusionQuery;
	for (const BssPortal& record : file.portals)
	{
		auto portal = std::make_unique<ScenePortal>();
		portal->name = record.name;
		portal->targetName = record.targetName;
		for (const Float3& p : record.positions)
		{
			portal->positions.push_back(ToVec3(p));
			portal->center = {portal->center.x + p.x, portal->center.y + p.y, portal->center.z + p.z};
		}
		const float count = static_cast<float>(std::max<size_t>(portal->positions.size(), 1));
		portal->center = {portal->center.x / count, portal->center.y / count, portal->center.z / count};
		portal->faces = record.faces;
		portal->normal = ToVec3(record.normal);
		portal->queryName = queries ? NewQueryName() : 0;
		portals.push_back(std::move(portal));
	}
	for (const BssCamera& record : file.cameras)
	{
		cameras.emplace_back().Load(record);
	}
	for (const BssAnchor& record : file.anchors)
	{
		LoadAnchor(record, instances, animated);
	}
	for (const BssLight& record : file.lights)
	{
		if (record.targetCount > kMaxTargetsQuietly)
		{
			ShowTableOverflow();
		}
		auto light = std::make_unique<SceneLight>();
		light->position[0] = record.position.x;
		light->position[1] = record.position.y;
		light->position[2] = record.position.z;
		const float colour[3] = {record.color.x, record.color.y, record.color.z};
		for (int c = 0; c < 3; ++c)
		{
			light->ambient[c] = 1.6f * record.intensity;
			light->diffuse[c] = light->specular[c] = colour[c] * record.intensity;
		}
		light->ambient[3] = light->diffuse[3] = light->specular[3] = record.intensity;
		light->reach = record.reach;
		light->range = record.range;
		light->targets = record.targets;
		lights.push_back(std::move(light));
	}

	for (auto* group : {&meshObjects, &instances, &animated})
	{
		std::move(group->begin(), group->end(), std::back_inserter(objects));
	}
	SortForBlending();
	Link();
	SplitAndQuery();
	AssignLights();
	if (g_rendererCaps.hasVertexBuffers)
	{
		UploadSharedVertices(*this);
	}
	hasOcclusionQuery = queries;
	PickFirstCamera();
}

void Scene::SortForBlending()
{
	ExchangeSort(objects, [](const SceneObject& o) { return o.FirstSubmeshGlass(); });
	ExchangeSort(objects, [](const SceneObject& o) { return o.FirstSubmeshAdditive(); });
}

void Scene::Link()
{
	for (const std::unique_ptr<SceneObject>& zone : objects)
	{
		for (const std::unique_ptr<SceneObject>& member : objects)
		{
			if (member->parentName == zone->name)
			{
				zone->members.push_back(&member->visible);
				member->parentVisible = &zone->visible;
			}
		}
		for (const std::unique_ptr<ScenePortal>& portal : portals)
		{
			if (portal->name == zone->name)
			{
				zone->portals.push_back(portal.get());
			}
			if (portal->targetName == zone->name)
			{
				portal->targetVisible = &zone->visible;
				portal->target = zone.get();
			}
		}
		// Light markers are not zone members: they are seen only through a portal that names them.
		for (const std::unique_ptr<SceneAnchor>& anchor : anchors)
		{
			if (anchor->kind != AnchorKind::kLightMarker && anchor->parentName == zone->name)
			{
				zone->members.push_back(&anchor->visible);
			}
		}
	}
}

void Scene::SplitAndQuery()
{
	for (const std::unique_ptr<SceneObject>& object : objects)
	{
		if (object->isZone)
		{
			zones.push_back(object.get());
			continue;
		}
		others.push_back(object.get());
		if (g_rendererCaps.hasOcclusionQuery)
		{
			object->queryName = NewQueryName();
		}
	}
}

void Scene::AssignLights()
{
	for (const std::unique_ptr<SceneObject>& object : objects)
	{
		if (object->hasLightmap)
		{
			continue;
		}
		for (const std::unique_ptr<SceneLight>& light : lights)
		{
			const float margin = 2.0f * light->reach;
			const Vec3 min{object->boxMin.x - margin, object->boxMin.y - margin, object->boxMin.z - margin};
			const Vec3 max{object->boxMax.x + margin, object->boxMax.y + margin, object->boxMax.z + margin};
			const Vec3 at{light->position[0], light->position[1], light->position[2]};
			if (BoxStrictlyContains(min, max, at) ||
			    std::find(light->targets.begin(), light->targets.end(), object->name) != light->targets.end())
			{
				object->lights.push_back(light.get());
			}
		}
	}
}

void Scene::Release()
{
	ReleaseObjects();
	ReleaseModels();
}

void Scene::ReleaseModels()
{
	modelCache.Release();
	modelCache = {};
	g_sharedVertices.Release();
}

void Scene::ReleaseObjects()
{
	if (g_rendererCaps.hasOcclusionQuery)
	{
		for (const std::unique_ptr<SceneObject>& object : objects)
		{
			glDeleteQueriesARB(1, &object->queryName);
		}
		for (const std::unique_ptr<ScenePortal>& portal : portals)
		{
			glDeleteQueriesARB(1, &portal->queryName);
		}
	}
	if (vertexBuffer != 0)
	{
		glDeleteBuffersARB(1, &vertexBuffer);
		vertexBuffer = 0;
	}
	objects.clear();
	zones.clear();
	others.clear();
	visMesh.reset();
	portals.clear();
	cameras.clear();
	cameraBag.clear();
	currentCamera = 0;
	anchors.clear();
	lights.clear();
	opaqueList.clear();
	glassList.clear();
}

void Scene::LeaveOutEffects()
{
	for (const std::unique_ptr<SceneObject>& object : objects)
	{
		if (object->isAnimated)
		{
			object->animated.reset();
			object->isAnimated = false;
		}
		std::erase_if(object->submeshes, [](const SceneSubmesh& submesh) { return submesh.additive; });
		for (SceneSubmesh& submesh : object->submeshes)
		{
			submesh.hasGlow = false;
		}
		if (object->model)
		{
			for (ModelMesh& mesh : object->model->meshes)
			{
				mesh.material.hasGlow = false;
			}
		}
	}
}

bool BoxStrictlyContains(const Vec3& min, const Vec3& max, const Vec3& p)
{
	return min.x < p.x && p.x < max.x && min.y < p.y && p.y < max.y && min.z < p.z && p.z < max.z;
}
