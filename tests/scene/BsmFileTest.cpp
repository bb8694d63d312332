#include "tests/scene/ByteFixture.h"
#include "tests/scene/ContentSamples.h"

namespace
{
using namespace std::string_literals;

// A model of two meshes and one anchor, field by field in file order.
ByteFixture HandMadeModel()
{
	ByteFixture f;
	f.Int(2); // meshCount
	// Mesh 0: no layers, so its name follows the second flag byte at once.
	f.Text("C:\\art\\Textures\\tex_candle.tga").Reals({0.5f, -0.25f}).Byte(0).Byte(0);
	f.Text("Hull\0junk"s).Text("Scene Root");
	f.Int(3).Int(1).Int(2).Int(1);        // vertexCount, faceCount, uvCount, uvFaceCount
	f.Reals({1, 2, 3});                   // pivot
	f.Reals({0, 0, 0, 4, 0, 0, 0, 5, 0}); // positions
	f.Reals({0, 1, 2});                   // faces
	f.Reals({0, 0, 9, 1, 1, 9});          // uvs
	f.Reals({1, 0, 1});                   // uv faces
	f.Reals({0, 0, 1, 0, 1, 0, 1, 0, 0}); // normals
	// Mesh 1: both layers, with flag values other than 1.
	f.Text("tex_flame.tga")
	    .Reals({0, 0})
	    .Byte(7)
	    .Text("D:/x/tex_reflection2.tga")
	    .Byte(255)
	    .Text("tex_flame_i.tga");
	f.Text("flame").Text("Hull");
	f.Int(0).Int(0).Int(0).Int(0).Reals({-1, -2, -3});
	f.Int(1); // anchorCount
	f.Reals({7, 8, 9}).Text("emit candle").Text("flame").Reals({0, 0, 0.5f, 0.75f}).Int(2);
	return f;
}

TEST(BsmFile, ReadsAHandMadeFileFieldByField)
{
	const ByteFixture fixture = HandMadeModel();
	ContentReader reader(fixture.Bytes());
	BsmFile model;
	Transfer(reader, model);
	ASSERT_FALSE(reader.Failed());
	EXPECT_EQ(reader.Remaining(), 0u);

	ASSERT_EQ(model.meshCount, 2);
	ASSERT_EQ(model.meshes.size(), 2u);
	const BsmMesh& hull = model.meshes[0];
	EXPECT_EQ(hull.baseTexture, "tex_candle.tga");
	EXPECT_EQ(hull.scrollU, 0.5f);
	EXPECT_EQ(hull.scrollV, -0.25f);
	EXPECT_EQ(hull.hasReflection, 0);
	EXPECT_EQ(hull.reflectionTexture, "");
	EXPECT_EQ(hull.hasGlow, 0);
	EXPECT_EQ(hull.name, "Hull");
	EXPECT_EQ(hull.parentName, "Scene Root");
	EXPECT_EQ(hull.vertexCount, 3);
	EXPECT_EQ(hull.faceCount, 1);
	EXPECT_EQ(hull.uvCount, 2);
	EXPECT_EQ(hull.uvFaceCount, 1);
	EXPECT_EQ(hull.pivot, (Float3{1, 2, 3}));
	EXPECT_EQ(hull.positions, (std::vector<Float3>{{0, 0, 0}, {4, 0, 0}, {0, 5, 0}}));
	EXPECT_EQ(hull.faces, (std::vector<Float3>{{0, 1, 2}}));
	EXPECT_EQ(hull.uvs, (std::vector<Float3>{{0, 0, 9}, {1, 1, 9}}));
	EXPECT_EQ(hull.uvFaces, (std::vector<Float3>{{1, 0, 1}}));
	EXPECT_EQ(hull.normals, (std::vector<Float3>{{0, 0, 1}, {0, 1, 0}, {1, 0, 0}}));

	const BsmMesh& flame = model.meshes[1];
	EXPECT_EQ(flame.hasReflection, 7);
	EXPECT_EQ(flame.reflectionTexture, "tex_reflection2.tga");
	EXPECT_EQ(flame.hasGlow, 255);
	EXPECT_EQ(flame.glowTexture, "tex_flame_i.tga");
	EXPECT_EQ(flame.name, "flame");
	EXPECT_EQ(flame.parentName, "Hull");
	EXPECT_EQ(flame.pivot, (Float3{-1, -2, -3}));
	EXPECT_TRUE(flame.positions.empty());

	ASSERT_EQ(model.anchors.size(), 1u);
	EXPECT_EQ(model.anchors[0].position, (Float3{7, 8, 9}));
	EXPECT_EQ(model.anchors[0].name, "emit candle");
	EXPECT_EQ(model.anchors[0].parentName, "flame");
	EXPECT_EQ(model.anchors[0].rotation, (Float4{0, 0, 0.5f, 0.75f}));
	EXPECT_EQ(model.anchors[0].kind, 2);
}

TEST(BsmFile, WriterAndReaderAgree)
{
	const std::vector<uint8_t> bytes = WrittenBytes(SampleModel());
	BsmFile model;
	ASSERT_TRUE(ReadContentFile(std::span<const uint8_t>(bytes), model));
	EXPECT_EQ(model, WithCounts(SampleModel()));
	EXPECT_EQ(WrittenBytes(model), bytes);
}

TEST(BsmFile, EveryCutFails)
{
	ExpectEveryCutFails<BsmFile>(WrittenBytes(SampleModel()));
	ExpectEveryCutFails<BsmFile>(HandMadeModel().Bytes());
}

TEST(BsmFile, LyingCountsFailWithoutHugeAllocations)
{
	BsmFile model;
	EXPECT_FALSE(ReadContentFile(ByteFixture().Int(0x7fffffff).Bytes(), model));
	EXPECT_FALSE(ReadContentFile(ByteFixture().Int(-1).Int(0).Bytes(), model));
	EXPECT_FALSE(ReadContentFile(ByteFixture().Int(0).Int(-5).Bytes(), model));

	// A mesh that claims 2^31 - 1 faces: the faces, and the normals at three per face, cannot
	// be there.
	ByteFixture hugeFaces;
	hugeFaces.Int(1).Text("t").Reals({0, 0}).Byte(0).Byte(0).Text("m").Text("Scene Root");
	hugeFaces.Int(0).Int(0x7fffffff).Int(0).Int(0).Reals({0, 0, 0}).Int(0);
	EXPECT_FALSE(ReadContentFile(hugeFaces.Bytes(), model));
	ASSERT_EQ(model.meshes.size(), 1u);
	EXPECT_TRUE(model.meshes[0].faces.empty());
	EXPECT_TRUE(model.anchors.empty());
}

TEST(BsmFile, FewerUvFacesThanFacesReadAndFallBackToUvFaceZero)
{
	BsmFile sample = SampleModel();
	sample.meshes[0].faces.push_back({2, 1, 0});
	sample.meshes[0].normals.resize(6);
	BsmFile model;
	ASSERT_TRUE(ReadContentFile(std::span<const uint8_t>(WrittenBytes(sample)), model));
	const BsmMesh& mesh = model.meshes[0];
	EXPECT_EQ(mesh.faceCount, 2);
	EXPECT_EQ(mesh.uvFaceCount, 1);
	EXPECT_EQ(ElementAt(mesh.uvFaces, 1), Float3{});
}
} // namespace
