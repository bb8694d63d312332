#include "scene/AnimatedModel.h"

#include "core/LogFile.h"
#include "media/MediaStore.h"
#include "render/SubmissionPacer.h"
#include "render/TextureManager.h"
#include "render/VertexArrays.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

namespace
{
constexpr const char* kRootParent = "Scene Root";

Mat4 MatrixFromTransform(const BoneTransform& transform)
{
	const auto& v = transform.values;
	return {
	    {v[0], v[1], v[2], v[9], v[3], v[4], v[5], v[10], v[6], v[7], v[8], v[11], 0.0f, 0.0f, 0.0f, 1.0f}};
}

Vec3 Translation(const Mat4& m)
{
	return {m[3], m[7], m[11]};
}

Vec3 ToVec3(const Float3& f)
{
	return {f.x, f.y, f.z};
}

// A vertex's weights divided by their sum. A vertex whose weights sum to nothing (or to no
// number at all) follows its first bone alone rather than vanishing into NaN.
Vec3 NormalizedWeights(const Float3& w)
{
	const float sum = w.x + w.y + w.z;
	if (!(std::fabs(sum) > 0.0f) || !std::isfinite(sum))
	{
		return {1.0f, 0.0f, 0.0f};
	}
	return {w.x / sum, w.y / sum, w.z / sum};
}

int32_t IndexOrNone(float stored, size_t count)
{
	const auto index = IndexFromReal(stored, count);
	return index ? static_cast<int32_t>(*index) : -1;
}

// `base` with its rotation replaced; the translation stays.
Mat4 WithRotation(const Mat4& base, const Quat& rotation)
{
	Mat4 result = base;
	QuatToMatrix(rotation, result);
	return result;
}

std::vector<uint8_t> FetchFile(const std::string& name)
{
	MediaBlob blob = g_mediaStore.Find(name);
	std::vector<uint8_t> bytes(blob.data, blob.data + blob.size);
	MediaBlob::Free(blob);
	return bytes;
}
} // namespace

int32_t BoneAnimation::TrackOf(int32_t bone) const
{
	for (int32_t track = 0; track < trackCount; ++track)
	{
		if (trackBones[static_cast<size_t>(track)] == bone)
		{
			return track;
		}
	}
	return -1;
}

bool AnimatedModel::Load(const std::string& name)
{
	const std::vector<uint8_t> meshBytes = FetchFile("Models/" + name + ".BSA");
	g_logFile.WriteLine("Animated model " + name + ".BSA mesh file loaded");
	BsaMeshFile mesh;
	if (!ReadContentFile<BsaMeshFile>(meshBytes, mesh))
	{
		return false;
	}
	if (!Build(mesh, g_textures.Get("Models", "Textures/" + mesh.texture)))
	{
		return false;
	}
	const std::string animationNames[] = {name + "_anim.BSA"};
	g_logFile.WriteLine("Num of Anims: ", static_cast<int>(std::size(animationNames)));
	for (const std::string& animationName : animationNames)
	{
		BsaAnimFile file;
		if (ReadContentFile<BsaAnimFile>(FetchFile("Models/" + animationName), file))
		{
			AddAnimation(file);
		}
	}
	StartAnimation();
	return true;
}

bool AnimatedModel::Build(const BsaMeshFile& mesh, uint32_t meshTexture)
{
	Release();
	texture = meshTexture;
	scrollU = mesh.scrollU;
	scrollV = mesh.scrollV;
	faceCount = static_cast<int32_t>(mesh.faces.size());

	const size_t vertexCount = mesh.positions.size();
	for (size_t v = 0; v < vertexCount; ++v)
	{
		bindPositions.push_back(ToVec3(mesh.positions[v]));
		weights.push_back(NormalizedWeights(ElementAt(mesh.weights, v)));
		const Float3 stored = ElementAt(mesh.boneIndices, v);
		for (const float index : {stored.x, stored.y, stored.z})
		{
			vertexBones.push_back(IndexOrNone(index, mesh.bones.size()));
		}
	}

	const size_t cornerCount = static_cast<size_t>(faceCount) * 3;
	skinnedVertices.assign(cornerCount * kCornerFloats, 0.0f);
	skinnedNormals.assign(cornerCount * 3, 0.0f);
	skinnedPositions.assign(vertexCount, {});
	for (size_t t = 0; t < mesh.faces.size(); ++t)
	{
		const Float3 face = mesh.faces[t];
		const Float3 uvFace = ElementAt(mesh.uvFaces, t);
		const float vertexOf[3] = {face.x, face.y, face.z};
		const float uvOf[3] = {uvFace.x, uvFace.y, uvFace.z};
		for (int k = 0; k < 3; ++k)
		{
			const size_t corner = t * 3 + static_cast<size_t>(k);
			cornerVertex.push_back(IndexOrNone(vertexOf[k], vertexCount));
			const Float3 uv = ElementAtReal(mesh.uvs, uvOf[k]);
			skinnedVertices[corner * kCornerFloats + 6] = uv.x;
			skinnedVertices[corner * kCornerFloats + 7] = uv.y;
			fileNormals.push_back(ToVec3(ElementAt(mesh.normals, corner)));
		}
	}

	for (const BsaBone& fileBone : mesh.bones)
	{
		AnimatedBone bone;
		bone.name = fileBone.name;
		bone.parentName = fileBone.parentName;
		bone.bind = MatrixFromTransform(fileBone.bind);
		bone.current = bone.bind;
		bones.push_back(bone);
	}
	if (!LinkBones())
	{
		Release();
		return false;
	}
	UpdateBones();
	Skin();
	return true;
}

// Links each bone to the first other bone of its parent's name and orders the bones from the
// root down. Bones that the root does not reach (a broken or circular chain) stay in the bind
// pose. The bind-pose world transforms follow, without the model's rotation.
bool AnimatedModel::LinkBones()
{
	for (size_t b = 0; b < bones.size(); ++b)
	{
		AnimatedBone& bone = bones[b];
		if (bone.parentName == kRootParent)
		{
			rootBone = rootBone < 0 ? static_cast<int32_t>(b) : rootBone;
			continue;
		}
		for (size_t p = 0; p < bones.size(); ++p)
		{
			if (p != b && bones[p].name == bone.parentName)
			{
				bone.parent = static_cast<int32_t>(p);
				bones[p].children.push_back(static_cast<int32_t>(b));
				break;
			}
		}
	}
	if (rootBone < 0)
	{
		return false;
	}
	std::vector<bool> reached(bones.size(), false);
	boneOrder.push_back(rootBone);
	reached[static_cast<size_t>(rootBone)] = true;
	for (size_t next = 0; next < boneOrder.size(); ++next)
	{
		for (const int32_t child : bones[static_cast<size_t>(boneOrder[next])].children)
		{
			if (!reached[static_cast<size_t>(child)])
			{
				reached[static_cast<size_t>(child)] = true;
				boneOrder.push_back(child);
			}
		}
	}
	for (const int32_t b : boneOrder)
	{
		AnimatedBone& bone = bones[static_cast<size_t>(b)];
		const Mat4& parentWorld =
		    b == rootBone ? kMat4Identity : bones[static_cast<size_t>(bone.parent)].world;
		bone.world = Mat4::Concat(bone.bind, parentWorld);
		bone.bindPosition = Translation(bone.world);
		bone.inverseBindRotation = MatrixToQuat(bone.world).Conjugate();
	}
	return true;
}

// Animations with no frames, or with a track for a bone the mesh lacks, are refused.
bool AnimatedModel::AddAnimation(const BsaAnimFile& file)
{
	if (file.frameCount < 1 || file.frameCount > kMaxAnimationFrames ||
	    file.tracks.size() > kMaxAnimationTracks)
	{
		return false;
	}
	BoneAnimation animation;
	animation.frameCount = file.frameCount;
	animation.trackCount = static_cast<int32_t>(file.tracks.size());
	animation.frames.reserve(file.tracks.size() * static_cast<size_t>(file.frameCount));
	for (const BsaTrack& track : file.tracks)
	{
		if (track.boneIndex < 0 || static_cast<size_t>(track.boneIndex) >= bones.size() ||
		    track.frames.size() != static_cast<size_t>(file.frameCount))
		{
			return false;
		}
		animation.trackBones.push_back(track.boneIndex);
		for (const BoneTransform& frame : track.frames)
		{
			animation.frames.push_back(MatrixFromTransform(frame));
		}
	}
	animations.push_back(std::move(animation));
	return true;
}

void AnimatedModel::StartAnimation()
{
	playing = true;
	currentAnimation = 0;
	playbackSpeed = 0.2f;
	inTransition = true;
	transitionTarget = 0;
	transitionSpeed = 0.2f;
	transitionBlend = 0.0f;
}

void AnimatedModel::Update(float stepTime)
{
	frameTime = stepTime;
	if (playing && !animations.empty())
	{
		if (inTransition)
		{
			BlendIntoTarget();
		}
		else
		{
			PlayAnimation();
		}
	}
	UpdateBones();
	Skin();
}

void AnimatedModel::PlayAnimation()
{
	BoneAnimation& animation = animations[static_cast<size_t>(currentAnimation)];
	animation.speed = playbackSpeed;
	for (int32_t track = 0; track < animation.trackCount; ++track)
	{
		int32_t next = animation.currentFrame + animation.step;
		next = next > animation.frameCount - 1 ? 0 : next;
		// The next key's translation with the rotation between the two keys.
		const Mat4& key = animation.Frame(track, next);
		const Quat rotation = Slerp(MatrixToQuat(animation.Frame(track, animation.currentFrame)),
		                            MatrixToQuat(key), animation.fraction);
		bones[static_cast<size_t>(animation.trackBones[static_cast<size_t>(track)])].current =
		    WithRotation(key, rotation);
	}

	animation.fraction += animation.speed * frameTime;
	if (animation.fraction > 1.0f)
	{
		// Bounded before the conversion: a huge frame time must not overflow the frame number.
		const int32_t advance = static_cast<int32_t>(std::min(animation.fraction, 1000000.0f));
		animation.step = advance;
		animation.currentFrame += advance;
		animation.fraction = 0.0f;
	}
	if (animation.currentFrame > animation.frameCount - 1)
	{
		if (switchPending)
		{
			transitionTarget = nextAnimation;
			playbackSpeed = animations[static_cast<size_t>(nextAnimation)].speed;
			inTransition = true;
			transitionSpeed = 0.3f;
			switchPending = false;
		}
		animation.currentFrame = 0;
	}
}

void AnimatedModel::BlendIntoTarget()
{
	const BoneAnimation& from = animations[static_cast<size_t>(currentAnimation)];
	BoneAnimation& target = animations[static_cast<size_t>(transitionTarget)];
	for (int32_t track = 0; track < target.trackCount; ++track)
	{
		const int32_t bone = target.trackBones[static_cast<size_t>(track)];
		const int32_t fromTrack = from.TrackOf(bone);
		AnimatedBone& animated = bones[static_cast<size_t>(bone)];
		const Mat4 start = fromTrack < 0 ? animated.current : from.Frame(fromTrack, from.currentFrame);
		const Quat rotation =
		    Slerp(MatrixToQuat(start), MatrixToQuat(target.Frame(track, 0)), transitionBlend);
		animated.current = WithRotation(start, rotation);
	}

	transitionBlend += transitionSpeed * frameTime;
	if (transitionBlend > 1.0f)
	{
		inTransition = false;
		transitionBlend = 0.0f;
		if (!switchPending)
		{
			nextAnimation = currentAnimation;
		}
		currentAnimation = transitionTarget;
		target.fraction = 0.0f;
		target.currentFrame = 0;
	}
}

void AnimatedModel::UpdateBones()
{
	for (const int32_t b : boneOrder)
	{
		AnimatedBone& bone = bones[static_cast<size_t>(b)];
		const Mat4& parentWorld =
		    b == rootBone ? rotationMatrix : bones[static_cast<size_t>(bone.parent)].world;
		bone.world = Mat4::Concat(bone.current, parentWorld);
		bone.worldPosition = Translation(bone.world);
		bone.worldRotation = QuatMultiply(MatrixToQuat(bone.world), bone.inverseBindRotation);
	}
}

void AnimatedModel::Skin()
{
	for (size_t v = 0; v < skinnedPositions.size(); ++v)
	{
		const float weightOf[3] = {weights[v].x, weights[v].y, weights[v].z};
		Vec3 skinned;
		for (size_t k = 0; k < 3; ++k)
		{
			const int32_t b = vertexBones[v * 3 + k];
			if (b < 0)
			{
				continue;
			}
			const AnimatedBone& bone = bones[static_cast<size_t>(b)];
			const Vec3 moved =
			    RotateVector(bone.worldRotation, bindPositions[v] - bone.bindPosition) + bone.worldPosition;
			skinned = skinned + moved * weightOf[k];
		}
		skinnedPositions[v] = skinned;
	}

	for (size_t corner = 0; corner < cornerVertex.size(); ++corner)
	{
		const int32_t v = cornerVertex[corner];
		const Vec3 position = v < 0 ? Vec3{} : skinnedPositions[static_cast<size_t>(v)];
		float* out = &skinnedVertices[corner * kCornerFloats];
		out[0] = position.x;
		out[1] = position.y;
		out[2] = position.z;
		const int32_t firstBone = v < 0 ? -1 : vertexBones[static_cast<size_t>(v) * 3];
		const Vec3 normal = firstBone < 0 ? fileNormals[corner]
		                                  : RotateVector(bones[static_cast<size_t>(firstBone)].worldRotation,
		                                                 fileNormals[corner]);
		skinnedNormals[corner * 3 + 0] = normal.x;
		skinnedNormals[corner * 3 + 1] = normal.y;
		skinnedNormals[corner * 3 + 2] = normal.z;
	}
}

void AnimatedModel::Draw()
{
	scrollTime += frameTime * 0.03f;
	glEnable(GL_LIGHTING);
	glEnable(GL_ALPHA_TEST);
	// The fire's arrays live in client memory, not in the shared vertex buffer.
	BindVertexBuffer(0);
	constexpr int32_t kCornerStride = kCornerFloats * sizeof(float);
	VertexArrays arrays;
	arrays.positions = {skinnedVertices.data(), kCornerStride};
	arrays.normals = {skinnedNormals.data(), 3 * sizeof(float)};
	arrays.hasNormals = true;
	arrays.texCoords = {skinnedVertices.data() + 6, kCornerStride};
	PointVertexArrays(arrays);

	glEnable(GL_TEXTURE_2D);
	glBindTexture(GL_TEXTURE_2D, texture);
	glMatrixMode(GL_TEXTURE);
	glLoadIdentity();
	glTranslatef(scrollU * scrollTime, -scrollTime * scrollV, 0.0f);
	glMatrixMode(GL_MODELVIEW);

	glDisable(GL_LIGHTING);
	glEnable(GL_BLEND);
	glDepthMask(GL_FALSE);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE);
	glDrawArrays(GL_TRIANGLES, 0, faceCount * 3);
	g_submissionPacer.CountTriangles(faceCount);

	glDisable(GL_BLEND);
	glDepthMask(GL_TRUE);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	glMatrixMode(GL_TEXTURE);
	glLoadIdentity();
	glMatrixMode(GL_MODELVIEW);
	glDisableClientState(GL_NORMAL_ARRAY);
}

void AnimatedModel::Release()
{
	*this = AnimatedModel{};
}
