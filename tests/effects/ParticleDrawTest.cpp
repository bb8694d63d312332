// Particles and the animated fire drawn on a real GL context under a private X server.
#include "app/AppContext.h"
#include "app/SaverWindow.h"
#include "effects/ParticleSystem.h"
#include "render/Renderer.h"
#include "scene/AnimatedModel.h"
#include "tests/support/Xvfb.h"

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
		xvfb = new XvfbServer(640, 480);
		setenv("DISPLAY", xvfb->Display().c_str(), 1);
		g_app.keepDisplay = true;
		g_app.screenWidth = kSize;
		g_app.screenHeight = kSize;
		g_app.colorBits = 32;
		window = CreateSaverWindow("particles", kSize, kSize);
		ASSERT_NE(window, nullptr);
		InitRenderer(window, g_app);
		const uint8_t white[4] = {255, 255, 255, 255};
		glGenTextures(1, &whiteTexture);
		glBindTexture(GL_TEXTURE_2D, whiteTexture);
		glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
		glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
	}

	static void TearDownTestSuite()
	{
		ReleaseSaverWindow();
		DestroySaverWindow();
		delete xvfb;
		xvfb = nullptr;
	}

	void SetUp() override
	{
		ASSERT_NE(window, nullptr);
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

	static inline XvfbServer* xvfb = nullptr;
	static inline SDL_Window* window = nullptr;
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
	const uint8_t dim[4] = {100, 100, 100, 255};
	GLuint flame = 0;
	glGenTextures(1, &flame);
	glBindTexture(GL_TEXTURE_2D, flame);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
	glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, dim);
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
