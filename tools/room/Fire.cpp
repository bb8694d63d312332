#include "tools/room/Fire.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kFlameHeight = 46.0f;
constexpr float kBoneSpacing = 15.0f;
constexpr int kFrames = 100;

// Bone order in the file: 0 "Bone01" (top), 1 "Bone02", 2 "Bone03" (root at the base).
Float3 WeightsAt(float height)
{
	const float root = std::clamp(1.0f - height / kBoneSpacing, 0.0f, 1.0f);
	const float top = std::clamp((height - kBoneSpacing) / kBoneSpacing, 0.0f, 1.0f);
	const float middle = std::max(0.0f, 1.0f - root - top);
	return {top, middle, root};
}

BoneTransform Transform(float angleX, float angleY, Vec3 translation)
{
	const float cx = std::cos(angleX), sx = std::sin(angleX);
	const float cy = std::cos(angleY), sy = std::sin(angleY);
	// Ry * Rx, row by row.
	BoneTransform t;
	t.values = {cy,      sy * sx, sy * cx,       0.0f,          cx,           -sx, -sy,
	            cy * sx, cy * cx, translation.x, translation.y, translation.z};
	return t;
}

float Wave(int frame, int cycles)
{
	return std::sin(2.0f * kPi * static_cast<float>(cycles * frame) / kFrames);
}

void AddSheet(BsaMeshFile& mesh, Vec3 base, float angle, float width, float height)
{
	const int columns = 4, rows = 6;
	const Vec3 across{std::cos(angle), std::sin(angle), 0.0f};
	const Vec3 normal{-across.y, across.x, 0.0f};
	const float first = static_cast<float>(mesh.positions.size());
	for (int row = 0; row <= rows; ++row)
	{
		const float v = static_cast<float>(row) / rows;
		const float h = v * height;
		const float halfWidth = 0.5f * width * std::pow(1.0f - v, 0.8f) + 0.3f;
		for (int column = 0; column <= columns; ++column)
		{
			const float u = static_cast<float>(column) / columns;
			const Vec3 p = base + across * ((u - 0.5f) * 2.0f * halfWidth) + Vec3{0.0f, 0.0f, h};
			mesh.positions.push_back({p.x, p.y, p.z});
			mesh.weights.push_back(WeightsAt(h));
			mesh.boneIndices.push_back({0.0f, 1.0f, 2.0f});
			mesh.uvs.push_back({u, v * 1.5f, 0.0f});
		}
	}
	for (int row = 0; row < rows; ++row)
	{
		for (int column = 0; column < columns; ++column)
		{
			const float a = first + row * (columns + 1) + column;
			const float b = a + 1.0f, c = a + columns + 2.0f, d = a + columns + 1.0f;
			for (const Float3& face : {Float3{a, b, c}, Float3{a, c, d}})
			{
				mesh.faces.push_back(face);
				mesh.uvFaces.push_back(face);
				for (int k = 0; k < 3; ++k)
				{
					mesh.normals.push_back({normal.x, normal.y, normal.z});
				}
			}
		}
	}
}
} // namespace

FireFiles BuildFire(Vec3 base)
{
	FireFiles fire;
	BsaMeshFile& mesh = fire.mesh;
	mesh.texture = "add_flame.tga";
	mesh.scrollU = 0.0f;
	mesh.scrollV = 0.5f;
	// Sheets are laid out in the fire's own space around the root; the root bone stands at `base`.
	for (int i = 0; i < 4; ++i)
	{
		AddSheet(mesh, base, i * kPi / 4.0f, 34.0f, kFlameHeight);
	}
	AddSheet(mesh, base + Vec3{0.0f, -9.0f, 0.0f}, 0.3f, 18.0f, kFlameHeight * 0.7f);
	AddSheet(mesh, base + Vec3{0.0f, 9.0f, 0.0f}, -0.4f, 18.0f, kFlameHeight * 0.75f);
	mesh.vertexCount = static_cast<int32_t>(mesh.positions.size());
	mesh.faceCount = static_cast<int32_t>(mesh.faces.size());
	mesh.reservedFaceCount = mesh.faceCount;
	mesh.uvCount = static_cast<int32_t>(mesh.uvs.size());

	const Vec3 up{0.0f, 0.0f, kBoneSpacing};
	mesh.bones = {BsaBone{Transform(0.0f, 0.0f, up), "Bone01", "Bone02"},
	              BsaBone{Transform(0.0f, 0.0f, up), "Bone02", "Bone03"},
	              BsaBone{Transform(0.0f, 0.0f, base), "Bone03", "Scene Root"}};
	mesh.boneCount = 3;

	BsaAnimFile& animation = fire.animation;
	animation.unused = 3;
	animation.frameCount = kFrames;
	animation.trackCount = 3;
	animation.tracks.resize(3);
	for (int bone = 0; bone < 3; ++bone)
	{
		BsaTrack& track = animation.tracks[bone];
		track.boneIndex = bone;
		for (int frame = 0; frame < kFrames; ++frame)
		{
			// Every wave is a whole number of cycles over the loop and zero at frame 0, so the
			// loop closes and frame 0 is the bind pose.
			const float sway = bone == 2 ? 0.0f : (bone == 1 ? 0.1f : 0.22f);
			const float angleX = sway * (Wave(frame, 3) + 0.4f * Wave(frame, 11));
			const float angleY = sway * (Wave(frame, 2) + 0.5f * Wave(frame, 7));
			const float flicker = bone == 0 ? 4.0f * Wave(frame, 9) + 2.0f * Wave(frame, 17) : 0.0f;
			const Vec3 translation = bone == 2 ? base : up + Vec3{0.0f, 0.0f, flicker};
			track.frames.push_back(Transform(angleX, angleY, translation));
		}
	}
	return fire;
}
