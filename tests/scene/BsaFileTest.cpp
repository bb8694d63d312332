#include "tests/scene/ByteFixture.h"
#include "tests/scene/ContentSamples.h"

namespace
{
// A mesh of two vertices, one triangle and two bones, field by field in file order.
ByteFixture HandMadeAnimatedMesh()
{
	ByteFixture f;
	f.Text("C:\\fire\\add_flame.tga").Reals({0.0f, 0.5f});
	f.Int(2).Int(432).Int(1).Int(1);      // vertexCount, reserved, uvCount, faceCount
	f.Reals({7, 8, 9});                   // reserved
	f.Reals({1, 1, 1, 2, 2, 2});          // positions
	f.Reals({2, 1, 1, 1, 0, 0});          // weights
	f.Reals({0, 1, 1, 1, 1, 0});          // bone indices
	f.Reals({0, 1, 1});                   // faces
	f.Reals({0.25f, 0.75f, 3});           // uvs
	f.Reals({0, 0, 0});                   // uv faces
	f.Reals({0, 0, 1, 0, 1, 0, 1, 0, 0}); // normals
	f.Int(2);                             // boneCount
	f.Reals({1, 0, 0, 0, 1, 0, 0, 0, 1, 10, 20, 30}).Text("Bone03").Text("Scene Root");
	f.Reals({0, 1, 0, 1, 0, 0, 0, 0, 1, -1, -2, -3}).Text("Bone01").Text("Bone03");
	return f;
}

ByteFixture HandMadeAnimation()
{
	ByteFixture f;
	f.Int(3).Int(2).Int(1); // unused, frameCount, trackCount
	f.Int(1).Reals({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}).Reals({0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 6, 7});
	return f;
}

TEST(BsaFile, ReadsAHandMadeMeshFieldByField)
{
	BsaMeshFile mesh;
	ASSERT_TRUE(ReadContentFile(HandMadeAnimatedMesh().Bytes(), mesh));
	EXPECT_EQ(mesh.texture, "add_flame.tga");
	EXPECT_EQ(mesh.scrollU, 0.0f);
	EXPECT_EQ(mesh.scrollV, 0.5f);
	EXPECT_EQ(mesh.vertexCount, 2);
	EXPECT_EQ(mesh.reservedFaceCount, 432);
	EXPECT_EQ(mesh.uvCount, 1);
	EXPECT_EQ(mesh.faceCount, 1);
	EXPECT_EQ(mesh.reserved, (Float3{7, 8, 9}));
	EXPECT_EQ(mesh.positions, (std::vector<Float3>{{1, 1, 1}, {2, 2, 2}}));
	EXPECT_EQ(mesh.weights, (std::vector<Float3>{{2, 1, 1}, {1, 0, 0}}));
	EXPECT_EQ(mesh.boneIndices, (std::vector<Float3>{{0, 1, 1}, {1, 1, 0}}));
	EXPECT_EQ(mesh.faces, (std::vector<Float3>{{0, 1, 1}}));
	EXPECT_EQ(mesh.uvs, (std::vector<Float3>{{0.25f, 0.75f, 3}}));
	EXPECT_EQ(mesh.uvFaces, (std::vector<Float3>{{0, 0, 0}}));
	EXPECT_EQ(mesh.normals.size(), 3u);
	ASSERT_EQ(mesh.bones.size(), 2u);
	EXPECT_EQ(mesh.bones[0].bind.values[9], 10.0f);
	EXPECT_EQ(mesh.bones[0].name, "Bone03");
	EXPECT_EQ(mesh.bones[0].parentName, "Scene Root");
	EXPECT_EQ(mesh.bones[1].bind.values[1], 1.0f);
	EXPECT_EQ(mesh.bones[1].bind.values[11], -3.0f);
	EXPECT_EQ(mesh.bones[1].parentName, "Bone03");
}

TEST(BsaFile, ReadsAHandMadeAnimationFieldByField)
{
	BsaAnimFile animation;
	ASSERT_TRUE(ReadContentFile(HandMadeAnimation().Bytes(), animation));
	EXPECT_EQ(animation.unused, 3);
	EXPECT_EQ(animation.frameCount, 2);
	ASSERT_EQ(animation.tracks.size(), 1u);
	EXPECT_EQ(animation.tracks[0].boneIndex, 1);
	ASSERT_EQ(animation.tracks[0].frames.size(), 2u);
	EXPECT_EQ(animation.tracks[0].frames[0].values[4], 1.0f);
	EXPECT_EQ(animation.tracks[0].frames[1].values[9], 5.0f);
	EXPECT_EQ(animation.tracks[0].frames[1].values[11], 7.0f);
}

TEST(BsaFile, WriterAndReaderAgree)
{
	const std::vector<uint8_t> meshBytes = WrittenBytes(SampleAnimatedMesh());
	BsaMeshFile mesh;
	ASSERT_TRUE(ReadContentFile(std::span<const uint8_t>(meshBytes), mesh));
	EXPECT_EQ(mesh, WithCounts(SampleAnimatedMesh()));
	EXPECT_EQ(WrittenBytes(mesh), meshBytes);

	const std::vector<uint8_t> animationBytes = WrittenBytes(SampleAnimation());
	BsaAnimFile animation;
	ASSERT_TRUE(ReadContentFile(std::span<const uint8_t>(animationBytes), animation));
	EXPECT_EQ(animation, WithCounts(SampleAnimation()));
}

TEST(BsaFile, EveryCutFails)
{
	ExpectEveryCutFails<BsaMeshFile>(WrittenBytes(SampleAnimatedMesh()));
	ExpectEveryCutFails<BsaMeshFile>(HandMadeAnimatedMesh().Bytes());
	ExpectEveryCutFails<BsaAnimFile>(WrittenBytes(SampleAnimation()));
	ExpectEveryCutFails<BsaAnimFile>(HandMadeAnimation().Bytes());
}

// The engine's animation record holds 60 tracks of 500 frames: that much is read, more is
// refused whole, on both sides.
TEST(BsaFile, AnimationsPastTheCapacityAreRefused)
{
	BsaAnimFile full;
	full.frameCount = 500;
	full.tracks.resize(60);
	for (BsaTrack& track : full.tracks)
	{
		track.frames.resize(500);
	}
	BsaAnimFile read;
	EXPECT_TRUE(ReadContentFile(std::span<const uint8_t>(WrittenBytes(full)), read));
	EXPECT_EQ(read.tracks.size(), 60u);

	BsaAnimFile tooManyTracks = full;
	tooManyTracks.tracks.resize(61, full.tracks[0]);
	EXPECT_FALSE(WriteContentBytes(tooManyTracks).has_value());
	BsaAnimFile tooManyFrames;
	tooManyFrames.frameCount = 501;
	EXPECT_FALSE(WriteContentBytes(tooManyFrames).has_value());

	for (const auto& [frames, tracks] :
	     {std::pair{501, 1}, std::pair{1, 61}, std::pair{-1, 1}, std::pair{1, -1}})
	{
		ByteFixture f;
		f.Int(0).Int(frames).Int(tracks);
		for (int i = 0; i < 100; ++i)
		{
			f.Reals({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
		}
		EXPECT_FALSE(ReadContentFile(f.Bytes(), read)) << frames << " frames, " << tracks << " tracks";
		EXPECT_TRUE(read.tracks.empty());
	}
}

TEST(BsaFile, LyingCountsFailWithoutHugeAllocations)
{
	ByteFixture f;
	f.Text("t").Reals({0, 0}).Int(0x7fffffff).Int(0).Int(0).Int(0).Reals({0, 0, 0});
	BsaMeshFile mesh;
	EXPECT_FALSE(ReadContentFile(f.Bytes(), mesh));
	EXPECT_TRUE(mesh.positions.empty());
}
} // namespace
