#include "effects/SceneAnimation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace
{
class RecordingModel : public PoseableModel
{
public:
	void SetAngleZ(const std::string& mesh, float degrees) override { angleZ[mesh] = degrees; }
	void SetAngleY(const std::string& mesh, float degrees) override { angleY[mesh] = degrees; }
	bool SteamAnchorPosition(Vec3& localPosition) override
	{
		localPosition = steamLocal;
		return hasSteam;
	}
	void PlaceSteamAnchor(const Vec3& worldPosition) override { steamWorld = worldPosition; }

	std::map<std::string, float> angleZ;
	std::map<std::string, float> angleY;
	Vec3 steamLocal{10.0f, 0.0f, 2.0f};
	Vec3 steamWorld;
	bool hasSteam = true;
};

LocalTime Clock(int hour, int minute, int second)
{
	LocalTime time;
	time.hour = static_cast<uint16_t>(hour);
	time.minute = static_cast<uint16_t>(minute);
	time.second = static_cast<uint16_t>(second);
	return time;
}

Quat TurnZ(float radians)
{
	return {0.0f, 0.0f, std::sin(radians / 2), std::cos(radians / 2)};
}
} // namespace

TEST(SceneAnimation, ClockHandsShowTheLocalTime)
{
	struct Case
	{
		int hour, minute, second;
		float minuteHand, hourHand, secondHand;
	};
	const Case cases[] = {
	    {12, 0, 0, 0.0f, -360.0f, 0.0f},       {0, 0, 0, 0.0f, 0.0f, 0.0f},
	    {13, 30, 0, -180.0f, -45.0f, 0.0f},    {23, 59, 59, -354.0f, -359.5f, -354.0f},
	    {6, 15, 30, -90.0f, -187.5f, -180.0f},
	};
	for (const Case& c : cases)
	{
		SceneAnimation animation;
		RecordingModel clock;
		animation.AnimateModel("instance Clock", {}, Clock(c.hour, c.minute, c.second), 1.0f, clock);
		EXPECT_NEAR(clock.angleY["Arrow01"], c.minuteHand, 1e-3f) << c.hour << ":" << c.minute;
		EXPECT_NEAR(clock.angleY["Arrow02"], c.hourHand, 1e-3f) << c.hour << ":" << c.minute;
		EXPECT_NEAR(clock.angleY["Arrow03"], c.secondHand, 1e-3f) << c.hour << ":" << c.minute;
		EXPECT_TRUE(clock.angleZ.empty());
	}
}

TEST(SceneAnimation, TrainTurnsAndPuffsOnlyWhenTheRailroadIsDrawn)
{
	SceneAnimation animation;
	RecordingModel railroad;
	animation.AnimateModel("instance railroad", {100, 200, 0}, {}, 2.0f, railroad);
	for (const char* part : {"loco", "wagon01", "wagon02"})
	{
		EXPECT_FLOAT_EQ(railroad.angleZ[part], 0.0f);
	}
	EXPECT_FLOAT_EQ(railroad.steamWorld.x, 110.0f);
	EXPECT_FLOAT_EQ(railroad.steamWorld.z, 9.0f);
	EXPECT_FLOAT_EQ(animation.trainPhase, 1.6f);

	// Other instances, and names that merely look alike, leave the train where it is.
	RecordingModel other;
	animation.AnimateModel("instance Railroad", {}, {}, 2.0f, other);
	animation.AnimateModel("instance railroad2", {}, {}, 2.0f, other);
	EXPECT_FLOAT_EQ(animation.trainPhase, 1.6f);
	EXPECT_TRUE(other.angleZ.empty());

	// At phase 150 the train has turned 90 degrees (with pi as 3.14), and the steam with it.
	animation.trainPhase = 150.0f;
	animation.AnimateModel("instance railroad", {0, 0, 0}, {}, 1.0f, railroad);
	EXPECT_FLOAT_EQ(railroad.angleZ["wagon02"], 90.0f);
	EXPECT_NEAR(railroad.steamWorld.x, 0.0f, 0.02f);
	EXPECT_NEAR(railroad.steamWorld.y, 10.0f, 0.02f);
	EXPECT_FLOAT_EQ(railroad.steamWorld.z, 9.0f);

	// Without a steam point the train still runs.
	railroad.hasSteam = false;
	animation.AnimateModel("instance railroad", {}, {}, 1.0f, railroad);
	EXPECT_FLOAT_EQ(animation.trainPhase, 151.6f);
}

TEST(SceneAnimation, PathLoopsThroughAllKeysButTheLast)
{
	const std::vector<Vec3> positions = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {99, 99, 99}};
	const std::vector<Quat> rotations = {kQuatIdentity, TurnZ(1.0f), TurnZ(2.0f), TurnZ(3.0f)};
	KeyframePath path{positions, rotations};
	Placement placement;
	std::vector<Placement> seen;
	// dt 5: a quarter of a segment a frame; a segment ends once its blend has passed 1, so it
	// takes five frames, and a lap of three segments fifteen.
	for (int frame = 0; frame < 30; ++frame)
	{
		SceneAnimation::StepPath(path, placement, 5.0f);
		seen.push_back(placement);
	}
	EXPECT_FLOAT_EQ(seen[1].position.x, 2.5f);
	EXPECT_FLOAT_EQ(seen[6].position.x, 10.0f);
	EXPECT_FLOAT_EQ(seen[6].position.y, 2.5f);
	EXPECT_NEAR(seen[7].rotation.z, TurnZ(1.5f).z, 1e-5f);
	// Segment n - 2 leads from key 2 back to key 0.
	EXPECT_FLOAT_EQ(seen[11].position.x, 7.5f);
	EXPECT_FLOAT_EQ(seen[11].position.y, 7.5f);
	EXPECT_FLOAT_EQ(seen[14].position.x, 0.0f);
	for (const Placement& p : seen)
	{
		EXPECT_LT(p.position.x, 11.0f) << "the last key is never used";
	}
	EXPECT_FLOAT_EQ(seen[16].position.x, seen[1].position.x);
}

TEST(SceneAnimation, DelayedPathRestsOnItsFirstKeyFor20UnitsASegment)
{
	const std::vector<Vec3> positions = {{1, 2, 3}, {11, 2, 3}, {0, 0, 0}};
	const std::vector<Quat> rotations = {kQuatIdentity, TurnZ(1.0f), kQuatIdentity};
	KeyframePath path{positions, rotations};
	path.delay = 3;
	Placement placement;
	int restingFrames = 0;
	for (int frame = 0; frame < 200 && placement.position.x <= 1.0f; ++frame)
	{
		SceneAnimation::StepPath(path, placement, 1.0f);
		EXPECT_FLOAT_EQ(placement.position.y, 2.0f);
		restingFrames += placement.position.x == 1.0f ? 1 : 0;
	}
	// Three segments of 20 units resting, then the first frame of the move still stands on key 0.
	EXPECT_NEAR(restingFrames, 3 * 20 + 1, 2);

	const std::vector<Vec3> stillPositions = {{5, 5, 5}, {5, 5, 5}, {5, 5, 5}};
	const std::vector<Quat> stillRotations = {kQuatIdentity, kQuatIdentity, kQuatIdentity};
	KeyframePath still{stillPositions, stillRotations};
	Placement here;
	for (int frame = 0; frame < 100; ++frame)
	{
		SceneAnimation::StepPath(still, here, 3.0f);
		EXPECT_FLOAT_EQ(here.position.x, 5.0f);
	}
}
