#pragma once

#include "scene/ContentStream.h"

// The scene file (.BSS): the room's own lightmapped objects, the portals between zones, the
// recorded camera flights, the anchors that place models and emitters, and the lights. Five
// sections, each an int32 count and its records; fields are declared in file order.

// The engine's tables: an object holds 320 material records, a light 40 target names.
inline constexpr size_t kMaxSceneMaterials = 320;
inline constexpr size_t kMaxLightTargets = 40;

struct BssMaterial
{
	static constexpr size_t kMinBytes = 19;

	std::string texture; // "None", or any name of 4 bytes or fewer, means no base texture
	uint8_t twoSided = 0;
	uint8_t hasReflection = 0;
	std::string reflectionTexture; // present only when hasReflection is non-zero
	uint8_t hasGlow = 0;
	std::string glowTexture;   // present only when hasGlow is non-zero
	int32_t firstCorner = 0;   // counted from the object's first corner (3 × triangle + k)
	int32_t cornerCount = 0;   // 0 for an unused material
	int32_t materialIndex = 0; // the record that supplies the textures and flags of this run

	bool operator==(const BssMaterial&) const = default;
};

struct BssObject
{
	static constexpr size_t kMinBytes = 33;

	std::string name;
	std::string parentName; // "Scene Root" for a zone
	// The count as the file gives it. Beyond kMaxSceneMaterials the records are read past but
	// not kept, so `materials` never outgrows the engine's table; the loader compares this raw
	// count with its limit to show its message.
	int32_t materialCount = 0;
	std::vector<BssMaterial> materials;
	int32_t vertexCount = 0;
	int32_t faceCount = 0;
	int32_t uvCount = 0;
	int32_t lightmapUvCount = 0;
	// Counts both the uv faces and the lightmap faces. The files always give faceCount; a
	// smaller count is read as it stands (see ElementAt).
	int32_t uvFaceCount = 0;
	uint8_t hasLightmap = 0;
	std::string lightmapTexture;   // present only when hasLightmap is non-zero
	std::vector<Float3> positions; // world space
	std::vector<Float3> faces;     // position indices, integral reals
	std::vector<Float3> uvs;       // u, v and an unused w
	std::vector<Float3> lightmapUvs;
	std::vector<Float3> uvFaces;
	std::vector<Float3> lightmapFaces;
	std::vector<Float3> normals; // one per corner: 3 × faceCount

	bool operator==(const BssObject&) const = default;
};

struct BssPortal
{
	static constexpr size_t kMinBytes = 28;

	std::string name;       // the zone the portal belongs to
	std::string targetName; // the zone or anchor it leads to
	int32_t vertexCount = 0;
	std::vector<Float3> positions;
	int32_t faceCount = 0;
	std::vector<Float3> faces; // position indices, integral reals
	Float3 normal;             // the direction the portal faces

	bool operator==(const BssPortal&) const = default;
};

// One recorded camera flight.
struct BssCamera
{
	static constexpr size_t kMinBytes = 4;

	int32_t keyCount = 0;
	std::vector<Float3> positions;
	std::vector<Float4> rotations;
	std::vector<float> fovs; // radians

	bool operator==(const BssCamera&) const = default;
};

struct BssAnchor
{
	static constexpr size_t kMinBytes = 20;

	std::string name;       // "instance candle", "animmodel fireplace_fire", "emit snowfall"
	std::string parentName; // the zone it stands in
	int32_t kind = 0;       // 1 light marker, 2 emitter, 3 model instance, 4 animated model
	int32_t pathDelay = 0;
	int32_t keyCount = 0;
	std::vector<Float3> positions; // key 0 is the anchor's place
	std::vector<Float4> rotations;

	bool operator==(const BssAnchor&) const = default;
};

struct BssLight
{
	static constexpr size_t kMinBytes = 44;

	Float3 position;
	Float3 color;
	float reach = 0.0f;
	float unused = 0.0f;
	float intensity = 0.0f;
	float range = 0.0f;
	// The count as the file gives it; as with materials, names past kMaxLightTargets are read
	// past but not kept.
	int32_t targetCount = 0;
	std::vector<std::string> targets;

	bool operator==(const BssLight&) const = default;
};

struct BssFile
{
	int32_t objectCount = 0;
	std::vector<BssObject> objects;
	int32_t portalCount = 0;
	std::vector<BssPortal> portals;
	int32_t cameraCount = 0;
	std::vector<BssCamera> cameras;
	int32_t anchorCount = 0;
	std::vector<BssAnchor> anchors;
	int32_t lightCount = 0;
	std::vector<BssLight> lights;

	bool operator==(const BssFile&) const = default;
};

template <typename Stream> void Transfer(Stream& s, BssMaterial& m)
{
	s.Value(m.texture);
	s.Value(m.twoSided);
	TransferOptionalString(s, m.hasReflection, m.reflectionTexture);
	TransferOptionalString(s, m.hasGlow, m.glowTexture);
	s.Value(m.firstCorner);
	s.Value(m.cornerCount);
	s.Value(m.materialIndex);
}

template <typename Stream> void Transfer(Stream& s, BssObject& o)
{
	s.Value(o.name);
	s.Value(o.parentName);
	TransferCounted(s, o.materialCount, o.materials, kMaxSceneMaterials);
	s.Count(o.vertexCount, o.positions.size());
	s.Count(o.faceCount, o.faces.size());
	s.Count(o.uvCount, o.uvs.size());
	s.Count(o.lightmapUvCount, o.lightmapUvs.size());
	s.Count(o.uvFaceCount, o.uvFaces.size());
	TransferOptionalString(s, o.hasLightmap, o.lightmapTexture);
	s.Array(o.positions, o.vertexCount);
	s.Array(o.faces, o.faceCount);
	s.Array(o.uvs, o.uvCount);
	s.Array(o.lightmapUvs, o.lightmapUvCount);
	s.Array(o.uvFaces, o.uvFaceCount);
	s.Array(o.lightmapFaces, o.uvFaceCount);
	s.Array(o.normals, int64_t{o.faceCount} * 3);
}

template <typename Stream> void Transfer(Stream& s, BssPortal& p)
{
	s.Value(p.name);
	s.Value(p.targetName);
	TransferCounted(s, p.vertexCount, p.positions);
	TransferCounted(s, p.faceCount, p.faces);
	Transfer(s, p.normal);
}

template <typename Stream> void Transfer(Stream& s, BssCamera& c)
{
	TransferCounted(s, c.keyCount, c.positions);
	s.Array(c.rotations, c.keyCount);
	s.Array(c.fovs, c.keyCount);
}

template <typename Stream> void Transfer(Stream& s, BssAnchor& a)
{
	s.Value(a.name);
	s.Value(a.parentName);
	s.Value(a.kind);
	s.Value(a.pathDelay);
	TransferCounted(s, a.keyCount, a.positions);
	s.Array(a.rotations, a.keyCount);
}

template <typename Stream> void Transfer(Stream& s, BssLight& l)
{
	Transfer(s, l.position);
	Transfer(s, l.color);
	s.Value(l.reach);
	s.Value(l.unused);
	s.Value(l.intensity);
	s.Value(l.range);
	TransferCounted(s, l.targetCount, l.targets, kMaxLightTargets);
}

// Negative counts, and counts the rest of the file cannot hold, fail the read before anything
// is allocated (ContentReader::Array). The file ends with the last light.
template <typename Stream> void Transfer(Stream& s, BssFile& f)
{
	TransferCounted(s, f.objectCount, f.objects);
	TransferCounted(s, f.portalCount, f.portals);
	TransferCounted(s, f.cameraCount, f.cameras);
	TransferCounted(s, f.anchorCount, f.anchors);
	TransferCounted(s, f.lightCount, f.lights);
}
