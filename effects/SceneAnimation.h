#pragma once

#include "core/Platform.h"
#include "render/Math.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What the scripted motions need of a placed model: turning meshes by name about their own
// axes (degrees) and the steam anchor, the first anchor of the model's fourth mesh.
class PoseableModel
{
public:
	virtual ~PoseableModel() = default;
	virtual void SetAngleZ(const std::string& mesh, float degrees) = 0;
	virtual void SetAngleY(const std::string& mesh, float degrees) = 0;
	// The steam anchor's position in the model; false when the model has no fourth mesh or it
	// carries no anchor.
	virtual bool SteamAnchorPosition(Vec3& localPosition) = 0;
	// Where the steam leaves from this frame; the anchor update must leave it alone.
	virtual void PlaceSteamAnchor(const Vec3& worldPosition) = 0;
};

// A scene entry's keyframe loop and where it puts the entry. The keys stay with their owner.
struct KeyframePath
{
	std::span<const Vec3> positions;
	std::span<const Quat> rotations;
	int32_t index = 0;
	float blend = 0.0f;
	int32_t delay = 0; // whole segments of 20 units to rest on the first key
};

struct Placement
{
	Vec3 position;
	Quat rotation;
};

struct ClockHands
{
	float minute = 0.0f;
	float hour = 0.0f;
	float second = 0.0f;
};

// The hands of the wall clock at a local time, in degrees about the clock's y axis.
ClockHands ClockHandAngles(const LocalTime& time);

// The few things in the room that code moves: the toy train around the tree, its steam, the
// clock's hands and scene entries that follow a keyframe loop.
class SceneAnimation
{
public:
	// The railroad's train and steam, or the clock's hands, for the instance of that name; any
	// other instance is left alone. Runs once for each time the instance is drawn.
	void AnimateModel(const std::string& instanceName, const Vec3& modelPosition, const LocalTime& time,
	                  float dt, PoseableModel& model);
	// One frame along the path: segments 0 ... n - 3 lead to the next key, segment n - 2 back to
	// key 0, so key n - 1 is never reached.
	static void StepPath(KeyframePath& path, Placement& placement, float dt);

	// Grows without bound; only a drawn railroad moves it on.
	float trainPhase = 0.0f;

private:
	void RunTrain(const Vec3& modelPosition, float dt, PoseableModel& model);
};

extern SceneAnimation g_sceneAnimation;
