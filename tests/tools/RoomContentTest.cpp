// The built room read back with the engine's own file readers: the names the engine looks
// for, the conventions the animation code relies on, and the camera flights' bounds.

#include "effects/ParticleFormat.h"
#include "render/Math.h"
#include "scene/BsaFile.h"
#include "scene/BsmFile.h"
#include "scene/BssFile.h"
#include "tests/support/Process.h"
#include "tests/tools/ContentFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace
{
fs::path RoomModels()
{
	return fs::path(BinaryDir()) / "content/room/Models";
}

// Reads a whole file and checks that the record accounts for every byte of it.
template <typename Record> Record ReadToLastByte(const fs::path& path)
{
	const std::vector<uint8_t> bytes = ReadWholeFile(path);
	Record record;
	EXPECT_TRUE(ReadContentFile(std::span<const uint8_t>(bytes), record)) << path;
	const auto written = WriteContentBytes(record);
	EXPECT_TRUE(written.has_value()) << path;
	if (written)
	{
		EXPECT_EQ(written->size(), bytes.size()) << path << " has bytes after its last record";
	}
	return record;
}

const BsmMesh* FindMesh(const BsmFile& model, const std::string& name)
{
	const auto it = std::find_if(model.meshes.begin(), model.meshes.end(),
	                             [&](const BsmMesh& m) { return m.name == name; });
	return it == model.meshes.end() ? nullptr : &*it;
}

std::set<std::string> AnchorNames(const BssFile& scene)
{
	std::set<std::string> names;
	for (const BssAnchor& anchor : scene.anchors)
	{
		names.insert(anchor.name);
	}
	return names;
}
} // namespace

TEST(RoomContent, SceneHoldsTheRoomZoneAndItsMembers)
{
	const BssFile scene = ReadToLastByte<BssFile>(RoomModels() / "test.BSS");
	std::set<std::string> objects;
	std::set<std::string> zones;
	bool additive = false;
	for (const BssObject& object : scene.objects)
	{
		objects.insert(object.name);
		if (object.parentName == "Scene Root")
		{
			zones.insert(object.name);
		}
		// Only the hills, the firs and the sky stand outside, behind the windows.
		const bool outside = object.name == "landscape" || object.name == "farfirs";
		const bool zone = object.name == "room" || object.name == "outside";
		EXPECT_EQ(object.parentName, zone ? "Scene Root" : (outside ? "outside" : "room")) << object.name;
		EXPECT_LE(object.materials.size(), kMaxSceneMaterials);
		for (const BssMaterial& material : object.materials)
		{
			additive = additive || material.texture.rfind("ad", 0) == 0;
			EXPECT_EQ(material.firstCorner % 3, 0);
			EXPECT_LE(material.firstCorner + material.cornerCount, object.faceCount * 3) << object.name;
		}
	}
	EXPECT_EQ(zones, (std::set<std::string>{"room", "outside"}));
	EXPECT_TRUE(additive);
	for (const char* name : {"room", "glass", "armchair01", "fireplace", "mantel", "bookshelf", "pictures",
	                         "presents", "landscape"})
	{
		EXPECT_TRUE(objects.count(name)) << name;
	}
	for (const BssAnchor& anchor : scene.anchors)
	{
		EXPECT_EQ(anchor.parentName, "room") << anchor.name;
	}
	const std::set<std::string> anchors = AnchorNames(scene);
	for (const char* name : {"instance fir", "instance candle", "instance Clock", "instance railroad",
	                         "animmodel fireplace_fire", "emit snowfall", "emit Fire"})
	{
		EXPECT_TRUE(anchors.count(name)) << name;
	}
	EXPECT_EQ(std::count_if(scene.anchors.begin(), scene.anchors.end(),
	                        [](const BssAnchor& a) { return a.name == "instance candle"; }),
	          7);
	ASSERT_EQ(scene.lights.size(), 1u);
	EXPECT_FLOAT_EQ(scene.lights[0].reach, 40.0f);
	EXPECT_NEAR(scene.lights[0].range, 552.8f, 0.01f);
	EXPECT_TRUE(std::count(scene.lights[0].targets.begin(), scene.lights[0].targets.end(), "instance fir"));
}

// Each window's opening is a portal from the room to the outside: on the room's side of the window
// wall, facing into the room, wound counter-clockwise seen from there (the query culls back faces).
TEST(RoomContent, WindowsArePortalsFromTheRoomToTheOutside)
{
	const BssFile scene = ReadToLastByte<BssFile>(RoomModels() / "test.BSS");
	const BssObject& glass = *std::find_if(scene.objects.begin(), scene.objects.end(),
	                                       [](const BssObject& o) { return o.name == "glass"; });
	ASSERT_EQ(scene.portals.size(), 2u);
	for (const BssPortal& portal : scene.portals)
	{
		EXPECT_EQ(portal.name, "room");
		EXPECT_EQ(portal.targetName, "outside");
		ASSERT_EQ(portal.faceCount, 2);
		EXPECT_FLOAT_EQ(portal.normal.y, -1.0f);
		for (const Float3& face : portal.faces)
		{
			const Float3& a = portal.positions.at(static_cast<size_t>(face.x));
			const Float3& b = portal.positions.at(static_cast<size_t>(face.y));
			const Float3& c = portal.positions.at(static_cast<size_t>(face.z));
			EXPECT_EQ(a.y, glass.positions[0].y - 10.5f);
			EXPECT_EQ(b.y, a.y);
			EXPECT_EQ(c.y, a.y);
			// Seen from inside (looking along +y, x to the right, z up), the winding's turn is positive.
			EXPECT_GT((b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x), 0.0f);
		}
	}
}

namespace
{
// A scene triangle with its plane: unit normal (facing as wound) and distance from the origin.
struct PlaneTriangle
{
	std::string object;
	std::array<Vec3, 3> corners;
	Vec3 normal;
	float distance = 0.0f;
	// The normal rounded to thousandths: triangles of one plane share it.
	std::array<int, 3> direction{};
};

// The triangles of one mesh, by the position indices of their corners.
void AddTriangles(const std::string& owner, const std::vector<Float3>& positions,
                  const std::vector<Float3>& faces, std::vector<PlaneTriangle>& triangles)
{
	for (const Float3& face : faces)
	{
		PlaneTriangle t{owner, {}, {}, 0.0f, {}};
		const float indices[3] = {face.x, face.y, face.z};
		for (int i = 0; i < 3; ++i)
		{
			const Float3& p = positions.at(static_cast<size_t>(indices[i]));
			t.corners[i] = {p.x, p.y, p.z};
		}
		const Vec3 n = Cross(t.corners[1] - t.corners[0], t.corners[2] - t.corners[0]);
		const float length = std::sqrt(Dot(n, n));
		if (length < 1e-4f)
		{
			continue;
		}
		t.normal = n * (1.0f / length);
		t.distance = Dot(t.normal, t.corners[0]);
		t.direction = {static_cast<int>(std::lround(t.normal.x * 1000.0f)),
		               static_cast<int>(std::lround(t.normal.y * 1000.0f)),
		               static_cast<int>(std::lround(t.normal.z * 1000.0f))};
		triangles.push_back(t);
	}
}

// Whether two triangles of one plane overlap by more than `slack` (touching edges do not count):
// they do unless some edge direction of either separates their shadows on its perpendicular.
bool OverlapInPlane(const PlaneTriangle& a, const PlaneTriangle& b, float slack)
{
	for (const PlaneTriangle* t : {&a, &b})
	{
		for (int i = 0; i < 3; ++i)
		{
			const Vec3 axis = Cross(t->normal, t->corners[(i + 1) % 3] - t->corners[i]);
			const float length = std::sqrt(Dot(axis, axis));
			if (length < 1e-6f)
			{
				continue;
			}
			float aMin = INFINITY, aMax = -INFINITY, bMin = INFINITY, bMax = -INFINITY;
			for (int k = 0; k < 3; ++k)
			{
				const float pa = Dot(axis, a.corners[k]) / length;
				const float pb = Dot(axis, b.corners[k]) / length;
				aMin = std::min(aMin, pa), aMax = std::max(aMax, pa);
				bMin = std::min(bMin, pb), bMax = std::max(bMax, pb);
			}
			if (std::min(aMax, bMax) - std::max(aMin, bMin) <= slack)
			{
				return false;
			}
		}
	}
	return true;
}
} // namespace

// Two faces in one plane, facing the same way, fight for the same pixels: the one drawn first wins
// where the depths tie, and the lightmap baked for a face buried in another shows as a dark patch.
// Reports every pair of triangles that share a plane and overlap; returns how many there are.
int CountFights(std::vector<PlaneTriangle> triangles)
{
	// Sorted by direction, then by distance: only neighbours in that order can share a plane.
	std::sort(triangles.begin(), triangles.end(),
	          [](const PlaneTriangle& a, const PlaneTriangle& b)
	          { return std::tie(a.direction, a.distance) < std::tie(b.direction, b.distance); });
	constexpr float kSamePlane = 0.05f;
	int fights = 0;
	for (size_t i = 0; i < triangles.size(); ++i)
	{
		const PlaneTriangle& a = triangles[i];
		for (size_t j = i + 1; j < triangles.size() && triangles[j].direction == a.direction &&
		                       triangles[j].distance - a.distance <= kSamePlane;
		     ++j)
		{
			const PlaneTriangle& b = triangles[j];
			if (OverlapInPlane(a, b, 0.01f) && ++fights <= 10)
			{
				ADD_FAILURE() << a.object << " and " << b.object << " overlap in the plane with normal ("
				              << a.normal.x << ", " << a.normal.y << ", " << a.normal.z << ") at distance "
				              << a.distance << ", near (" << a.corners[0].x << ", " << a.corners[0].y << ", "
				              << a.corners[0].z << ")";
			}
		}
	}
	return fights;
}

// Two faces in one plane, facing the same way, fight for the same pixels: the one drawn first wins
// where the depths tie, and the lightmap baked for a face buried in another shows as a dark patch.
// The scene's objects are checked together, each model's meshes together in the model's own space.
TEST(RoomContent, NoTwoFacesFightForTheSamePixels)
{
	const BssFile scene = ReadToLastByte<BssFile>(RoomModels() / "test.BSS");
	std::vector<PlaneTriangle> sceneTriangles;
	for (const BssObject& object : scene.objects)
	{
		AddTriangles(object.name, object.positions, object.faces, sceneTriangles);
	}
	EXPECT_EQ(CountFights(sceneTriangles), 0) << "in the scene";
	for (const auto& entry : fs::directory_iterator(RoomModels()))
	{
		if (entry.path().extension() != ".BSM")
		{
			continue;
		}
		const BsmFile model = ReadToLastByte<BsmFile>(entry.path());
		std::vector<PlaneTriangle> modelTriangles;
		for (const BsmMesh& mesh : model.meshes)
		{
			if (mesh.name != "CollMesh")
			{
				AddTriangles(entry.path().stem().string() + "/" + mesh.name, mesh.positions, mesh.faces,
				             modelTriangles);
			}
		}
		EXPECT_EQ(CountFights(modelTriangles), 0) << "in " << entry.path().filename();
	}
}

TEST(RoomContent, EveryCameraKeyStaysInsideTheRoom)
{
	const BssFile scene = ReadToLastByte<BssFile>(RoomModels() / "test.BSS");
	const BssObject& room = *std::find_if(scene.objects.begin(), scene.objects.end(),
	                                      [](const BssObject& o) { return o.name == "room"; });
	Float3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
	for (const Float3& p : room.positions)
	{
		lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
		hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
	}
	ASSERT_EQ(scene.cameras.size(), 5u);
	for (const BssCamera& camera : scene.cameras)
	{
		ASSERT_EQ(camera.keyCount, 300);
		for (int k = 0; k < camera.keyCount; ++k)
		{
			const Float3& p = camera.positions[k];
			EXPECT_TRUE(p.x > lo.x && p.x < hi.x && p.y > lo.y && p.y < hi.y && p.z > lo.z && p.z < hi.z)
			    << "key " << k;
			const Float4& q = camera.rotations[k];
			EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0f, 1e-3f);
			EXPECT_TRUE(std::fabs(camera.fovs[k] - 1.3089969f) < 1e-6f ||
			            std::fabs(camera.fovs[k] - 1.1344640f) < 1e-6f);
		}
	}
}

TEST(RoomContent, ModelsFollowTheEngineConventions)
{
	for (const char* name : {"fir", "candle", "Clock", "railroad", "stocking", "teddy", "logs", "floorlamp",
	                         "curtains", "garland", "teatray", "mantelbooks", "logbasket"})
	{
		const BsmFile model = ReadToLastByte<BsmFile>(RoomModels() / (std::string(name) + ".BSM"));
		const BsmMesh* hull = FindMesh(model, "Hull");
		ASSERT_NE(hull, nullptr) << name;
		EXPECT_EQ(hull->parentName, "Scene Root");
		ASSERT_NE(FindMesh(model, "CollMesh"), nullptr) << name;
		for (const BsmAnchor& anchor : model.anchors)
		{
			EXPECT_EQ(anchor.kind, 2);
			EXPECT_NE(FindMesh(model, anchor.parentName), nullptr) << anchor.name;
		}
	}
	const BsmFile railroad = ReadToLastByte<BsmFile>(RoomModels() / "railroad.BSM");
	ASSERT_GE(railroad.meshes.size(), 4u);
	const auto steam =
	    std::find_if(railroad.anchors.begin(), railroad.anchors.end(),
	                 [&](const BsmAnchor& a) { return a.parentName == railroad.meshes[3].name; });
	ASSERT_NE(steam, railroad.anchors.end());
	EXPECT_EQ(steam->name, "emit locosteam");
	for (const char* part : {"loco", "wagon01", "wagon02"})
	{
		ASSERT_NE(FindMesh(railroad, part), nullptr) << part;
		EXPECT_EQ(FindMesh(railroad, part)->pivot, (Float3{0.0f, 0.0f, 0.0f}));
	}
	EXPECT_EQ(FindMesh(railroad, "teddy")->parentName, "wagon01");

	const BsmFile clock = ReadToLastByte<BsmFile>(RoomModels() / "Clock.BSM");
	for (const char* hand : {"Arrow01", "Arrow02", "Arrow03"})
	{
		ASSERT_NE(FindMesh(clock, hand), nullptr) << hand;
		EXPECT_EQ(FindMesh(clock, hand)->parentName, "Hull");
	}
	const BsmFile candle = ReadToLastByte<BsmFile>(RoomModels() / "candle.BSM");
	ASSERT_EQ(candle.anchors.size(), 1u);
	EXPECT_EQ(candle.anchors[0].name, "emit candle");
	EXPECT_TRUE(std::any_of(candle.meshes.begin(), candle.meshes.end(),
	                        [](const BsmMesh& m) { return m.glowTexture == "tex_candle_i.tga"; }));

	// The fir has more than 20 emitters on one mesh, in no spatial order.
	const BsmFile fir = ReadToLastByte<BsmFile>(RoomModels() / "fir.BSM");
	EXPECT_GT(fir.anchors.size(), 20u);
	std::set<std::string> effects;
	int climbs = 0;
	for (size_t i = 0; i < fir.anchors.size(); ++i)
	{
		effects.insert(fir.anchors[i].name);
		climbs += i > 0 && fir.anchors[i].position.z > fir.anchors[i - 1].position.z ? 1 : 0;
	}
	EXPECT_GE(effects.size(), 8u);
	EXPECT_GT(climbs, static_cast<int>(fir.anchors.size()) / 4);
	EXPECT_LT(climbs, static_cast<int>(fir.anchors.size()) * 3 / 4);
	EXPECT_TRUE(std::any_of(fir.meshes.begin(), fir.meshes.end(),
	                        [](const BsmMesh& m) { return m.reflectionTexture == "tex_reflection2.tga"; }));
}

TEST(RoomContent, FireIsSkinnedToThreeBonesAndStartsAtItsBindPose)
{
	const BsaMeshFile mesh = ReadToLastByte<BsaMeshFile>(RoomModels() / "fireplace_fire.BSA");
	const BsaAnimFile animation = ReadToLastByte<BsaAnimFile>(RoomModels() / "fireplace_fire_anim.BSA");
	EXPECT_EQ(mesh.texture, "add_flame.tga");
	EXPECT_GT(mesh.scrollV, 0.0f);
	ASSERT_EQ(mesh.bones.size(), 3u);
	const auto root = std::find_if(mesh.bones.begin(), mesh.bones.end(),
	                               [](const BsaBone& b) { return b.parentName == "Scene Root"; });
	ASSERT_NE(root, mesh.bones.end());
	EXPECT_EQ(root->name, "Bone03");
	EXPECT_EQ(animation.trackCount, 3);
	EXPECT_GE(animation.frameCount, 90);
	EXPECT_LE(animation.frameCount, 110);
	for (const BsaTrack& track : animation.tracks)
	{
		ASSERT_LT(track.boneIndex, 3);
		EXPECT_EQ(track.frames[0], mesh.bones[track.boneIndex].bind);
		if (mesh.bones[track.boneIndex].parentName != "Scene Root")
		{
			EXPECT_NE(track.frames[animation.frameCount / 3], track.frames[0]) << "the flames sway";
		}
	}
	for (size_t v = 0; v < mesh.weights.size(); ++v)
	{
		EXPECT_GT(mesh.weights[v].x + mesh.weights[v].y + mesh.weights[v].z, 0.5f);
	}
}

TEST(RoomContent, EveryTextureTheRoomNamesIsBuilt)
{
	const fs::path textures = RoomModels().parent_path() / "Textures";
	std::set<std::string> names;
	const BssFile scene = ReadToLastByte<BssFile>(RoomModels() / "test.BSS");
	for (const BssObject& object : scene.objects)
	{
		for (const BssMaterial& material : object.materials)
		{
			names.insert(material.texture);
		}
		if (object.hasLightmap)
		{
			names.insert(object.lightmapTexture);
		}
	}
	for (const auto& entry : fs::directory_iterator(RoomModels()))
	{
		if (entry.path().extension() == ".BSM")
		{
			for (const BsmMesh& mesh : ReadToLastByte<BsmFile>(entry.path()).meshes)
			{
				if (mesh.name != "CollMesh")
				{
					names.insert(mesh.baseTexture);
				}
				if (mesh.hasGlow)
				{
					names.insert(mesh.glowTexture);
				}
				if (mesh.hasReflection)
				{
					names.insert(mesh.reflectionTexture);
				}
			}
		}
	}
	names.insert("add_flame.tga");
	for (const std::string& name : names)
	{
		EXPECT_TRUE(fs::exists(textures / name)) << name;
	}
}

// An emitter whose effect has no file shows nothing and says nothing, so every effect the scene
// and the models name must be among the built particle files, with sprites of its own.
TEST(RoomContent, EveryEffectTheRoomEmitsIsBuilt)
{
	const fs::path content = fs::path(BinaryDir()) / "content/primary";
	std::set<std::string> effects;
	auto note = [&](const std::string& anchor)
	{
		if (anchor.rfind("emit ", 0) == 0)
		{
			effects.insert(anchor.substr(5));
		}
	};
	for (const BssAnchor& anchor : ReadToLastByte<BssFile>(RoomModels() / "test.BSS").anchors)
	{
		note(anchor.name);
	}
	for (const auto& entry : fs::directory_iterator(RoomModels()))
	{
		if (entry.path().extension() == ".BSM")
		{
			for (const BsmAnchor& anchor : ReadToLastByte<BsmFile>(entry.path()).anchors)
			{
				note(anchor.name);
			}
		}
	}
	EXPECT_TRUE(effects.count("candleglow") && effects.count("lampglow") && effects.count("starglow"));
	for (const std::string& effect : effects)
	{
		std::vector<ParticleFormat::Layer> layers;
		ASSERT_TRUE(
		    ParticleFormat::ReadFile(ReadWholeFile(content / "Particles" / (effect + ".bin")), layers))
		    << effect;
		EXPECT_FALSE(layers.empty()) << effect;
		for (const ParticleFormat::Layer& layer : layers)
		{
			EXPECT_TRUE(fs::exists(content / "Sprites" / layer.spriteName))
			    << effect << ": " << layer.spriteName;
		}
	}
}
