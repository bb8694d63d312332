#include "scene/Model.h"

#include "core/Platform.h"
#include "media/MediaStore.h"
#include "render/TextureManager.h"
#include "scene/BsmFile.h"
#include "scene/SharedVertexArray.h"

#include <algorithm>
#include <numeric>

namespace
{
constexpr char kSceneRoot[] = "Scene Root";
constexpr char kCollisionMesh[] = "CollMesh";

Vec3 ToVec3(const Float3& v)
{
	return {v.x, v.y, v.z};
}

MeshMaterial LoadMaterial(const BsmMesh& mesh)
{
	MeshMaterial material = LoadMaterialLayers({&mesh.baseTexture, mesh.hasReflection != 0,
	                                            mesh.reflectionTexture, mesh.hasGlow != 0, mesh.glowTexture});
	material.scrollU = mesh.scrollU;
	material.scrollV = mesh.scrollV;
	return material;
}

// Corners whose indices point nowhere get zero elements (ElementAtReal): the triangle collapses
// but keeps its place, so the vertex ranges stay as the file counts them.
std::vector<MeshVertex> ExpandMesh(const BsmMesh& mesh, const Vec3& pivot)
{
	std::vector<MeshVertex> expanded(mesh.faces.size() * 3);
	for (size_t corner = 0; corner < expanded.size(); ++corner)
	{
		const size_t face = corner / 3;
		const int k = static_cast<int>(corner % 3);
		const Float3 positionIndex = ElementAt(mesh.faces, face);
		const Float3 uvIndex = ElementAt(mesh.uvFaces, face);
		const float* positionCorner = &positionIndex.x;
		const float* uvCorner = &uvIndex.x;
		const Float3 position = ElementAtReal(mesh.positions, positionCorner[k]);
		const Float3 normal = ElementAt(mesh.normals, corner);
		const Float3 uv = ElementAtReal(mesh.uvs, uvCorner[k]);
		MeshVertex& vertex = expanded[corner];
		vertex.position[0] = position.x - pivot.x;
		vertex.position[1] = position.y - pivot.y;
		vertex.position[2] = position.z - pivot.z;
		vertex.normal[0] = normal.x;
		vertex.normal[1] = normal.y;
		vertex.normal[2] = normal.z;
		vertex.uv[0] = uv.x;
		vertex.uv[1] = uv.y;
	}
	return expanded;
}

struct Box
{
	Vec3 max{-999999.0f, -999999.0f, -999999.0f};
	Vec3 min{999999.0f, 999999.0f, 999999.0f};
	bool empty = true;

	void Widen(const Float3& p)
	{
		max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
		min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
		empty = false;
	}
};
} // namespace

uint32_t LoadModelTexture(const std::string& fileName)
{
	return g_textures.Get("Models", "Textures/" + fileName);
}

MeshMaterial LoadMaterialLayers(const MaterialLayerNames& names)
{
	MeshMaterial material;
	if (names.base != nullptr)
	{
		material.baseTexture = LoadModelTexture(*names.base);
	}
	material.hasReflection = names.hasReflection;
	if (material.hasReflection)
	{
		material.reflectionTexture = LoadModelTexture(names.reflection);
	}
	material.hasGlow = names.hasGlow;
	if (material.hasGlow)
	{
		material.glowTexture = LoadModelTexture(names.glow);
	}
	return material;
}

std::string AnchorTag(const std::string& name)
{
	const size_t space = name.find(' ');
	return space == std::string::npos ? name : name.substr(space + 1);
}

void ModelData::Load(const std::string& modelName)
{
	name = modelName;
	MediaBlob blob = g_mediaStore.Find("Models/" + modelName + ".BSM");
	Parse({blob.data, blob.size});
	MediaBlob::Free(blob);
}

void ModelData::Parse(std::span<const uint8_t> bytes)
{
	BsmFile file;
	ReadContentFile(bytes, file);
	Box box;
	meshes.clear();
	for (const BsmMesh& source : file.meshes)
	{
		MeshData& mesh = meshes.emplace_back();
		mesh.material = LoadMaterial(source);
		mesh.name = source.name;
		mesh.parentName = source.parentName;
		mesh.hasParent = source.parentName != kSceneRoot;
		// The arrays as read, not the counts: a damaged file's counts may exceed its arrays.
		mesh.vertexCount = static_cast<int32_t>(source.positions.size());
		mesh.faceCount = static_cast<int32_t>(source.faces.size());
		mesh.pivot = ToVec3(source.pivot);
		std::for_each(source.positions.begin(), source.positions.end(),
		              [&box](const Float3& p) { box.Widen(p); });
		mesh.expanded = ExpandMesh(source, mesh.pivot);
	}
	anchors.clear();
	for (const BsmAnchor& source : file.anchors)
	{
		ModelAnchor& anchor = anchors.emplace_back();
		anchor.localPosition = ToVec3(source.position);
		anchor.name = source.name;
		anchor.parentName = source.parentName;
		anchor.rotation = {source.rotation.x, source.rotation.y, source.rotation.z, source.rotation.w};
		anchor.kind = source.kind;
		anchor.tag = AnchorTag(source.name);
	}
	// A model without positions has zero size rather than the box's starting extremes.
	size = box.empty ? kVec3Zero
	                 : Vec3{(box.max.x - box.min.x) * 2.0f, (box.max.y - box.min.y) * 2.0f,
	                        (box.max.z - box.min.z) * 2.0f};
}

void ModelData::AppendToSharedVertices()
{
	for (MeshData& mesh : meshes)
	{
		mesh.firstVertex = g_sharedVertices.Grow(mesh.expanded.size());
		mesh.endVertex = mesh.firstVertex + 3 * mesh.faceCount;
		for (size_t i = 0; i < mesh.expanded.size(); ++i)
		{
			const MeshVertex& source = mesh.expanded[i];
			SharedVertex& target = g_sharedVertices.At(mesh.firstVertex + static_cast<int32_t>(i));
			std::copy_n(source.position, 3, target.position);
			std::copy_n(source.normal, 3, target.normal);
			std::copy_n(source.uv, 2, target.uv);
		}
		auto indices = std::make_shared<std::vector<uint32_t>>(mesh.expanded.size());
		std::iota(indices->begin(), indices->end(), static_cast<uint32_t>(mesh.firstVertex));
		mesh.indexCount = static_cast<int32_t>(indices->size());
		mesh.indices = std::move(indices);
	}
}

void ModelData::Release()
{
	meshes.clear();
	anchors.clear();
}

void StaticModel::Instantiate(const ModelData& data)
{
	meshCount = static_cast<int32_t>(data.meshes.size());
	size = data.size;
	meshes.clear();
	for (const MeshData& source : data.meshes)
	{
		ModelMesh& mesh = meshes.emplace_back();
		mesh.material = source.material;
		mesh.name = source.name;
		mesh.parentName = source.parentName;
		mesh.pivot = source.pivot;
		mesh.firstVertex = source.firstVertex;
		mesh.endVertex = source.endVertex;
		mesh.hasParent = source.hasParent;
		mesh.indices = source.indices;
		mesh.indexCount = source.indexCount;
		if (source.name == kCollisionMesh)
		{
			collisionVertices = source.expanded.data();
			collisionVertexCount = source.endVertex - source.firstVertex;
		}
		for (const ModelAnchor& anchor : data.anchors)
		{
			if (anchor.parentName == source.name)
			{
				ModelAnchor& copy = mesh.anchors.emplace_back(anchor);
				copy.localPosition = {anchor.localPosition.x - source.pivot.x,
				                      anchor.localPosition.y - source.pivot.y,
				                      anchor.localPosition.z - source.pivot.z};
				++mesh.anchorCount;
			}
		}
	}
	for (ModelMesh& parent : meshes)
	{
		for (size_t child = 0; child < meshes.size(); ++child)
		{
			const ModelMesh& candidate = meshes[child];
			if (&candidate != &parent && candidate.hasParent && candidate.parentName == parent.name)
			{
				parent.children.push_back(static_cast<int32_t>(child));
				++parent.childCount;
			}
		}
	}
	KeepTreeBelowHull();
}

// Names link meshes, so a damaged file can make a mesh its own ancestor or give a mesh two
// parents. Below "Hull" each mesh is kept once, under the first parent the walk meets, so the
// per-frame walks always end and visit each mesh at most once.
void StaticModel::KeepTreeBelowHull()
{
	const int hull = FindHull();
	if (hull < 0)
	{
		return;
	}
	std::vector<bool> reached(meshes.size(), false);
	reached[static_cast<size_t>(hull)] = true;
	std::vector<int> pending{hull};
	while (!pending.empty())
	{
		ModelMesh& mesh = meshes[static_cast<size_t>(pending.back())];
		pending.pop_back();
		std::erase_if(mesh.children,
		              [&reached](int32_t child) { return reached[static_cast<size_t>(child)]; });
		for (const int32_t child : mesh.children)
		{
			reached[static_cast<size_t>(child)] = true;
			pending.push_back(child);
		}
		mesh.childCount = static_cast<int32_t>(mesh.children.size());
	}
}

ModelMesh* StaticModel::FindMesh(const std::string& meshName)
{
	const auto found = std::find_if(meshes.begin(), meshes.end(),
	                                [&meshName](const ModelMesh& mesh) { return mesh.name == meshName; });
	return found == meshes.end() ? nullptr : &*found;
}

int StaticModel::FindHull() const
{
	for (size_t i = 0; i < meshes.size(); ++i)
	{
		if (meshes[i].name == "Hull")
		{
			return static_cast<int>(i);
		}
	}
	return -1;
}

void StaticModel::SetAngleZ(const std::string& meshName, float degrees)
{
	if (ModelMesh* mesh = FindMesh(meshName))
	{
		mesh->angles[2] = degrees;
	}
}

void StaticModel::SetAngleY(const std::string& meshName, float degrees)
{
	if (ModelMesh* mesh = FindMesh(meshName))
	{
		mesh->angles[1] = degrees;
	}
}

Vec3 StaticModel::GetRootPosition() const
{
	const bool hasRoot =
	    std::any_of(meshes.begin(), meshes.end(), [](const ModelMesh& mesh) { return !mesh.hasParent; });
	return hasRoot ? position : kVec3Zero;
}

const ModelData* ModelCache::FindUsed(const std::string& modelName) const
{
	for (int i = 0; i < usedSlots; ++i)
	{
		if (slots[i].name == modelName)
		{
			return &slots[i];
		}
	}
	return nullptr;
}

bool ModelCache::GetOrLoad(const std::string& modelName, StaticModel& target)
{
	if (FindUsed(modelName) == nullptr && usedSlots < kSlotCount)
	{
		ModelData& slot = slots[usedSlots];
		slot.Load(modelName);
		slot.AppendToSharedVertices();
		++usedSlots;
	}
	// A 41st model finds no free slot and ends here, like a name that is still missing.
	const ModelData* data = FindUsed(modelName);
	if (data == nullptr)
	{
		Sys_MessageBox("Error", "Not found " + modelName);
		return false;
	}
	target.Instantiate(*data);
	return true;
}

void ModelCache::Release()
{
	for (int i = 0; i < usedSlots; ++i)
	{
		slots[i].Release();
	}
}

namespace
{
// Exactly 20 anchors take the every-frame regime: 20 spawns a frame are still cheap, and a mesh
// of 20 emitters then looks like one of 19 rather than flickering one at a time.
constexpr size_t kEveryFrameAnchors = 20;
} // namespace

bool AnchorMayEmit(const std::vector<ModelAnchor>& anchors, size_t index)
{
	return anchors.size() > kEveryFrameAnchors || anchors[index].kind == AnchorKind::kEmitter;
}

std::vector<int> AnchorsToEmit(const std::vector<ModelAnchor>& anchors, float& emitCursor, float frameTime)
{
	std::vector<int> chosen;
	const int count = static_cast<int>(anchors.size());
	if (anchors.size() <= kEveryFrameAnchors)
	{
		for (int i = 0; i < count; ++i)
		{
			if (AnchorMayEmit(anchors, static_cast<size_t>(i)))
			{
				chosen.push_back(i);
			}
		}
		return chosen;
	}
	if (static_cast<float>(count) <= emitCursor || !(emitCursor >= 0.0f))
	{
		emitCursor = 0.0f;
	}
	chosen.push_back(static_cast<int>(emitCursor));
	emitCursor += frameTime * 0.4f;
	return chosen;
}
