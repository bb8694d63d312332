#pragma once

#include "render/Math.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct BsmFile;

// One corner of a parsed mesh's triangle list: position relative to the mesh pivot, normal,
// texture coordinate. The last three floats keep the record at the size collision code expects;
// nothing writes or reads them.
struct MeshVertex
{
	float position[3] = {};
	float normal[3] = {};
	float uv[2] = {};
	float unused[3] = {};
};

// The texture layers of one mesh; an absent layer keeps texture name 0.
struct MeshMaterial
{
	bool hasReflection = false;
	bool hasGlow = false;
	float scrollU = 0.0f;
	float scrollV = 0.0f;
	uint32_t baseTexture = 0;
	uint32_t reflectionTexture = 0;
	uint32_t glowTexture = 0;
};

// The textures of a material's layers, of the room or of a model, all from the models' texture
// folder: the base picture where the material names one, then the reflection and the glow where
// the material has them, in that order; a layer it does not have keeps texture 0.
struct MaterialLayerNames
{
	const std::string* base = nullptr;
	bool hasReflection = false;
	const std::string& reflection;
	bool hasGlow = false;
	const std::string& glow;
};
MeshMaterial LoadMaterialLayers(const MaterialLayerNames& names);
// One picture of the models' texture folder ("Textures/...").
uint32_t LoadModelTexture(const std::string& fileName);

struct MeshData
{
	std::vector<MeshVertex> expanded; // triangle t is entries 3t, 3t + 1, 3t + 2
	Vec3 pivot;
	MeshMaterial material;
	std::string name;
	std::string parentName;
	int32_t faceCount = 0;
	int32_t vertexCount = 0;
	int32_t firstVertex = 0;
	int32_t endVertex = 0;
	// firstVertex, firstVertex + 1, ... endVertex - 1: what glDrawElements reads. Shared by every
	// instance of the model.
	std::shared_ptr<const std::vector<uint32_t>> indices;
	int32_t indexCount = 0;
	bool hasParent = false;
};

// A named point on a model or in the room: an emitter, a light marker or a placement.
// What an anchor of a scene or model file marks. A model's anchors are emitters or nothing.
namespace AnchorKind
{
inline constexpr int32_t kLightMarker = 1;
inline constexpr int32_t kEmitter = 2;
inline constexpr int32_t kModelInstance = 3;
inline constexpr int32_t kAnimatedModel = 4;
} // namespace AnchorKind

struct ModelAnchor
{
	std::string name; // "emit candle"
	std::string tag;  // "candle": the text after the first space, or the whole name
	std::string parentName;
	Vec3 localPosition;
	Vec3 worldPosition;
	Quat rotation;
	int32_t kind = 0;
};

// The text after the first space of an anchor name; the whole name when it has none.
std::string AnchorTag(const std::string& name);

// One parsed model file, kept by the model cache for the whole run.
class ModelData
{
public:
	// Parses "Models/<name>.BSM" from the media store. A missing file gives an empty model.
	void Load(const std::string& modelName);
	// Parses the bytes of a model file; textures are requested as they are named. A damaged file
	// keeps what was read before the damage (see ReadContentFile).
	void Parse(std::span<const uint8_t> bytes);
	// Copies every mesh's triangle list to the shared vertex array and builds its index list.
	void AppendToSharedVertices();
	void Release();

	std::string name;
	std::vector<MeshData> meshes;
	std::vector<ModelAnchor> anchors;
	Vec3 size; // twice the extent of the box around all positions
};

struct ModelMesh
{
	Vec3 worldPosition;
	float scrollOffset[2] = {};
	float angles[3] = {}; // degrees about x, y, z; set by animation code
	Mat4 localMatrix = kMat4Identity;
	Mat4 inverseMatrix = kMat4Identity;
	Quat localRotation;
	Quat worldRotation;
	Vec3 pivot;
	MeshMaterial material;
	std::string name;
	std::string parentName;
	int32_t firstVertex = 0;
	int32_t endVertex = 0;
	int32_t childCount = 0;
	int32_t anchorCount = 0;
	std::vector<int32_t> children;
	std::vector<ModelAnchor> anchors; // localPosition relative to this mesh's pivot
	bool hasParent = false;
	std::shared_ptr<const std::vector<uint32_t>> indices;
	int32_t indexCount = 0;
};

// One placement of a cached model: its own copy of the mesh hierarchy with its own angles and
// scroll offsets; the geometry stays shared.
class StaticModel
{
public:
	void Instantiate(const ModelData& data);
	// The first mesh with exactly this name gets the angle; no match, no change.
	void SetAngleZ(const std::string& meshName, float degrees);
	void SetAngleY(const std::string& meshName, float degrees);
	Vec3 GetRootPosition() const;
	// The first mesh named "Hull", or -1: drawing and updating start there.
	int FindHull() const;

	// Per frame: the mesh transforms, the anchors' world positions and the scroll offsets.
	void Update(float frameTime);
	void Draw() const;

	int32_t meshCount = 0;
	const MeshVertex* collisionVertices = nullptr; // owned by the cached ModelData
	int32_t collisionVertexCount = 0;
	std::vector<ModelMesh> meshes;
	Vec3 size;
	float emitCursor = 0.0f;
	Vec3 position;
	Quat orientation;

private:
	ModelMesh* FindMesh(const std::string& meshName);
	void KeepTreeBelowHull();
	void UpdateNode(int index, const Quat& parentRotation, const Vec3& parentPivot, const Vec3& parentWorld);
	void RefreshAnchors(int index, float frameTime);
	void DrawNode(int index, const Vec3& parentPivot) const;
};

// The models of the room, parsed once each. Slots are filled from the front and never emptied
// while the saver runs; a model whose file is missing still takes its slot, so it is not looked
// for again.
class ModelCache
{
public:
	static constexpr int kSlotCount = 40;

	// Fills `target` from the model called `modelName`, parsing its file first when needed.
	// False, after the "Not found " message, when the model has no slot (the table is full).
	bool GetOrLoad(const std::string& modelName, StaticModel& target);
	void Release();

	int UsedSlots() const { return usedSlots; }
	const ModelData& Slot(int index) const { return slots[index]; }

private:
	const ModelData* FindUsed(const std::string& modelName) const;

	ModelData slots[kSlotCount];
	int usedSlots = 0;
};

// The anchors of one mesh to hand to the particle system this frame. With 20 anchors or fewer
// every emitter anchor goes each frame; with more, one anchor per frame in turn, whatever its
// kind, moving the model's cursor on by frameTime x 0.4.
std::vector<int> AnchorsToEmit(const std::vector<ModelAnchor>& anchors, float& emitCursor, float frameTime);
// Whether AnchorsToEmit ever hands over this anchor of the mesh.
bool AnchorMayEmit(const std::vector<ModelAnchor>& anchors, size_t index);
