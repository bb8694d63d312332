#include "tests/scene/ByteFixture.h"
#include "tests/scene/ContentSamples.h"

namespace
{
// A scene with one object of each material shape, a portal, two cameras, an anchor and a light,
// field by field in file order.
ByteFixture HandMadeScene()
{
	ByteFixture f;
	f.Int(2); // objectCount
	// Object 0: two materials and a lightmap.
	f.Text("room").Text("Scene Root").Int(2);
	f.Text("E:\\maps\\tex_bricks.tga").Byte(1).Byte(0).Byte(0).Int(0).Int(3).Int(0);
	f.Text("None")
	    .Byte(0)
	    .Byte(1)
	    .Text("tex_reflection2.tga")
	    .Byte(1)
	    .Text("tex_glow_i.tga")
	    .Int(3)
	    .Int(0)
	    .Int(6);
	f.Int(3).Int(1).Int(1).Int(2).Int(1); // vertex, face, uv, lightmap uv, uv face counts
	f.Byte(1).Text("roomLightingMap.tga");
	f.Reals({0, 0, 0, 1, 0, 0, 0, 1, 0}); // positions
	f.Reals({0, 1, 2});                   // faces
	f.Reals({0.5f, 0.5f, 0});             // uvs
	f.Reals({0, 0, 0, 1, 1, 0});          // lightmap uvs
	f.Reals({0, 0, 0});                   // uv faces
	f.Reals({0, 1, 1});                   // lightmap faces
	f.Reals({0, 0, 1, 0, 0, 1, 0, 0, 1}); // normals
	// Object 1: no materials, no lightmap; its arrays follow the flag byte.
	f.Text("vismesh").Text("room").Int(0).Int(1).Int(0).Int(0).Int(0).Int(0).Byte(0).Reals({4, 5, 6});
	f.Int(1); // portalCount
	f.Text("room").Text("hall").Int(2).Reals({1, 1, 1, 2, 2, 2}).Int(1).Reals({0, 1, 1}).Reals({0, -1, 0});
	f.Int(2); // cameras
	f.Int(2)
	    .Reals({1, 2, 3, 4, 5, 6})
	    .Reals({0, 0, 0, 1, 0.5f, 0.5f, 0.5f, 0.5f})
	    .Reals({1.3089969f, 1.1344640f});
	f.Int(0);
	f.Int(1); // anchorCount
	f.Text("instance candle").Text("room").Int(3).Int(12).Int(2);
	f.Reals({10, 20, 30, 11, 21, 31}).Reals({0, 0, 0, 1, 0, 0, 1, 0});
	f.Int(1); // lightCount
	f.Reals({1, 2, 3}).Reals({0.9f, 0.8f, 0.7f}).Reals({40, 1, 1, 552.8f});
	f.Int(2).Text("instance fir").Text("instance candle");
	return f;
}

TEST(BssFile, ReadsAHandMadeFileFieldByField)
{
	const ByteFixture fixture = HandMadeScene();
	ContentReader reader(fixture.Bytes());
	BssFile scene;
	Transfer(reader, scene);
	ASSERT_FALSE(reader.Failed());
	EXPECT_EQ(reader.Remaining(), 0u);

	ASSERT_EQ(scene.objects.size(), 2u);
	const BssObject& room = scene.objects[0];
	EXPECT_EQ(room.name, "room");
	EXPECT_EQ(room.parentName, "Scene Root");
	ASSERT_EQ(room.materials.size(), 2u);
	EXPECT_EQ(room.materials[0].texture, "tex_bricks.tga");
	EXPECT_EQ(room.materials[0].twoSided, 1);
	EXPECT_EQ(room.materials[0].cornerCount, 3);
	const BssMaterial& window = room.materials[1];
	EXPECT_EQ(window.texture, "None");
	EXPECT_EQ(window.hasReflection, 1);
	EXPECT_EQ(window.reflectionTexture, "tex_reflection2.tga");
	EXPECT_EQ(window.hasGlow, 1);
	EXPECT_EQ(window.glowTexture, "tex_glow_i.tga");
	EXPECT_EQ(window.firstCorner, 3);
	EXPECT_EQ(window.cornerCount, 0);
	EXPECT_EQ(window.materialIndex, 6);
	EXPECT_EQ(room.lightmapUvCount, 2);
	EXPECT_EQ(room.uvFaceCount, 1);
	EXPECT_EQ(room.hasLightmap, 1);
	EXPECT_EQ(room.lightmapTexture, "roomLightingMap.tga");
	EXPECT_EQ(room.positions.size(), 3u);
	EXPECT_EQ(room.uvs, (std::vector<Float3>{{0.5f, 0.5f, 0}}));
	EXPECT_EQ(room.lightmapUvs, (std::vector<Float3>{{0, 0, 0}, {1, 1, 0}}));
	EXPECT_EQ(room.uvFaces, (std::vector<Float3>{{0, 0, 0}}));
	EXPECT_EQ(room.lightmapFaces, (std::vector<Float3>{{0, 1, 1}}));
	EXPECT_EQ(room.normals.size(), 3u);
	EXPECT_EQ(scene.objects[1].name, "vismesh");
	EXPECT_EQ(scene.objects[1].positions, (std::vector<Float3>{{4, 5, 6}}));

	ASSERT_EQ(scene.portals.size(), 1u);
	EXPECT_EQ(scene.portals[0].targetName, "hall");
	EXPECT_EQ(scene.portals[0].positions, (std::vector<Float3>{{1, 1, 1}, {2, 2, 2}}));
	EXPECT_EQ(scene.portals[0].faces, (std::vector<Float3>{{0, 1, 1}}));
	EXPECT_EQ(scene.portals[0].normal, (Float3{0, -1, 0}));

	ASSERT_EQ(scene.cameras.size(), 2u);
	const BssCamera& camera = scene.cameras[0];
	EXPECT_EQ(camera.keyCount, 2);
	EXPECT_EQ(camera.positions, (std::vector<Float3>{{1, 2, 3}, {4, 5, 6}}));
	EXPECT_EQ(camera.rotations, (std::vector<Float4>{{0, 0, 0, 1}, {0.5f, 0.5f, 0.5f, 0.5f}}));
	EXPECT_EQ(camera.fovs, (std::vector<float>{1.3089969f, 1.1344640f}));
	EXPECT_EQ(scene.cameras[1].keyCount, 0);

	ASSERT_EQ(scene.anchors.size(), 1u);
	const BssAnchor& anchor = scene.anchors[0];
	EXPECT_EQ(anchor.name, "instance candle");
	EXPECT_EQ(anchor.kind, 3);
	EXPECT_EQ(anchor.pathDelay, 12);
	EXPECT_EQ(anchor.positions, (std::vector<Float3>{{10, 20, 30}, {11, 21, 31}}));
	EXPECT_EQ(anchor.rotations, (std::vector<Float4>{{0, 0, 0, 1}, {0, 0, 1, 0}}));

	ASSERT_EQ(scene.lights.size(), 1u);
	const BssLight& light = scene.lights[0];
	EXPECT_EQ(light.position, (Float3{1, 2, 3}));
	EXPECT_EQ(light.color, (Float3{0.9f, 0.8f, 0.7f}));
	EXPECT_EQ(light.reach, 40.0f);
	EXPECT_EQ(light.intensity, 1.0f);
	EXPECT_EQ(light.range, 552.8f);
	EXPECT_EQ(light.targets, (std::vector<std::string>{"instance fir", "instance candle"}));
}

TEST(BssFile, WriterAndReaderAgree)
{
	const std::vector<uint8_t> bytes = WrittenBytes(SampleScene());
	BssFile scene;
	ASSERT_TRUE(ReadContentFile(std::span<const uint8_t>(bytes), scene));
	EXPECT_EQ(scene, WithCounts(SampleScene()));
	EXPECT_EQ(WrittenBytes(scene), bytes);
}

TEST(BssFile, EveryCutFails)
{
	ExpectEveryCutFails<BssFile>(WrittenBytes(SampleScene()));
	ExpectEveryCutFails<BssFile>(HandMadeScene().Bytes());
}

// Past the engine's tables the records are read past, so the fields after them stay in step,
// and the raw counts remain for the loader's message.
TEST(BssFile, KeepsNoMoreMaterialsOrTargetsThanTheTablesHold)
{
	BssFile sample = SampleScene();
	BssMaterial last;
	last.texture = "tex_last.tga";
	sample.objects[0].materials.resize(320);
	sample.objects[0].materials.push_back(last);
	sample.lights[0].targets.resize(41, "instance candle");
	sample.lights.push_back(sample.lights[0]);
	sample.lights[1].targets = {"instance bear"};

	BssFile scene;
	ASSERT_TRUE(ReadContentFile(std::span<const uint8_t>(WrittenBytes(sample)), scene));
	EXPECT_EQ(scene.objects[0].materialCount, 321);
	EXPECT_EQ(scene.objects[0].materials.size(), 320u);
	EXPECT_EQ(scene.objects[0].lightmapTexture, "roomLightingMap.tga");
	EXPECT_EQ(scene.objects[1].name, "glass");
	EXPECT_EQ(scene.lights[0].targetCount, 41);
	EXPECT_EQ(scene.lights[0].targets.size(), 40u);
	EXPECT_EQ(scene.lights[1].targets, (std::vector<std::string>{"instance bear"}));
}

TEST(BssFile, LyingCountsFailWithoutHugeAllocations)
{
	BssFile scene;
	EXPECT_FALSE(ReadContentFile(ByteFixture().Int(0x7fffffff).Bytes(), scene));
	EXPECT_FALSE(ReadContentFile(ByteFixture().Int(0).Int(-3).Bytes(), scene));
	// A camera that claims 2^31 - 1 keys but holds one.
	EXPECT_FALSE(ReadContentFile(ByteFixture()
	                                 .Int(0)
	                                 .Int(0)
	                                 .Int(1)
	                                 .Int(0x7fffffff)
	                                 .Reals({1, 2, 3, 0, 0, 0, 1, 1.3f})
	                                 .Int(0)
	                                 .Int(0)
	                                 .Bytes(),
	                             scene));
	ASSERT_EQ(scene.cameras.size(), 1u);
	EXPECT_TRUE(scene.cameras[0].positions.empty());
	// A material count the object cannot hold: each record takes at least 19 bytes.
	EXPECT_FALSE(ReadContentFile(ByteFixture().Int(1).Text("o").Text("p").Int(1000).Bytes(), scene));
}
} // namespace
