#pragma once

#include "core/Platform.h"
#include "render/Math.h"
#include "scene/AnimatedModel.h"
#include "scene/Camera.h"
#include "scene/ContentStream.h"
#include "scene/Model.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

struct BssFile;
struct BssObject;
struct BssAnchor;

// One drawable run of a scene object: a vertex range of the shared array and its layers.
struct SceneSubmesh
{
	int32_t firstVertex = 0;
	int32_t vertexCount = 0;
	int32_t materialIndex = 0;
	uint32_t baseTexture = 0;
	uint32_t reflectionTexture = 0;
	uint32_t glowTexture = 0;
	uint32_t lightmapTexture = 0;
	bool hasReflection = false;
	bool hasGlow = false;
	bool additive = false;
	bool glass = false;
	bool twoSided = false;
	bool hasLightmap = false;
};

struct SceneLight
{
	float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
	float ambient[4] = {};
	float diffuse[4] = {};
	float specular[4] = {};
	float reach = 0.0f;
	float range = 0.0f;
	std::vector<std::string> targets;
};

struct SceneObject;

struct ScenePortal
{
	std::string name;
	std::string targetName;
	std::vector<Vec3> positions;
	std::vector<Float3> faces; // position indices as integral reals
	Vec3 normal;
	Vec3 center;
	bool* targetVisible = nullptr;
	SceneObject* target = nullptr;
	uint32_t queryName = 0;
};

// A light marker or an emitter of the room; instances and animated models become objects.
struct SceneAnchor : ModelAnchor
{
	std::vector<Vec3> keyPositions;
	std::vector<Quat> keyRotations;
	bool visible = false;
};

struct SceneObject
{
	std::string name;
	std::string parentName;
	std::vector<SceneSubmesh> submeshes;
	bool hasLightmap = false;
	uint32_t lightmapTexture = 0;
	bool glass = false;
	bool isZone = false;
	bool isInstance = false;
	std::unique_ptr<StaticModel> model;
	// Created from an animated-model anchor: the fire.
	bool isAnimated = false;
	std::unique_ptr<AnimatedModel> animated;
	bool hasPath = false;
	std::vector<Vec3> pathPositions;
	std::vector<Quat> pathRotations;
	int32_t pathKeyCount = 0;
	int32_t pathIndex = 0;
	float pathBlend = 0.0f;
	int32_t pathDelay = 0;
	Quat rotation;
	Vec3 boxMax{-999999.0f, -999999.0f, -999999.0f};
	Vec3 boxMin{999999.0f, 999999.0f, 999999.0f};
	Vec3 extent;
	Vec3 boundCenter;
	float boundRadius = 0.0f;
	bool visible = false;
	bool unvisited = true;
	bool* parentVisible = nullptr;
	std::vector<bool*> members; // for a zone: the visible flags of its objects and anchors
	std::vector<ScenePortal*> portals;
	std::vector<const SceneLight*> lights;
	uint32_t queryName = 0;

	// The sort keys: the flags of the first submesh.
	bool FirstSubmeshGlass() const { return !submeshes.empty() && submeshes[0].glass; }
	bool FirstSubmeshAdditive() const { return !submeshes.empty() && submeshes[0].additive; }
};

// The one room of the saver, loaded from "Models/test.BSS" during the loading screen and kept
// until the process ends.
class Scene
{
public:
	void Load();
	// Builds the room from the bytes of a scene file (a damaged file keeps what was read before
	// the damage), then links, assigns lights, uploads the vertices and picks the first camera.
	void LoadFromBytes(std::span<const uint8_t> bytes);
	// Both steps below; the GL context must still be current.
	void Release();
	// Objects, portals, anchors, lights, cameras, query names and the vertex buffer.
	void ReleaseObjects();
	// The model cache and the shared vertices; instances must be gone first.
	void ReleaseModels();
	// For measuring what the effects cost: the fire, the additive glows and the glow layers of
	// the room and its models are dropped, the rest of the room stays as it was.
	void LeaveOutEffects();

	// Camera choice: a shuffle bag that shows every flight once per cycle.
	void PickFirstCamera();
	void SwitchCameraIfFinished(float dt);
	Camera* CurrentCamera();

	// Per frame (DrawPasses.cpp).
	void ResetVisibility();
	// `time` is the local time the room's clock shows.
	void CullAndDrawOpaque(float frameTime, const LocalTime& time);
	void DrawList(const std::vector<SceneObject*>& list, float alphaReference, float frameTime,
	              const LocalTime& time);
	// Every object of the glass pass, or of the opaque pass, whether in view or not.
	std::vector<SceneObject*> EveryObject(bool glass) const;

	std::vector<std::unique_ptr<SceneObject>> objects;
	std::vector<SceneObject*> zones;
	std::vector<SceneObject*> others;
	std::unique_ptr<SceneObject> visMesh;
	std::vector<std::unique_ptr<ScenePortal>> portals;
	std::vector<Camera> cameras;
	int32_t currentCamera = 0;
	std::vector<int32_t> cameraBag;
	std::vector<std::unique_ptr<SceneAnchor>> anchors;
	std::vector<std::unique_ptr<SceneLight>> lights;
	std::vector<SceneObject*> opaqueList;
	std::vector<SceneObject*> glassList;
	bool lightSourceSeen = false;
	Vec3 lightSourcePosition;
	ModelCache modelCache;
	uint32_t vertexBuffer = 0;
	bool hasOcclusionQuery = false;
	int32_t drawnObjects = 0;
	// The seed of every shuffle of the flights; without one each shuffle takes the millisecond
	// timer.
	std::optional<unsigned> fixedCameraSeed;

private:
	// The instances queried for the next frame: those their zone marked visible.
	std::vector<SceneObject*> queryCandidates;

	// The particle effects the room's emitters and its placed models' emitters name.
	std::set<std::string> EffectNames() const;
	void LoadObject(const BssObject& record, std::vector<std::unique_ptr<SceneObject>>& meshObjects);
	void LoadAnchor(const BssAnchor& record, std::vector<std::unique_ptr<SceneObject>>& instances,
	                std::vector<std::unique_ptr<SceneObject>>& animated);
	void SortForBlending();
	void Link();
	void SplitAndQuery();
	void AssignLights();
	void PickCamera();
	void RefillCameraBag();

	// How the walk through the zones judges a portal's far side (scene/Visibility.cpp).
	enum class PortalTest
	{
		View,
		Query
	};
	void VisitZone(SceneObject& zone, const Vec3& eye, PortalTest test);
	bool PortalSeenInView(ScenePortal& portal, const Vec3& eye);
	bool PortalSeenByQuery(ScenePortal& portal);
	void EmitSceneAnchors();
	void BuildLists();
	void IssueQueries();
	void Cull(PortalTest test);
	void CullInstancesByQueries(const Vec3& eye);
};

extern Scene g_scene;

// min < p < max on all three axes.
bool BoxStrictlyContains(const Vec3& min, const Vec3& max, const Vec3& p);
