#pragma once

#include "scene/BssFile.h"
#include "tools/room/Mesh.h"
#include "tools/room/Models.h"

#include <string>
#include <vector>

// How an object of the room gets its lightmap.
enum class LightmapMode
{
	Baked, // lit by the baker
	None   // no lightmap: glass, additive glows and the outside, whose shade is in its textures
};

struct SceneRun
{
	std::string texture;
	Mesh mesh;
	bool twoSided = false;
};

struct SceneDraft
{
	explicit SceneDraft(std::string objectName) : name(std::move(objectName)) {}

	std::string name;
	std::string zone = "room"; // the zone it stands in; "Scene Root" for a zone itself
	std::vector<SceneRun> runs;
	LightmapMode mode = LightmapMode::Baked;
	float texelsPerUnit = 0.33f;
};

// Named apart from the engine's Placement: the tests link the room kit and the engine together,
// and two classes of one name would share (and break) each other's std::vector code.
struct ModelPlacement
{
	std::string model;
	Vec3 position;
};

// A light for the baker: a small sphere of the given radius; power in the baker's units.
struct BakeLight
{
	Vec3 position;
	Vec3 colour;
	float radius = 1.0f;
};

struct RoomLayout
{
	std::vector<SceneDraft> objects;
	std::vector<ModelPlacement> placements;
	std::vector<BssAnchor> emitters;
	std::vector<BssPortal> portals; // the windows, from the room to the outside
	Vec3 firePosition;
	Bounds roomBox;                // the zone "room"
	std::vector<Bounds> furniture; // where no camera may stand
	std::vector<BakeLight> lights;
	Vec3 treePosition;
	Vec3 clockPosition;
	Vec3 windowCentre;
	Vec3 fireplaceFront;
};

RoomLayout BuildRoom(const std::vector<ModelDraft>& models);
