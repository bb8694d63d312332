// The room loaded from a small test scene and drawn through the saver's own frame, on a real GL
// context under a private X server; the checks look at the pixels of the frames.
#include "app/AppContext.h"
#include "app/FrameLoop.h"
#include "app/Snapshot.h"
#include "core/RunMode.h"
#include "effects/ParticleSystem.h"
#include "frame/FrameComposer.h"
#include "media/MediaStore.h"
#include "render/Renderer.h"
#include "render/TextureManager.h"
#include "scene/Scene.h"
#include "scene/SharedVertexArray.h"
#include "tests/scene/ByteFixture.h"
#include "tests/scene/TestRoom.h"
#include "tests/support/SaverWindowOnXvfb.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
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
		g_app.clock.SetTimeSource(&time);
		ASSERT_TRUE(screen.Open("room", kWidth, kHeight));
		g_app.clock.Start();
		supportsQueries = g_rendererCaps.hasOcclusionQuery;
		supportsBuffers = g_rendererCaps.hasVertexBuffers;
	}

	static void TearDownTestSuite()
	{
		g_scene.Release();
		g_textures.ReleaseAll();
		screen.Close();
	}

	// Loads the room with the chosen vertex source and visibility variant.
	static void LoadRoom(bool buffers, bool queries, const BssFile& scene = TestRoom::Scene(),
	                     const BsmFile& box = TestRoom::BoxModel())
	{
		archive = TestRoom::Archive(scene, box);
		g_mediaStore.Map(archive, {});
		g_rendererCaps.hasVertexBuffers = buffers;
		g_rendererCaps.hasOcclusionQuery = queries;
		g_scene.Load();
		g_scene.currentCamera = 0;
		g_frameComposer.fadeAlpha = 0.0f;
		g_frameComposer.crossFadeAlpha = 0.0f;
		g_frameComposer.captureRequested = false;
	}

	static void DrawFrames(int count)
	{
		for (int i = 0; i < count; ++i)
		{
			DrawSaverFrame();
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

	// The frame above the clock and countdown overlay, which draws in the lowest sixth.
	static std::vector<uint8_t> FrameAboveOverlay()
	{
		const std::vector<uint8_t> whole = WholeFrame();
		return {whole.begin() + kWidth * (kHeight / 6) * 3, whole.end()};
	}

	static std::vector<uint8_t> WholeFrame()
	{
		std::vector<uint8_t> pixels(static_cast<size_t>(kWidth * kHeight * 3));
		glReadBuffer(GL_BACK);
		glPixelStorei(GL_PACK_ALIGNMENT, 1);
		glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
		return pixels;
	}

	// With GLIMMERHEARTH_TEST_PICTURES naming a folder, the frame is kept there for people to look at.
	static void KeepPicture(const std::string& name)
	{
		const char* folder = std::getenv("GLIMMERHEARTH_TEST_PICTURES");
		if (folder == nullptr)
		{
			return;
		}
		const std::vector<uint8_t> bottomUp = WholeFrame();
		std::vector<uint8_t> topDown;
		for (int row = kHeight - 1; row >= 0; --row)
		{
			const auto start = bottomUp.begin() + row * kWidth * 3;
			topDown.insert(topDown.end(), start, start + kWidth * 3);
		}
		WritePng(std::string(folder) + "/" + name, kWidth, kHeight, topDown);
	}

	static inline SaverWindowOnXvfb screen;
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
	KeepPicture("room.png");
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
	for (const uint8_t value : FrameAboveOverlay())
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

// With the eye inside a placed model's query box, the box's faces all lie behind the back wall and
// no sample of it passes; the model stands around the eye all the same, so it is drawn.
TEST_F(SceneDraw, ModelAroundTheEyeStaysVisibleWithQueries)
{
	if (!supportsQueries)
	{
		GTEST_SKIP() << "the driver has no occlusion queries";
	}
	BssFile scene = TestRoom::Scene();
	scene.anchors[0].positions = {scene.cameras[0].positions[0]};
	// A coarse collision hull far out widens the model's size, and so its query box.
	BsmFile box = TestRoom::BoxModel();
	BsmMesh hull = box.meshes[0];
	hull.name = "CollMesh";
	hull.positions = {{-150, -150, -150}, {150, -150, -150}, {150, 150, 150}, {-150, 150, 150}};
	box.meshes.push_back(hull);
	LoadRoom(supportsBuffers, true, scene, box);
	DrawFrames(3);
	EXPECT_TRUE(std::any_of(g_scene.opaqueList.begin(), g_scene.opaqueList.end(),
	                        [](const SceneObject* object) { return object->isInstance; }));
}

// The frozen frame of the room covers the cut to an empty view, then fades out.
TEST_F(SceneDraw, CrossFadeMixesTheFrozenFrameWithTheNewView)
{
	LoadRoom(supportsBuffers, false);
	DrawFrames(2);
	g_frameComposer.captureRequested = true;
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

// After the first frame the saver rehearses its drawing, unseen: views of every flight and a cut.
// The frames that follow must show none of it, with or without a cut at the second frame (which
// freezes the first frame's view): the flight goes on from where it was, nothing is emitted, the
// particles face the real camera, and the occlusion queries answer for the real view.
TEST_F(SceneDraw, RehearsedDrawingLeavesNoTraceInTheFollowingFrames)
{
	BssFile scene = TestRoom::Scene();
	// The first flight drifts sideways; the second looks along x. An emitter in the room sends up a
	// spark every frame.
	for (size_t key = 0; key < scene.cameras[0].positions.size(); ++key)
	{
		scene.cameras[0].positions[key].x = 0.5f * static_cast<float>(key);
	}
	for (Float4& rotation : scene.cameras[1].rotations)
	{
		rotation = {0.0f, 0.7071068f, 0.0f, 0.7071068f};
	}
	BssAnchor spark;
	spark.name = "emit spark";
	spark.parentName = "room";
	spark.kind = 2;
	spark.positions = {{0.0f, 0.0f, -70.0f}}; // in the middle of the first camera's view
	spark.rotations = {{0, 0, 0, 1}};
	scene.anchors.push_back(spark);
	ParticleFormat::LayerParams sparkLayer;
	sparkLayer.particleCount = 1;
	sparkLayer.baseSize = {4.0f, 0.0f, 0.0f};
	sparkLayer.baseVelocity = {0.0f, 0.5f, 0.0f};
	sparkLayer.startAlpha = 1000.0f;
	sparkLayer.peakAlpha = 1000.0f;
	sparkLayer.fadeRate = -10.0f;

	struct Run
	{
		std::vector<std::vector<uint8_t>> frames;
		std::vector<int32_t> liveParticles;
		int32_t key = 0;
	};
	const auto framesAfterTheFirst = [&](bool queries, bool cut, bool rehearsed)
	{
		g_particles.Release();
		g_particles.AddEmitter("spark", {{{sparkLayer, 0}}});
		// Part of a particle step already gone: after the first frame's the system takes new
		// bursts, which a rehearsal that emitted would then add.
		g_particles.Update(1.0f);
		LoadRoom(supportsBuffers, queries, scene);
		g_cameraPathT = 0.0f;
		g_frameComposer.drawingRehearsed = !rehearsed;
		DrawFrames(1);
		EXPECT_TRUE(g_frameComposer.drawingRehearsed);
		g_frameComposer.captureRequested = cut;
		Run run;
		for (int frame = 0; frame < 16; ++frame)
		{
			DrawFrames(1);
			run.frames.push_back(WholeFrame());
			run.liveParticles.push_back(g_particles.LiveParticles());
		}
		run.key = g_scene.CurrentCamera()->keyIndex;
		return run;
	};
	for (const bool queries : {false, supportsQueries})
	{
		for (const bool cut : {false, true})
		{
			const Run plain = framesAfterTheFirst(queries, cut, false);
			ASSERT_GT(plain.liveParticles.back(), 0) << "the spark is emitted";
			ASSERT_GT(plain.key, 0) << "the flight moves on";
			const Run rehearsed = framesAfterTheFirst(queries, cut, true);
			const std::string variant = std::string(queries ? "occlusion queries" : "culled plainly") +
			                            (cut ? ", a cut at the second frame" : "");
			for (size_t frame = 0; frame < plain.frames.size(); ++frame)
			{
				ASSERT_TRUE(rehearsed.frames[frame] == plain.frames[frame])
				    << "frame " << frame + 2 << ", " << variant;
			}
			EXPECT_EQ(rehearsed.liveParticles, plain.liveParticles) << variant;
			EXPECT_EQ(rehearsed.key, plain.key) << variant;
		}
	}
	g_particles.Release();
}

// A quit while the saver rehearses (the terminate signal, a host ending the saver) stops the
// flights' views at the next one, so the saver ends as promptly as after any other frame.
TEST_F(SceneDraw, QuitStopsTheRehearsedFlights)
{
	const RunMode modeBefore = GetRunMode();
	const auto objectsDrawnByTheFirstFrame = [](bool rehearsed, RunMode mode)
	{
		LoadRoom(supportsBuffers, false);
		g_frameComposer.drawingRehearsed = !rehearsed;
		SetRunMode(mode);
		DrawFrames(1);
		return g_scene.drawnObjects;
	};
	const int32_t plain = objectsDrawnByTheFirstFrame(false, RunMode::Saver);
	const int32_t rehearsed = objectsDrawnByTheFirstFrame(true, RunMode::Saver);
	const int32_t quitting = objectsDrawnByTheFirstFrame(true, RunMode::Quit);
	SetRunMode(modeBefore);
	// The rehearsed cut draws every object once; each flight's views draw more.
	const auto cut = static_cast<int32_t>(g_scene.objects.size());
	EXPECT_GT(rehearsed, plain + cut) << "the flights are rehearsed";
	EXPECT_LE(quitting, plain + cut) << "no view of a flight is drawn once the saver quits";
}

// The rehearsal after the first frame draws many views and takes most of that frame's time. The
// frame clock must leave it out of the second frame's step, or the 16-frame mean would carry it
// into the first flight, the particles and the fade-in that is there to hide the rehearsal.
TEST_F(SceneDraw, RehearsalIsNotCountedInTheNextFrameStep)
{
	SystemTimeSource realTime;
	g_app.clock.SetTimeSource(&realTime);
	LoadRoom(supportsBuffers, false);
	g_frameComposer.drawingRehearsed = false;
	g_app.clock.Start();
	const auto start = std::chrono::steady_clock::now();
	DrawFrames(1);
	const std::chrono::duration<double> firstFrame = std::chrono::steady_clock::now() - start;
	DrawFrames(1);
	const float secondStep = g_app.clock.stepHistory[FrameClock::kHistoryLength - 1];
	g_app.clock.SetTimeSource(&time);
	g_app.clock.Start();
	EXPECT_TRUE(g_frameComposer.drawingRehearsed);
	// 55 units a second; the second step spans little more than a clear of the screen.
	EXPECT_LT(secondStep, 0.5 * firstFrame.count() * 55.0)
	    << "the first frame with its rehearsal took " << firstFrame.count() << " s";
}

TEST_F(SceneDraw, MissingSceneFileIsAnEmptyRoom)
{
	g_mediaStore.Map({}, {});
	g_scene.Load();
	EXPECT_TRUE(g_scene.objects.empty());
	EXPECT_EQ(g_scene.CurrentCamera(), nullptr);
	g_frameComposer.fadeAlpha = 0.0f;
	g_frameComposer.crossFadeAlpha = 0.0f;
	DrawFrames(2);
	for (const uint8_t value : FrameAboveOverlay())
	{
		ASSERT_EQ(value, 0);
	}
}
} // namespace

namespace
{
using namespace std::string_view_literals;

ByteFixture& MeshHeader(ByteFixture& file, std::string_view name, std::string_view parent, float pivotX)
{
	file.Text("tex_plain.tga").Reals({0.0f, 0.0f}).Byte(0).Byte(0).Text(name).Text(parent);
	return file.Int(0).Int(0).Int(0).Int(0).Reals({pivotX, 0.0f, 0.0f});
}

// A model assembled field by field: a "Hull" with a glow layer and a Windows path cut at a NUL,
// a child, a collision mesh and an orphan, and two anchors.
ByteFixture HandMadeModel()
{
	ByteFixture file;
	file.Int(4);
	file.Text("C:\\art\\Textures\\tex_a.tga\0junk"sv).Reals({0.5f, 0.0f}).Byte(0).Byte(1).Text("glow_i.tga");
	file.Text("Hull").Text("Scene Root").Int(3).Int(1).Int(3).Int(1).Reals({1.0f, 0.0f, 0.0f});
	file.Reals({-1, 0, 0, 3, 0, 0, 0, 2, 0})
	    .Reals({0, 1, 2})
	    .Reals({0, 0, 0, 1, 0, 0, 1, 1, 0})
	    .Reals({2, 1, 0});
	file.Reals({0, 0, 1, 0, 0, 1, 0, 0, 1});
	MeshHeader(file, "wheel", "Hull", 2.0f);
	MeshHeader(file, "CollMesh", "Scene Root", 0.0f);
	MeshHeader(file, "orphan", "", 0.0f);
	file.Int(2);
	file.Reals({3, 1, 0}).Text("emit candle").Text("wheel").Reals({0, 0, 0, 1}).Int(2);
	file.Reals({0, 0, 0}).Text("marker").Text("Hull").Reals({0, 0, 0, 1}).Int(1);
	return file;
}

TEST_F(SceneDraw, ModelFileParsesAndInstancesWithItsHierarchy)
{
	// The program's own archives: names that resolve to nothing get their default texture there.
	g_mediaStore.Open();
	ModelData data;
	data.Parse(HandMadeModel().Bytes());
	ASSERT_EQ(data.meshes.size(), 4u);
	const MeshData& hull = data.meshes[0];
	EXPECT_EQ(hull.material.baseTexture, g_textures.Get("Models", "Textures/tex_a.tga"));
	EXPECT_TRUE(hull.material.hasGlow);
	EXPECT_NE(hull.material.glowTexture, 0u);
	EXPECT_EQ(hull.material.reflectionTexture, 0u);
	EXPECT_FALSE(hull.hasParent);
	EXPECT_TRUE(data.meshes[3].hasParent) << "an empty parent name is still a parent";
	// Positions relative to the pivot; uv from the uv face; the size is twice the box.
	EXPECT_FLOAT_EQ(hull.expanded[0].position[0], -2.0f);
	EXPECT_FLOAT_EQ(hull.expanded[0].uv[0], 1.0f);
	EXPECT_FLOAT_EQ(hull.expanded[0].uv[1], 1.0f);
	EXPECT_FLOAT_EQ(data.size.x, 8.0f);
	EXPECT_FLOAT_EQ(data.size.y, 4.0f);
	EXPECT_EQ(data.anchors[0].tag, "candle");

	data.AppendToSharedVertices();
	StaticModel model;
	model.Instantiate(data);
	EXPECT_EQ(model.meshes[0].children, std::vector<int32_t>{1});
	EXPECT_TRUE(model.meshes[2].children.empty());
	EXPECT_EQ(model.collisionVertices, data.meshes[2].expanded.data());
	ASSERT_EQ(model.meshes[1].anchors.size(), 1u);
	EXPECT_FLOAT_EQ(model.meshes[1].anchors[0].localPosition.x, 1.0f) << "relative to the wheel's pivot";
	EXPECT_EQ(model.meshes[0].anchorCount, 1);
	EXPECT_EQ(model.meshes[0].indices->size(), 3u);
	EXPECT_EQ(model.meshes[0].indices->front(), static_cast<uint32_t>(model.meshes[0].firstVertex));

	// The hull's pivot sits at (1, 0, 0); a quarter turn of the hull about z carries the wheel's
	// offset from it, (1, 0, 0), to (0, 1, 0).
	// The angle is in degrees, turned with pi taken as 3.14: 90 x pi / 3.14 degrees is a true
	// quarter turn.
	model.SetAngleZ("Hull", 90.0f * 3.14159265f / 3.14f);
	model.position = {10.0f, 0.0f, 0.0f};
	model.Update(1.0f);
	EXPECT_NEAR(model.meshes[1].worldPosition.x, 1.0f, 1e-3);
	EXPECT_NEAR(model.meshes[1].worldPosition.y, 1.0f, 1e-3);
	// The model's place, the wheel's pivot and the anchor's offset from it.
	EXPECT_NEAR(model.meshes[1].anchors[0].worldPosition.x, 12.0f, 1e-3);
	EXPECT_NEAR(model.meshes[1].anchors[0].worldPosition.y, 2.0f, 1e-3);
	EXPECT_FLOAT_EQ(model.meshes[0].scrollOffset[0], 0.5f * 0.03f);
	EXPECT_FLOAT_EQ(model.GetRootPosition().x, 10.0f);
}

TEST_F(SceneDraw, ModelCacheKeepsMissingModelsAndEndsAtFortySlots)
{
	setenv("GLIMMERHEARTH_NONINTERACTIVE", "1", 1);
	g_mediaStore.Open();
	ModelCache cache;
	StaticModel first;
	StaticModel second;
	EXPECT_TRUE(cache.GetOrLoad("missing", first));
	EXPECT_TRUE(cache.GetOrLoad("missing", second));
	EXPECT_EQ(cache.UsedSlots(), 1) << "a missing file still takes its slot, once";
	EXPECT_EQ(first.meshCount, 0);
	for (int i = 1; i < ModelCache::kSlotCount; ++i)
	{
		EXPECT_TRUE(cache.GetOrLoad("no such model " + std::to_string(i), first));
	}
	EXPECT_FALSE(cache.GetOrLoad("one too many", first));
	EXPECT_EQ(cache.UsedSlots(), ModelCache::kSlotCount);
	cache.Release();
}

// Material records: "None" means no texture, a record with no corners still lends its textures,
// an index past the records falls back to the first, and a run past the object is cut.
TEST_F(SceneDraw, SceneMaterialsRunsAndLightsFollowTheirRules)
{
	setenv("GLIMMERHEARTH_NONINTERACTIVE", "1", 1);
	g_mediaStore.Open();
	BssFile scene = TestRoom::Scene();
	BssObject& wall = scene.objects[0];
	BssMaterial none;
	none.texture = "None";
	BssMaterial unused;
	unused.texture = "tex_wood.tga";
	unused.twoSided = 1;
	BssMaterial pastTheRecords;
	pastTheRecords.cornerCount = 3;
	pastTheRecords.materialIndex = 6;
	BssMaterial borrowing;
	borrowing.firstCorner = 3;
	borrowing.cornerCount = 30;
	borrowing.materialIndex = 1;
	wall.materials = {none, unused, pastTheRecords, borrowing};
	wall.hasLightmap = 0;
	// A light just inside the wall's box grown by twice its reach, and one just outside.
	BssLight nearLight = scene.lights[0];
	nearLight.targets.clear();
	nearLight.reach = 10.0f;
	nearLight.position = {0.0f, 0.0f, 100.0f + 19.0f};
	BssLight farLight = nearLight;
	farLight.position.z = 100.0f + 21.0f;
	scene.lights = {nearLight, farLight};
	g_rendererCaps.hasVertexBuffers = false;
	g_scene.LoadFromBytes(WriteContentBytes(scene).value());

	const SceneObject& room = *g_scene.zones.at(0);
	ASSERT_EQ(room.submeshes.size(), 2u);
	EXPECT_EQ(room.submeshes[0].materialIndex, 0);
	EXPECT_EQ(room.submeshes[0].baseTexture, 0u);
	EXPECT_EQ(room.submeshes[1].baseTexture, g_textures.Get("Models", "Textures/tex_wood.tga"));
	EXPECT_TRUE(room.submeshes[1].twoSided);
	EXPECT_EQ(room.submeshes[1].firstVertex, 3);
	EXPECT_EQ(room.submeshes[1].vertexCount, 3) << "cut at the object's last corner";
	ASSERT_EQ(room.lights.size(), 1u);
	EXPECT_FLOAT_EQ(room.lights[0]->position[2], 119.0f);
	EXPECT_FLOAT_EQ(room.lights[0]->ambient[0], 1.6f);
	EXPECT_EQ(g_scene.others.size(), 3u);
}
} // namespace

namespace
{
// Indices that point nowhere, runs past the object, a mesh that is its own grandparent and files
// cut anywhere: everything loads, updates and draws without reading outside its arrays.
TEST_F(SceneDraw, DamagedContentLoadsAndDrawsSafely)
{
	BssFile scene = TestRoom::Scene();
	BssObject& glow = scene.objects[2];
	glow.faces = {{0, 1e9f, -5.0f}, {std::nanf(""), 2, 3}};
	glow.materials[0].firstCorner = 2;
	glow.materials[0].cornerCount = 1000;
	const std::vector<uint8_t> bytes = WriteContentBytes(scene).value();
	archive = TestRoom::Archive(scene);
	g_mediaStore.Map(archive, {});
	for (size_t size = 0; size <= bytes.size(); size += 61)
	{
		g_scene.LoadFromBytes(std::span(bytes).first(size));
		g_frameComposer.fadeAlpha = 0.0f;
		DrawFrames(1);
	}
	g_scene.LoadFromBytes(bytes);
	const auto damaged = std::find_if(g_scene.objects.begin(), g_scene.objects.end(),
	                                  [](const auto& object) { return object->name == "glow"; });
	ASSERT_NE(damaged, g_scene.objects.end());
	EXPECT_EQ((*damaged)->submeshes.at(0).vertexCount, 4) << "the run is cut at the object's last corner";

	BsmFile model = TestRoom::BoxModel();
	BsmMesh loop = model.meshes[0];
	loop.name = "Arm";
	loop.parentName = "Hull";
	model.meshes[0].parentName = "Arm";
	model.meshes.push_back(loop);
	ModelData data;
	data.Parse(WriteContentBytes(model).value());
	data.AppendToSharedVertices();
	StaticModel placed;
	placed.Instantiate(data);
	placed.Update(1.0f);
	placed.Draw();
	EXPECT_EQ(placed.meshes[0].children, std::vector<int32_t>{1});
	EXPECT_TRUE(placed.meshes[1].children.empty()) << "the link back to the hull is dropped";
}
} // namespace
