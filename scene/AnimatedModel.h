#pragma once

#include "render/Math.h"
#include "scene/BsaFile.h"

#include <cstdint>
#include <string>
#include <vector>

struct AnimatedBone
{
	std::string name;
	std::string parentName;
	int32_t parent = -1; // -1 for the root
	Mat4 bind;           // relative to the parent
	Vec3 bindPosition;   // in the model, in the bind pose
	Quat inverseBindRotation;
	Mat4 current; // the animation's output; the bind transform until the first update
	Mat4 world;
	Vec3 worldPosition;
	Quat worldRotation; // the turn from the bind pose to now
	std::vector<int32_t> children;
};

// One bone animation: at most 60 tracks of 500 frames, held as large as the file has them.
struct BoneAnimation
{
	int32_t frameCount = 0;
	int32_t trackCount = 0;
	std::vector<int32_t> trackBones;
	std::vector<Mat4> frames; // trackCount * frameCount, track after track
	int32_t currentFrame = 0;
	int32_t step = 0; // frames advanced when the fraction last wrapped
	float fraction = 0.0f;
	float speed = 0.0f;

	const Mat4& Frame(int32_t track, int32_t frame) const
	{
		return frames[static_cast<size_t>(track) * static_cast<size_t>(frameCount) + static_cast<size_t>(frame)];
	}
	// The track that drives `bone`, or -1.
	int32_t TrackOf(int32_t bone) const;
};

// The fire of the fireplace: a mesh skinned to a few bones on the processor every frame, its
// flame texture scrolling upwards, drawn additively.
//
// Bone transforms hold the file's 3 x 3 rotation row by row in the rotation block of a Mat4
// (points turn as p' = R * p) and the translation in elements 3, 7 and 11. Each bone's transform
// is relative to its parent: world = parentWorld * current, that is Concat(current, parentWorld),
// with the model's rotationMatrix above the root. The skinning turns each vertex by the change
// from the bind pose (world rotation times the inverse bind-pose world rotation), so a frame
// equal to the bind transforms leaves every vertex where the file put it.
class AnimatedModel
{
public:
	// Reads "Models/<name>.BSA" and "Models/<name>_anim.BSA" and starts the animation. False
	// when the mesh file is missing or malformed; a bad animation file leaves the fire still.
	bool Load(const std::string& name);
	// The same from parsed files; the texture is a GL texture name (0 in tests).
	bool Build(const BsaMeshFile& mesh, uint32_t meshTexture);
	bool AddAnimation(const BsaAnimFile& file);
	// Playing, blending from the current frame into frame 0 of animation 0, both speeds 0.2.
	void StartAnimation();
	void Update(float frameTime);
	// Draws at the current model-view matrix; the caller has placed the model.
	void Draw();
	void Release();

	// Corner k of triangle t: position x, y, z, three unused floats, then u, v.
	static constexpr int kCornerFloats = 8;
	const std::vector<float>& SkinnedVertices() const { return skinnedVertices; }
	const std::vector<float>& SkinnedNormals() const { return skinnedNormals; }
	const std::vector<AnimatedBone>& Bones() const { return bones; }
	int32_t RootBone() const { return rootBone; }
	int32_t FaceCount() const { return faceCount; }

	Mat4 rotationMatrix = kMat4Identity;

	bool playing = false;
	int32_t currentAnimation = 0;
	float playbackSpeed = 0.0f;
	bool inTransition = false;
	int32_t transitionTarget = 0;
	float transitionSpeed = 0.0f;
	float transitionBlend = 0.0f;
	bool switchPending = false;
	int32_t nextAnimation = 0;
	float frameTime = 0.0f;
	std::vector<BoneAnimation> animations;

private:
	bool LinkBones();
	void PlayAnimation();
	void BlendIntoTarget();
	void UpdateBones();
	void Skin();

	uint32_t texture = 0;
	float scrollU = 0.0f;
	float scrollV = 0.0f;
	float scrollTime = 0.0f;
	int32_t faceCount = 0;
	std::vector<Vec3> bindPositions;
	std::vector<Vec3> weights;         // normalised
	std::vector<int32_t> vertexBones;  // three a vertex, -1 where the file names no bone
	std::vector<int32_t> cornerVertex; // -1 where the file names no vertex
	std::vector<Vec3> fileNormals;     // one a corner
	std::vector<Vec3> skinnedPositions;
	std::vector<float> skinnedVertices;
	std::vector<float> skinnedNormals;
	std::vector<AnimatedBone> bones;
	std::vector<int32_t> boneOrder; // parents before children, from the root
	int32_t rootBone = -1;
};
