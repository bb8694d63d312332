// Camera flights and the camera bag, without a display: these steps only do arithmetic.
#include "scene/Camera.h"
#include "scene/BssFile.h"
#include "scene/Scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
BssCamera Flight(int keys, float fov = 1.3089969f)
{
	BssCamera camera;
	for (int k = 0; k < keys; ++k)
	{
		camera.positions.push_back({static_cast<float>(k) * 10.0f, 0.0f, 0.0f});
		camera.rotations.push_back({0.0f, 0.0f, 0.0f, 1.0f});
		camera.fovs.push_back(fov);
	}
	camera.keyCount = keys;
	return camera;
}

void FinishFlight(Scene& scene)
{
	scene.CurrentCamera()->finished = true;
	scene.SwitchCameraIfFinished(1.0f);
}

std::vector<int> ShownOrder(Scene& scene, int switches)
{
	std::vector<int> shown{scene.currentCamera};
	for (int i = 0; i < switches; ++i)
	{
		FinishFlight(scene);
		shown.push_back(scene.currentCamera);
	}
	return shown;
}

TEST(Camera, LoadConjugatesRotationsAndStartsAtTheFirstKey)
{
	BssCamera record = Flight(4);
	record.rotations[0] = {0.1f, 0.2f, 0.3f, 0.9f};
	Camera camera;
	camera.Load(record);
	EXPECT_TRUE(camera.followsPath);
	EXPECT_EQ(camera.keyIndex, 0);
	EXPECT_FLOAT_EQ(camera.keyRotations[0].x, -0.1f);
	EXPECT_FLOAT_EQ(camera.keyRotations[0].y, -0.2f);
	EXPECT_FLOAT_EQ(camera.keyRotations[0].z, -0.3f);
	EXPECT_FLOAT_EQ(camera.keyRotations[0].w, 0.9f);
	EXPECT_FLOAT_EQ(camera.orientation.x, -0.1f);
	EXPECT_FLOAT_EQ(camera.startPosition.x, 0.0f);
}

// A flight of n keys plays n - 2 segments of ceil(1 / 0.075) = 14 steps of one unit each, raises
// the capture exactly once, as its last played segment begins, and then wraps.
TEST(Camera, FlightLengthCaptureOnceAndWrap)
{
	constexpr int kKeys = 10;
	Camera camera;
	camera.Load(Flight(kKeys));
	g_cameraPathT = 0.0f;
	int steps = 0;
	int captures = 0;
	int keyAtCapture = -1;
	while (!camera.finished && steps < 10000)
	{
		camera.Update(1.0f);
		++steps;
		if (camera.lastSegmentBegan)
		{
			++captures;
			keyAtCapture = camera.keyIndex;
		}
	}
	EXPECT_EQ(steps, (kKeys - 2) * 14);
	EXPECT_EQ(captures, 1);
	EXPECT_EQ(keyAtCapture, kKeys - 3);
	EXPECT_EQ(camera.keyIndex, 0);
	EXPECT_FLOAT_EQ(camera.position.x, 0.0f);
	EXPECT_FLOAT_EQ(g_cameraPathT, 0.0f);
}

TEST(Camera, PositionBlendsAndViewLooksDownNegativeZ)
{
	Camera camera;
	camera.Load(Flight(6, 1.1344640f));
	g_cameraPathT = 0.5f;
	camera.Update(0.0f);
	EXPECT_FLOAT_EQ(camera.position.x, 5.0f);
	EXPECT_NEAR(camera.fovDegrees, 1.1344640f * 28.648735f, 1e-4);
	EXPECT_NEAR(camera.direction.z, -1.0f, 1e-6);
	EXPECT_NEAR(camera.up.y, 1.0f, 1e-6);
	g_cameraPathT = 0.0f;
}

// The view from a key leaves the flight where it was; a key past either end shows the nearest
// one, and a flight without keys keeps its view.
TEST(Camera, ShowKeyLeavesTheFlightAlone)
{
	Camera camera;
	camera.Load(Flight(6));
	camera.keyIndex = 2;
	g_cameraPathT = 0.25f;
	camera.ShowKey(4);
	EXPECT_FLOAT_EQ(camera.position.x, 40.0f);
	EXPECT_NEAR(camera.direction.z, -1.0f, 1e-6);
	EXPECT_EQ(camera.keyIndex, 2);
	EXPECT_FLOAT_EQ(g_cameraPathT, 0.25f);
	camera.ShowKey(99);
	EXPECT_FLOAT_EQ(camera.position.x, 50.0f);
	camera.ShowKey(-3);
	EXPECT_FLOAT_EQ(camera.position.x, 0.0f);
	g_cameraPathT = 0.0f;

	Camera empty;
	empty.ShowKey(0);
	EXPECT_FLOAT_EQ(empty.position.x, 0.0f);
}

TEST(Camera, ConstantFieldOfViewShowsThirtySevenAndAHalfDegrees)
{
	Camera camera;
	camera.Load(Flight(5));
	g_cameraPathT = 0.0f;
	for (int i = 0; i < 20; ++i)
	{
		camera.Update(1.0f);
		EXPECT_NEAR(camera.fovDegrees, 37.5f, 0.01f);
	}
	g_cameraPathT = 0.0f;
}

TEST(Camera, MoveLocalFollowsTheOrientationAndTheStep)
{
	Camera camera;
	camera.Load(Flight(3));
	// A quarter turn about z: local x points along world y.
	camera.orientation = {0.0f, 0.0f, std::sin(0.785398f), std::cos(0.785398f)};
	camera.MoveLocal({7.8f, 0.0f, 0.0f}, 2.0f);
	EXPECT_NEAR(camera.position.x, 0.0f, 1e-4);
	EXPECT_NEAR(camera.position.y, 15.6f, 1e-4);
}

TEST(CameraBag, OneCameraIsPickedAgainAndRestarts)
{
	Scene scene;
	scene.cameras.emplace_back().Load(Flight(6));
	scene.PickFirstCamera();
	scene.cameras[0].keyIndex = 3;
	EXPECT_EQ(ShownOrder(scene, 3), (std::vector<int>{0, 0, 0, 0}));
	EXPECT_EQ(scene.cameras[0].keyIndex, 0);
	EXPECT_FALSE(scene.cameras[0].finished);
	g_cameraPathT = 0.0f;
}

// rand() mod 1 is always 0: each cycle shows the bag's first entry first.
TEST(CameraBag, TwoCamerasAlternate)
{
	Scene scene;
	scene.cameras.emplace_back().Load(Flight(6));
	scene.cameras.emplace_back().Load(Flight(6));
	scene.PickFirstCamera();
	EXPECT_EQ(ShownOrder(scene, 5), (std::vector<int>{0, 1, 0, 1, 0, 1}));
	g_cameraPathT = 0.0f;
}

// Every cycle shows each flight once, and the bag's last entry only when it is alone.
TEST(CameraBag, FiveCamerasShowEachOncePerCycle)
{
	Scene scene;
	for (int i = 0; i < 5; ++i)
	{
		scene.cameras.emplace_back().Load(Flight(6));
	}
	scene.PickFirstCamera();
	const std::vector<int> shown = ShownOrder(scene, 14);
	for (int cycle = 0; cycle < 3; ++cycle)
	{
		std::vector<int> seen(shown.begin() + cycle * 5, shown.begin() + cycle * 5 + 5);
		EXPECT_EQ(seen.back(), 4) << "the last entry is only taken alone";
		std::sort(seen.begin(), seen.end());
		EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4}));
	}
	g_cameraPathT = 0.0f;
}

TEST(CameraBag, NoCamerasMeansNoCurrentCamera)
{
	Scene scene;
	scene.PickFirstCamera();
	EXPECT_EQ(scene.CurrentCamera(), nullptr);
	scene.SwitchCameraIfFinished(1.0f);
}
} // namespace
