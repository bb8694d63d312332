#pragma once

#include "scene/ContentStream.h"

// A static model file (.BSM): the textured triangle meshes of one model, then its anchor
// points. Fields are declared in file order. The records hold the file as it stands; the model
// loader turns them into expanded triangle lists and textures.

struct BsmMesh
{
	static constexpr size_t kMinBytes = 50; // no layer strings, empty strings, no arrays

	std::string baseTexture;
	float scrollU = 0.0f;
	float scrollV = 0.0f;
	uint8_t hasReflection = 0;
	std::string reflectionTexture; // present only when hasReflection is non-zero
	uint8_t hasGlow = 0;
	std::string glowTexture; // present only when hasGlow is non-zero
	std::string name;
	std::string parentName; // "Scene Root" for a top-level mesh
	int32_t vertexCount = 0;
	int32_t faceCount = 0;
	int32_t uvCount = 0;
	// The files always give faceCount here. A smaller count is read as it stands; ElementAt gives
	// the faces past it a zero uv face, so their corners use the first uv.
	int32_t uvFaceCount = 0;
	Float3 pivot;
	std::vector<Float3> positions; // model space, not relative to the pivot
	std::vector<Float3> faces;     // position indices of the three corners, as integral reals
	std::vector<Float3> uvs;       // u, v and an unused w
	std::vector<Float3> uvFaces;   // uv indices of the three corners, as integral reals
	std::vector<Float3> normals;   // one per corner: 3 × faceCount, in face and corner order

	bool operator==(const BsmMesh&) const = default;
};

struct BsmAnchor
{
	static constexpr size_t kMinBytes = 40;

	Float3 position;        // model space
	std::string name;       // a verb, a space and an argument: "emit candle"
	std::string parentName; // the mesh it hangs on
	Float4 rotation;
	int32_t kind = 0; // 2 marks a particle emitter

	bool operator==(const BsmAnchor&) const = default;
};

struct BsmFile
{
	int32_t meshCount = 0;
	std::vector<BsmMesh> meshes;
	int32_t anchorCount = 0;
	std::vector<BsmAnchor> anchors;

	bool operator==(const BsmFile&) const = default;
};

template <typename Stream> void Transfer(Stream& s, BsmMesh& m)
{
	s.Value(m.baseTexture);
	s.Value(m.scrollU);
	s.Value(m.scrollV);
	TransferOptionalString(s, m.hasReflection, m.reflectionTexture);
	TransferOptionalString(s, m.hasGlow, m.glowTexture);
	s.Value(m.name);
	s.Value(m.parentName);
	s.Count(m.vertexCount, m.positions.size());
	s.Count(m.faceCount, m.faces.size());
	s.Count(m.uvCount, m.uvs.size());
	s.Count(m.uvFaceCount, m.uvFaces.size());
	Transfer(s, m.pivot);
	s.Array(m.positions, m.vertexCount);
	s.Array(m.faces, m.faceCount);
	s.Array(m.uvs, m.uvCount);
	s.Array(m.uvFaces, m.uvFaceCount);
	s.Array(m.normals, int64_t{m.faceCount} * 3);
}

template <typename Stream> void Transfer(Stream& s, BsmAnchor& a)
{
	Transfer(s, a.position);
	s.Value(a.name);
	s.Value(a.parentName);
	Transfer(s, a.rotation);
	s.Value(a.kind);
}

// Negative counts, and counts the rest of the file cannot hold, fail the read before anything
// is allocated (ContentReader::Array). The file ends with the last anchor.
template <typename Stream> void Transfer(Stream& s, BsmFile& f)
{
	TransferCounted(s, f.meshCount, f.meshes);
	TransferCounted(s, f.anchorCount, f.anchors);
}
