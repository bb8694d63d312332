#include "scene/AnimatedModel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// A rotation of `degrees` about z, row by row, then the translation.
BoneTransform TurnZ(float degrees, Float3 t)
{
	const float a = degrees * 3.14159265f / 180.0f;
	const float c = std::cos(a);
	const float s = std::sin(a);
	return {{c, -s, 0, s, c, 0, 0, 0, 1, t.x, t.y, t.z}};
}

// A rotation of `degrees` about x.
BoneTransform TurnX(float degrees, Float3 t)
{
	const float a = degrees * 3.14159265f / 180.0f;
	const float c = std::cos(a);
	const float s = std::sin(a);
	return {{1, 0, 0, 0, c, -s, 0, s, c, t.x, t.y, t.z}};
}

// One triangle per vertex (each vertex used by corner 0 of its own triangle), with bones
// "Root" under the scene root and "Child" ... under it in a chain.
BsaMeshFile Mesh(const std::vector<Float3>& positions, const std::vector<Float3>& weights,
                 const std::vector<Float3>& boneIndices, const std::vector<BoneTransform>& binds)
{
	BsaMeshFile mesh;
	mesh.texture = "add_flame.tga";
	mesh.positions = positions;
	mesh.weights = weights;
	mesh.boneIndices = boneIndices;
	for (size_t v = 0; v < positions.size(); ++v)
	{
		const float index = static_cast<float>(v);
		mesh.faces.push_back({index, index, index});
		mesh.uvFaces.push_back({0, 0, 0});
		for (int k = 0; k < 3; ++k)
		{
			mesh.normals.push_back({1, 0, 0});
		}
	}
	mesh.uvs.push_back({0.25f, 0.75f, 0});
	for (size_t b = 0; b < binds.size(); ++b)
	{
		mesh.bones.push_back(
		    {binds[b], "Bone" + std::to_string(b), b == 0 ? "Scene Root" : "Bone" + std::to_string(b - 1)});
	}
	return mesh;
}

BsaAnimFile Animation(const std::vector<std::vector<BoneTransform>>& tracks)
{
	BsaAnimFile file;
	file.frameCount = static_cast<int32_t>(tracks[0].size());
	for (size_t t = 0; t < tracks.size(); ++t)
	{
		file.tracks.push_back({static_cast<int32_t>(t), tracks[t]});
	}
	return file;
}

Vec3 Corner(const AnimatedModel& model, size_t triangle)
{
	const float* p = &model.SkinnedVertices()[triangle * 3 * AnimatedModel::kCornerFloats];
	return {p[0], p[1], p[2]};
}

void ExpectNear(const Vec3& a, const Vec3& b, float tolerance = 1e-5f)
{
	EXPECT_NEAR(a.x, b.x, tolerance);
	EXPECT_NEAR(a.y, b.y, tolerance);
	EXPECT_NEAR(a.z, b.z, tolerance);
}

// A chain of three bones whose binds turn and move, so that any other order of the products
// puts the bones elsewhere.
const std::vector<BoneTransform> kChain = {TurnZ(30, {1, 2, 3}), TurnX(45, {0, 2, 0}), TurnZ(-60, {1, 0, 1})};
} // namespace

TEST(AnimatedModel, FramesEqualToTheBindTransformsKeepTheBindPose)
{
	const std::vector<Float3> positions = {{1, 2, 3}, {-2, 4, 0.5f}, {3, 3, 3}, {0, 0, 0}};
	const BsaMeshFile mesh = Mesh(positions, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 2}},
	                              {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {0, 1, 2}}, kChain);
	AnimatedModel model;
	ASSERT_TRUE(model.Build(mesh, 0));
	ASSERT_TRUE(model.AddAnimation(
	    Animation({{kChain[0], kChain[0]}, {kChain[1], kChain[1]}, {kChain[2], kChain[2]}})));
	model.StartAnimation();
	for (int update = 0; update < 20; ++update)
	{
		model.Update(1.0f);
		for (size_t v = 0; v < positions.size(); ++v)
		{
			ExpectNear(Corner(model, v), {positions[v].x, positions[v].y, positions[v].z}, 1e-4f);
		}
	}
	EXPECT_FALSE(model.inTransition);
	// The bind positions are the bones' places in the model: the root's is its own translation.
	ExpectNear(model.Bones()[0].bindPosition, {1, 2, 3});
	EXPECT_EQ(model.RootBone(), 0);
}

TEST(AnimatedModel, ATurnedBoneCarriesItsVerticesAndItsChildren)
{
	// Root at (1, 0, 0); its child one unit further along x.
	const BsaMeshFile mesh =
	    Mesh({{2, 0, 0}, {3, 0, 0}, {2.5f, 0, 0}}, {{1, 0, 0}, {1, 0, 0}, {1, 1, 0}},
	         {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {TurnZ(0, {1, 0, 0}), TurnZ(0, {1, 0, 0})});
	AnimatedModel model;
	ASSERT_TRUE(model.Build(mesh, 0));
	const BoneTransform turned = TurnZ(90, {1, 0, 0});
	ASSERT_TRUE(
	    model.AddAnimation(Animation({{turned, turned}, {TurnZ(0, {1, 0, 0}), TurnZ(0, {1, 0, 0})}})));
	model.playing = true;
	model.playbackSpeed = 0.2f;
	model.Update(1.0f);
	// The root turns a quarter about z around (1, 0, 0); x becomes y.
	ExpectNear(Corner(model, 0), {1, 1, 0});
	ExpectNear(Corner(model, 1), {1, 2, 0});
	// Half on each bone: halfway between where each would take it.
	ExpectNear(Corner(model, 2), {1, 1.5f, 0});
	// Normals turn with the vertex's first bone.
	ExpectNear({model.SkinnedNormals()[0], model.SkinnedNormals()[1], model.SkinnedNormals()[2]}, {0, 1, 0});
	EXPECT_FLOAT_EQ(model.SkinnedVertices()[6], 0.25f);
	EXPECT_FLOAT_EQ(model.SkinnedVertices()[7], 0.75f);

	// The model's own rotation turns the whole fire about the origin.
	model.rotationMatrix = kMat4Identity;
	QuatToMatrix({0, 0, std::sin(0.7853982f), std::cos(0.7853982f)}, model.rotationMatrix);
	model.Update(1.0f);
	ExpectNear(Corner(model, 0), {-1, 1, 0});
}

TEST(AnimatedModel, WeightsAreNormalisedAndEmptyOnesFollowTheFirstBone)
{
	const BsaMeshFile mesh =
	    Mesh({{2, 0, 0}, {2, 0, 0}, {2, 0, 0}}, {{2, 0, 0}, {0, 0, 0}, {2, 1, 1}},
	         {{0, 1, 1}, {0, 1, 1}, {0, 1, 1}}, {TurnZ(0, {1, 0, 0}), TurnZ(0, {0, 0, 0})});
	AnimatedModel model;
	ASSERT_TRUE(model.Build(mesh, 0));
	const BoneTransform turned = TurnZ(90, {1, 0, 0});
	const BoneTransform turnedBack = TurnZ(-90, {0, 0, 0});
	ASSERT_TRUE(model.AddAnimation(Animation({{turned}, {turnedBack}})));
	model.playing = true;
	model.Update(1.0f);
	ExpectNear(Corner(model, 0), {1, 1, 0});
	ExpectNear(Corner(model, 1), {1, 1, 0});
	// (0.5, 0.25, 0.25): half with the turned root, half with the child, which turns back and
	// so only moves with the root's origin.
	ExpectNear(Corner(model, 2), {1.5f, 0.5f, 0});
}

TEST(AnimatedModel, PlaybackAdvancesOnTheSixthUpdateAtSpeed02)
{
	const BsaMeshFile mesh = Mesh({{0, 0, 0}}, {{1, 0, 0}}, {{0, 0, 0}}, {TurnZ(0, {0, 0, 0})});
	AnimatedModel model;
	ASSERT_TRUE(model.Build(mesh, 0));
	std::vector<BoneTransform> frames;
	for (int f = 0; f < 4; ++f)
	{
		frames.push_back(TurnZ(10.0f * f, {0, 0, 0}));
	}
	ASSERT_TRUE(model.AddAnimation(Animation({frames})));
	model.StartAnimation();
	int transitionUpdates = 0;
	while (model.inTransition && transitionUpdates < 100)
	{
		model.Update(1.0f);
		++transitionUpdates;
	}
	EXPECT_EQ(transitionUpdates, 6) << "blend 0.2 a step must pass 1";
	const BoneAnimation& animation = model.animations[0];
	std::vector<int> frameAfterUpdate;
	for (int update = 0; update < 24; ++update)
	{
		model.Update(1.0f);
		frameAfterUpdate.push_back(animation.currentFrame);
	}
	EXPECT_EQ(frameAfterUpdate[4], 0);
	EXPECT_EQ(frameAfterUpdate[5], 1);
	EXPECT_EQ(frameAfterUpdate[11], 2);
	EXPECT_EQ(frameAfterUpdate[17], 3);
	EXPECT_EQ(frameAfterUpdate[23], 0) << "past the last frame playback starts again";
}

TEST(AnimatedModel, BrokenFilesAreRefusedWithoutHarm)
{
	AnimatedModel model;
	EXPECT_FALSE(model.Load("no_such_fire"));
	// No bone hangs under the scene root.
	BsaMeshFile rootless = Mesh({{0, 0, 0}}, {{1, 0, 0}}, {{0, 0, 0}}, {TurnZ(0, {0, 0, 0})});
	rootless.bones[0].parentName = "Bone0";
	EXPECT_FALSE(model.Build(rootless, 0));

	// Indices that name nothing leave the corner at the origin and the bone out.
	BsaMeshFile wild = Mesh({{1, 1, 1}}, {{1, 0, 0}}, {{7, -1, NAN}}, {TurnZ(0, {0, 0, 0})});
	wild.faces.push_back({99, -5, 1e30f});
	ASSERT_TRUE(model.Build(wild, 0));
	model.Update(1.0f);
	ExpectNear(Corner(model, 1), {0, 0, 0});

	BsaAnimFile tooMany;
	tooMany.frameCount = 1;
	tooMany.tracks.assign(kMaxAnimationTracks + 1, {0, {TurnZ(0, {0, 0, 0})}});
	EXPECT_FALSE(model.AddAnimation(tooMany));
	BsaAnimFile foreignBone = Animation({{TurnZ(0, {0, 0, 0})}});
	foreignBone.tracks[0].boneIndex = 5;
	EXPECT_FALSE(model.AddAnimation(foreignBone));
	BsaAnimFile empty;
	EXPECT_FALSE(model.AddAnimation(empty));
	EXPECT_TRUE(model.animations.empty());
}
