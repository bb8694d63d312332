// The room loaded from a small test scene and drawn through the saver's own frame, on a real GL
// context under a private X server; the checks look at the pixels of the frames.
#include "app/AppContext.h"
#include "app/SaverWindow.h"
#include "effects/FrameComposer.h"
#include "media/MediaStore.h"
#include "render/Renderer.h"
#include "render/TextureManager.h"
#include "scene/Scene.h"
#include "scene/SharedVertexArray.h"
#include "tests/scene/TestRoom.h"
#include "tests/support/Xvfb.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int kWidth = 640;
constexpr int kHeight = 512;

struct Rgb
{
	int r = 0;
	int g = 0;
	int b = 0;
};

class SceneDraw : public testing::Test
{
protected:
	static void SetUpTestSuite()
	{
		xvfb = std::make_unique<XvfbServer>(800, 600);
		setenv("DISPLAY", xvfb->Display().c_str(), 1);
		g_app.keepDisplay = true;
		g_app.screenWidth = kWidth;
		g_app.screenHeight = kHeight;
		g_app.colorBits = 32;
		ASSERT_NE(CreateSaverWindow("room", kWidth, kHeight), nullptr);
		g_app.clock.SetTimeSource(&time);
		InitRenderer(g_app.window, g_app);
		g_app.clock.Start();
		supportsQueries = g_app.hasOcclusionQuery;
		supportsBuffers = g_app.hasVertexBuffers;
	}

	static void TearDownTestSuite()
	{
		g_scene.Release();
		g_textures.ReleaseAll();
		ReleaseSaverWindow();
		DestroySaverWindow();
		xvfb.reset();
	}

	// Loads the room with the chosen vertex source and visibility variant.
	static void LoadRoom(bool buffers, bool queries, const BssFile& scene = TestRoom::Scene())
	{
		archive = TestRoom::Archive(scene);
		g_mediaStore.Map(archive, {});
		g_app.hasVertexBuffers = buffers;
		g_app.hasOcclusionQuery = queries;
		g_scene.Load();
		g_scene.currentCamera = 0;
		g_app.fadeAlpha = 0.0f;
		g_app.crossFadeAlpha = 0.0f;
		g_app.captureRequested = false;
	}

	static void DrawFrames(int count)
	{
		for (int i = 0; i < count; ++i)
		{
			FrameComposer::RenderFrame(g_app);
		}
	}

	// The pixel at a screen point of the first camera's view (-1 to +1 on both axes).
	static Rgb PixelAt(float x, float y)
	{
		uint8_t pixel[3] = {};
		glReadBuffer(GL_BACK);
		glReadPixels(static_cast<int>((x + 1.0f) * 0.5f * kWidth),
		             static_cast<int>((y + 1.0f) * 0.5f * kHeight), 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
		return {pixel[0], pixel[1], pixel[2]};
	}

	static std::vector<uint8_t> WholeFrame()
	{
		std::vector<uint8_t> pixels(static_cast<size_t>(kWidth * kHeight * 3));
		glReadBuffer(GL_BACK);
		glPixelStorei(GL_PACK_ALIGNMENT, 1);
		glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
		return pixels;
	}

	static inline std::unique_ptr<XvfbServer> xvfb;
	static inline FixedStepTimeSource time{1.0f};
	static inline std::vector<uint8_t> archive;
	static inline bool supportsQueries = false;
	static inline bool supportsBuffers = false;
};

TEST_F(SceneDraw, LoadsTheRoomWithItsListsLinksAndLights)
{
	LoadRoom(supportsBuffers, false);
	ASSERT_EQ(g_scene.objects.size(), 4u);
	EXPECT_EQ(g_scene.zones.size(), 1u);
	EXPECT_EQ(g_scene.zones[0]->name, "room");
	// Glass and additive objects sort after the others (additive last, the second sort); the
	// instance, without submeshes, stays where it was.
	std::vector<std::string> order;
	for (const auto& object : g_scene.objects)
	{
		order.push_back(object->name);
	}
	EXPECT_EQ(order, (std::vector<std::string>{"room", "glass", "glow", "instance box"}));
	EXPECT_EQ(g_scene.zones[0]->members.size(), 3u);
	const auto instance = std::find_if(g_scene.objects.begin(), g_scene.objects.end(),
	                                   [](const auto& o) { return o->isInstance; });
	ASSERT_NE(instance, g_scene.objects.end());
	EXPECT_EQ((*instance)->lights.size(), 1u) << "the light names the instance";
	EXPECT_TRUE(g_scene.zones[0]->lights.empty()) << "lightmapped objects get no lights";
	EXPECT_EQ((*instance)->model->meshCount, 1);
	EXPECT_EQ(g_scene.modelCache.UsedSlots(), 1);
	// Scene vertices come first: three objects of six corners, then the model's six.
	EXPECT_EQ(g_sharedVertices.Size(), 24);
	EXPECT_EQ((*instance)->model->meshes[0].firstVertex, 18);
	EXPECT_EQ(g_scene.cameras.size(), 2u);
}

TEST_F(SceneDraw, LightmapGlassAdditiveAndModelShowInTheFrame)
{
	LoadRoom(supportsBuffers, false);
	DrawFrames(3);
	// The white wall under a half-grey lightmap.
	const Rgb wall = PixelAt(TestRoom::kWallOnlyX, TestRoom::kWallOnlyY);
	EXPECT_NEAR(wall.r, 128, 6);
	EXPECT_NEAR(wall.g, 128, 6);
	// Half-transparent blue glass over the grey wall.
	const Rgb glass = PixelAt(TestRoom::kGlassX, TestRoom::kGlassY);
	EXPECT_NEAR(glass.r, 64, 8);
	EXPECT_NEAR(glass.b, 128 / 2 + 255 / 2, 8);
	// The red glow adds to the wall.
	const Rgb glow = PixelAt(TestRoom::kGlowX, TestRoom::kGlowY);
	EXPECT_GE(glow.r, 250);
	EXPECT_NEAR(glow.g, 128, 6);
	// The green model, lit by its light.
	const Rgb model = PixelAt(TestRoom::kModelX, TestRoom::kModelY);
	EXPECT_GT(model.g, model.r + 60);
	EXPECT_GT(model.g, model.b + 60);
}

TEST_F(SceneDraw, NothingIsDrawnFromOutsideEveryZone)
{
	LoadRoom(supportsBuffers, false);
	g_scene.currentCamera = 1;
	DrawFrames(2);
	EXPECT_TRUE(g_scene.opaqueList.empty());
	EXPECT_TRUE(g_scene.glassList.empty());
	for (const uint8_t value : WholeFrame())
	{
		ASSERT_EQ(value, 0);
	}
}

TEST_F(SceneDraw, BufferObjectAndClientMemoryDrawTheSamePicture)
{
	if (!supportsBuffers)
	{
		GTEST_SKIP() << "the driver has no vertex-buffer objects";
	}
	LoadRoom(true, false);
	EXPECT_NE(g_scene.vertexBuffer, 0u);
	DrawFrames(2);
	const std::vector<uint8_t> fromBuffer = WholeFrame();
	LoadRoom(false, false);
	EXPECT_EQ(g_scene.vertexBuffer, 0u);
	DrawFrames(2);
	EXPECT_EQ(WholeFrame(), fromBuffer);
}

// Query answers arrive one frame late; after that both variants show the same room.
TEST_F(SceneDraw, OcclusionQueriesAndPlainVisibilityAgree)
{
	if (!supportsQueries)
	{
		GTEST_SKIP() << "the driver has no occlusion queries";
	}
	LoadRoom(supportsBuffers, false);
	DrawFrames(2);
	const std::vector<uint8_t> plain = WholeFrame();
	LoadRoom(supportsBuffers, true);
	DrawFrames(1);
	const Rgb firstFrame = PixelAt(TestRoom::kModelX, TestRoom::kModelY);
	EXPECT_NEAR(firstFrame.g, 128, 6) << "no answer yet: the model is not drawn in the first frame";
	DrawFrames(2);
	EXPECT_EQ(WholeFrame(), plain);
}

// The frozen frame of the room covers the cut to an empty view, then fades out.
TEST_F(SceneDraw, CrossFadeMixesTheFrozenFrameWithTheNewView)
{
	LoadRoom(supportsBuffers, false);
	DrawFrames(2);
	g_app.captureRequested = true;
	DrawFrames(1);
	g_scene.currentCamera = 1;
	EXPECT_NEAR(PixelAt(TestRoom::kWallOnlyX, TestRoom::kWallOnlyY).g, 128, 8)
	    << "the frozen frame covers all";
	// 1.2 falls 0.01 a unit: after 70 more units the frozen frame shows at about half strength.
	DrawFrames(70);
	const int mixed = PixelAt(TestRoom::kWallOnlyX, TestRoom::kWallOnlyY).g;
	EXPECT_NEAR(mixed, 128 * (1.2 - 0.01 * 71), 8);
	DrawFrames(60);
	EXPECT_EQ(PixelAt(TestRoom::kWallOnlyX, TestRoom::kWallOnlyY).g, 0);
}

TEST_F(SceneDraw, MissingSceneFileIsAnEmptyRoom)
{
	g_mediaStore.Map({}, {});
	g_scene.Load();
	EXPECT_TRUE(g_scene.objects.empty());
	EXPECT_EQ(g_scene.CurrentCamera(), nullptr);
	g_app.fadeAlpha = 0.0f;
	g_app.crossFadeAlpha = 0.0f;
	DrawFrames(2);
	for (const uint8_t value : WholeFrame())
	{
		ASSERT_EQ(value, 0);
	}
}
} // namespace
