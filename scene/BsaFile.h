#pragma once

#include "scene/ContentStream.h"

#include <array>

// The animated model files: the skinned mesh with its bones (name + ".BSA") and the bone
// animation (name + "_anim.BSA"). Fields are declared in file order.

// The engine's animation record holds 60 tracks of 500 frames each. Larger animations are
// refused as a whole, by the writer as much as by the reader, rather than cut.
inline constexpr int32_t kMaxAnimationTracks = 60;
inline constexpr int32_t kMaxAnimationFrames = 500;

// A bone transform: a 3 × 3 rotation row by row, then the translation x, y, z.
struct BoneTransform
{
	static constexpr size_t kMinBytes = 48;
	std::array<float, 12> values{};

	bool operator==(const BoneTransform&) const = default;
};

struct BsaBone
{
	static constexpr size_t kMinBytes = 56;

	BoneTransform bind;
	std::string name;
	std::string parentName; // "Scene Root" for the root bone

	bool operator==(const BsaBone&) const = default;
};

struct BsaMeshFile
{
	std::string texture;
	float scrollU = 0.0f;
	float scrollV = 0.0f;
	int32_t vertexCount = 0;
	int32_t reservedFaceCount = 0; // stored, never used; the exporter wrote the face count here
	int32_t uvCount = 0;
	int32_t faceCount = 0;
	Float3 reserved;
	std::vector<Float3> positions;   // bind pose
	std::vector<Float3> weights;     // of the vertex's three bones, not yet normalised
	std::vector<Float3> boneIndices; // the vertex's three bones, as integral reals
	std::vector<Float3> faces;       // vertex indices, integral reals
	std::vector<Float3> uvs;         // u, v and an unused w
	std::vector<Float3> uvFaces;     // faceCount of them: this file has no count of its own
	std::vector<Float3> normals;     // one per corner: 3 × faceCount
	int32_t boneCount = 0;
	std::vector<BsaBone> bones;

	bool operator==(const BsaMeshFile&) const = default;
};

struct BsaTrack
{
	static constexpr size_t kMinBytes = 4; // with no frames

	int32_t boneIndex = 0;             // in the mesh file's bone order
	std::vector<BoneTransform> frames; // frameCount of the file

	bool operator==(const BsaTrack&) const = default;
};

struct BsaAnimFile
{
	int32_t unused = 0;
	int32_t frameCount = 0; // per track, at most kMaxAnimationFrames
	int32_t trackCount = 0; // at most kMaxAnimationTracks
	std::vector<BsaTrack> tracks;

	bool operator==(const BsaAnimFile&) const = default;
};

template <typename Stream> void Transfer(Stream& s, BoneTransform& t)
{
	for (float& value : t.values)
	{
		s.Value(value);
	}
}

template <typename Stream> void Transfer(Stream& s, BsaBone& b)
{
	Transfer(s, b.bind);
	s.Value(b.name);
	s.Value(b.parentName);
}

template <typename Stream> void Transfer(Stream& s, BsaMeshFile& m)
{
	s.Value(m.texture);
	s.Value(m.scrollU);
	s.Value(m.scrollV);
	s.Count(m.vertexCount, m.positions.size());
	s.Value(m.reservedFaceCount);
	s.Count(m.uvCount, m.uvs.size());
	s.Count(m.faceCount, m.faces.size());
	Transfer(s, m.reserved);
	s.Array(m.positions, m.vertexCount);
	s.Array(m.weights, m.vertexCount);
	s.Array(m.boneIndices, m.vertexCount);
	s.Array(m.faces, m.faceCount);
	s.Array(m.uvs, m.uvCount);
	s.Array(m.uvFaces, m.faceCount);
	s.Array(m.normals, int64_t{m.faceCount} * 3);
	TransferCounted(s, m.boneCount, m.bones);
}

// The track count is checked before any track is read, and each track's frames against the
// bytes left, so the largest allocation is the engine's own capacity.
template <typename Stream> void Transfer(Stream& s, BsaAnimFile& a)
{
	s.Value(a.unused);
	s.Value(a.frameCount);
	s.Count(a.trackCount, a.tracks.size());
	s.Require(a.frameCount >= 0 && a.frameCount <= kMaxAnimationFrames &&
	          a.trackCount <= kMaxAnimationTracks);
	s.Array(a.tracks, a.trackCount, kMaxAnimationTracks,
	        [&s, &a](BsaTrack& track)
	        {
		        s.Value(track.boneIndex);
		        s.Array(track.frames, a.frameCount);
	        });
}
