// Particles and the animated fire drawn on a real GL context under a private X server.
#include "app/Snapshot.h"
#include "effects/ParticleSystem.h"
#include "media/MediaStore.h"
#include "scene/AnimatedModel.h"
#include "tests/support/Process.h"
#include "tests/support/SaverWindowOnXvfb.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
constexpr int kSize = 256;

// One server and one window for the suite: the window layer keeps its display connection.
class ParticleDraw : public ::testing::Test
{
protected:
	static void SetUpTestSuite()
	{
		ASSERT_TRUE(screen.Open("particles", kSize, kSize));
		whiteTexture = OnePixelTexture(255, 255, 255);
	}

	static void TearDownTestSuite() { screen.Close(); }

	void SetUp() override
	{
		ASSERT_TRUE(screen.IsOpen());
		LookAlongY();
	}

	// A camera at (0, -100, 0) looking at the origin, z up: x runs to the right of the screen.
	static void LookAlongY()
	{
		glViewport(0, 0, kSize, kSize);
		glMatrixMode(GL_PROJECTION);
		glLoadIdentity();
		gluPerspective(60.0, 1.0, 1.0, 1000.0);
		glMatrixMode(GL_MODELVIEW);
		glLoadIdentity();
		gluLookAt(0, -100, 0, 0, 0, 0, 0, 0, 1);
		glDisable(GL_CULL_FACE);
		glDisable(GL_DEPTH_TEST);
		glColor4f(1, 1, 1, 1);
		glClearColor(0, 0, 0, 1);
		glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
	}

	// Screen pixels from the lower-left corner.
	static int Brightness(int x, int y)
	{
		uint8_t pixel[3] = {};
		glReadBuffer(GL_BACK);
		glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
		return pixel[0];
	}

	static inline SaverWindowOnXvfb screen;
	static inline GLuint whiteTexture = 0;
};
} // namespace

TEST_F(ParticleDraw, SpriteAndStreakShowWhereTheyWereEmitted)
{
	ParticleFormat::LayerParams sprite;
	sprite.particleCount = 1;
	sprite.baseSize = {5.0f, 0.0f, 0.0f};
	sprite.startAlpha = 100.0f;
	sprite.peakAlpha = 1000.0f;
	ParticleFormat::LayerParams streak = sprite;
	streak.kind = ParticleFormat::kKindStreak;
	streak.baseSize = {20.0f, 2.0f, 0.0f};
	streak.velocitySpread = {0.0f, 0.0f, 1.0f}; // pointing up

	ParticleSystem system;
	system.AddEmitter("dot", {{{sprite, whiteTexture}}});
	system.AddEmitter("streak", {{{streak, whiteTexture}}});
	system.Draw(); // takes the camera's vectors for the first step
	system.Emit({"dot", {-20, 0, 0}, kQuatIdentity});
	system.Emit({"streak", {20, 0, 0}, kQuatIdentity});
	system.Update(2.0f);
	system.Draw();

	// 57.7 units across the view at distance 100: one unit is about 2.2 pixels.
	const int centre = kSize / 2;
	const float pixelsPerUnit = kSize / (2.0f * 100.0f * 0.57735f);
	const int dotX = centre - static_cast<int>(20 * pixelsPerUnit);
	const int streakX = centre + static_cast<int>(20 * pixelsPerUnit);
	EXPECT_GT(Brightness(dotX, centre), 200);
	EXPECT_GT(Brightness(dotX + 8, centre + 8), 200) << "the sprite is 10 units wide";
	EXPECT_LT(Brightness(dotX, centre + 20), 10);
	EXPECT_GT(Brightness(streakX, centre + 30), 200) << "the streak reaches 20 units up";
	EXPECT_LT(Brightness(streakX, centre - 10), 10);
	EXPECT_LT(Brightness(streakX + 10, centre + 20), 10) << "and is only 4 units wide";
	EXPECT_LT(Brightness(centre, centre), 10);
}

TEST_F(ParticleDraw, FireDrawsAdditivelyWhereItsBonesPutIt)
{
	// A square of two triangles in the x-z plane facing the camera, on one bone at its centre.
	BsaMeshFile mesh;
	mesh.positions = {{-10, 0, -10}, {10, 0, -10}, {10, 0, 10}, {-10, 0, 10}};
	mesh.weights.assign(4, {1, 0, 0});
	mesh.boneIndices.assign(4, {0, 0, 0});
	mesh.faces = {{0, 1, 2}, {0, 2, 3}};
	mesh.uvFaces = {{0, 0, 0}, {0, 0, 0}};
	mesh.uvs = {{0.5f, 0.5f, 0}};
	mesh.normals.assign(6, {0, -1, 0});
	mesh.bones = {{{{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}}, "Bone01", "Scene Root"}};
	// A dim flame over a grey room: added, the two make a brighter grey than either.
	GLuint flame = OnePixelTexture(100, 100, 100);
	glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
	glClear(GL_COLOR_BUFFER_BIT);
	AnimatedModel fire;
	ASSERT_TRUE(fire.Build(mesh, flame));
	// The bone lifts the square 15 units.
	BsaAnimFile lift;
	lift.frameCount = 1;
	lift.tracks = {{0, {{{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 15}}}}};
	ASSERT_TRUE(fire.AddAnimation(lift));
	fire.playing = true;
	fire.Update(1.0f);

	fire.Draw();
	glDeleteTextures(1, &flame);
	const int centre = kSize / 2;
	const float pixelsPerUnit = kSize / (2.0f * 100.0f * 0.57735f);
	EXPECT_NEAR(Brightness(centre, centre + static_cast<int>(15 * pixelsPerUnit)), 128 + 100, 3);
	EXPECT_NEAR(Brightness(centre, centre - static_cast<int>(5 * pixelsPerUnit)), 128, 2);
	GLint depthMask = 0;
	glGetIntegerv(GL_DEPTH_WRITEMASK, &depthMask);
	EXPECT_EQ(depthMask, GL_TRUE);
}

// The shipped effects from the archives, each emitted every step for a second and a half at its
// own place in view. The frame is left in the build tree as "effects.png" for people to look at.
TEST_F(ParticleDraw, ShippedEffectsShowAroundTheirEmitters)
{
	g_mediaStore.Open();
	struct Placed
	{
		const char* effect;
		Vec3 position;
	};
	const Placed placed[] = {
	    {"snowfall", {0, 0, 25}},     {"Fire", {-25, 0, -20}},       {"candle", {0, 0, -20}},
	    {"locosteam", {25, 0, -20}},  {"red_firlight", {-25, 0, 5}}, {"yel_firlight", {-15, 0, 5}},
	    {"blu_firlight", {-5, 0, 5}}, {"redfirglow", {10, 0, 5}},    {"grefirglow", {25, 0, 5}}};
	ParticleSystem system;
	system.SetCameraPosition({0, -100, 0});
	for (int frame = 0; frame < 40; ++frame)
	{
		for (const Placed& p : placed)
		{
			system.Emit({p.effect, p.position, kQuatIdentity});
		}
		system.Update(2.0f);
		glClear(GL_COLOR_BUFFER_BIT);
		system.Draw();
	}
	std::vector<uint8_t> rgb(kSize * kSize * 3);
	glReadBuffer(GL_BACK);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
	std::vector<uint8_t> topFirst(rgb.size());
	for (int y = 0; y < kSize; ++y)
	{
		std::copy_n(&rgb[static_cast<size_t>(kSize - 1 - y) * kSize * 3], kSize * 3,
		            &topFirst[static_cast<size_t>(y) * kSize * 3]);
	}
	WritePng(BinaryDir() + "/effects.png", kSize, kSize, topFirst);

	const float pixelsPerUnit = kSize / (2.0f * 100.0f * 0.57735f);
	for (const Placed& p : placed)
	{
		EXPECT_FALSE(system.FindEmitter(p.effect).layers.empty()) << p.effect;
		// Snow spawns over a wide box and falls away from its emitter.
		if (p.effect == std::string("snowfall"))
		{
			continue;
		}
		const int x = kSize / 2 + static_cast<int>(p.position.x * pixelsPerUnit);
		const int y = kSize / 2 + static_cast<int>(p.position.z * pixelsPerUnit);
		int brightest = 0;
		for (int dy = -12; dy <= 12; ++dy)
		{
			for (int dx = -12; dx <= 12; ++dx)
			{
				const int px = std::clamp(x + dx, 0, kSize - 1);
				const int py = std::clamp(y + dy, 0, kSize - 1);
				const uint8_t* c = &rgb[(static_cast<size_t>(py) * kSize + px) * 3];
				brightest = std::max({brightest, int{c[0]}, int{c[1]}, int{c[2]}});
			}
		}
		EXPECT_GT(brightest, 60) << p.effect;
	}
}
