#include "effects/SceneAnimation.h"

#include <algorithm>
#include <cmath>

SceneAnimation g_sceneAnimation;

namespace
{
// Half the train's turn in radians per unit of phase: 0.6 degrees with the content's pi, halved
// for the quaternion.
constexpr float kSteamHalfAngle = static_cast<float>(0.6 * kContentPi / 360.0);
constexpr float kTrainDegreesPerPhase = 0.6f;
constexpr float kTrainPhasePerUnit = 0.8f;
// The steam leaves the chimney, above the anchor.
constexpr Vec3 kSteamLift{0.0f, 0.0f, 7.0f};
constexpr float kPathBlendPerUnit = 0.05f;
} // namespace

ClockHands ClockHandAngles(const LocalTime& time)
{
	// 12 stays 12 and 0 stays 0: both stand the hour hand at the top.
	const int hour = time.hour > 12 ? time.hour - 12 : time.hour;
	ClockHands hands;
	hands.minute = static_cast<float>(time.minute) * -6.0f;
	hands.hour = (static_cast<float>(hour) + static_cast<float>(time.minute) * 0.016666668f) * -30.0f;
	hands.second = static_cast<float>(time.second) * -6.0f;
	return hands;
}

void SceneAnimation::AnimateModel(const std::string& instanceName, const Vec3& modelPosition,
                                  const LocalTime& time, float dt, PoseableModel& model)
{
	if (instanceName == "instance railroad")
	{
		RunTrain(modelPosition, dt, model);
	}
	if (instanceName == "instance Clock")
	{
		const ClockHands hands = ClockHandAngles(time);
		model.SetAngleY("Arrow01", hands.minute);
		model.SetAngleY("Arrow02", hands.hour);
		model.SetAngleY("Arrow03", hands.second);
	}
}

void SceneAnimation::RunTrain(const Vec3& modelPosition, float dt, PoseableModel& model)
{
	// The three parts keep their spacing in the model and turn together about its vertical axis.
	const float angle = trainPhase * kTrainDegreesPerPhase;
	model.SetAngleZ("loco", angle);
	model.SetAngleZ("wagon01", angle);
	model.SetAngleZ("wagon02", angle);

	// A railroad model without the steam anchor runs its train without steam.
	Vec3 steamPosition;
	if (model.SteamAnchorPosition(steamPosition))
	{
		const float half = trainPhase * kSteamHalfAngle;
		const Quat turn{0.0f, 0.0f, std::sin(half), std::cos(half)};
		model.PlaceSteamAnchor(RotateVector(turn, steamPosition) + modelPosition + kSteamLift);
	}
	trainPhase += dt * kTrainPhasePerUnit;
}

void SceneAnimation::StepPath(KeyframePath& path, Placement& placement, float dt)
{
	const int32_t keyCount = static_cast<int32_t>(std::min(path.positions.size(), path.rotations.size()));
	if (keyCount < 2)
	{
		return;
	}
	int32_t next = 0;
	if (path.delay > 0)
	{
		path.index = 0; // resting on the first key
	}
	else
	{
		next = path.index + 1 >= keyCount - 1 ? 0 : path.index + 1;
	}
	const size_t from = static_cast<size_t>(path.index);
	const size_t to = static_cast<size_t>(next);
	placement.position = path.positions[from] + (path.positions[to] - path.positions[from]) * path.blend;
	placement.rotation = Slerp(path.rotations[from], path.rotations[to], path.blend);

	path.blend += dt * kPathBlendPerUnit;
	if (path.blend > 1.0f)
	{
		path.blend = 0.0f;
		path.index += 1;
		path.delay -= 1;
	}
	if (path.index > keyCount - 2)
	{
		path.index = 0;
		path.blend = 0.0f;
		placement.position = path.positions[0];
		placement.rotation = path.rotations[0];
	}
}
