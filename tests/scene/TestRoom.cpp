#include "tests/scene/TestRoom.h"

#include "media/RarWriter.h"

#include <cmath>
#include <string>

namespace
{
constexpr float kEyeZ = 50.0f;
// The first camera's view: a vertical field of view of 37.5 degrees at an aspect of 1.33.
constexpr float kFovRadians = 1.3089969f;

float HalfHeightAt(float z)
{
	return (kEyeZ - z) * std::tan(kFovRadians * 28.648735f * 3.14159265f / 360.0f);
}

// A quad facing the camera (+z), covering the screen rectangle [x0, x1] x [y0, y1] at depth z.
std::vector<Float3> ScreenQuad(float x0, float y0, float x1, float y1, float z)
{
	const float h = HalfHeightAt(z);
	const float w = h * 1.33f;
	return {{x0 * w, y0 * h, z}, {x1 * w, y0 * h, z}, {x1 * w, y1 * h, z}, {x0 * w, y1 * h, z}};
}

// Two counter-clockwise triangles over four corners, with a uv at each corner.
BssObject QuadObject(const std::string& name, const std::vector<Float3>& corners, const std::string& texture)
{
	BssObject object;
	object.name = name;
	object.parentName = "room";
	object.positions = corners;
	object.faces = {{0, 1, 2}, {0, 2, 3}};
	object.uvs = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
	object.uvFaces = object.faces;
	object.lightmapFaces = object.faces;
	object.normals.assign(6, {0, 0, 1});
	BssMaterial material;
	material.texture = texture;
	material.cornerCount = 6;
	object.materials = {material};
	return object;
}

BssCamera StillCamera(const Float3& at)
{
	BssCamera camera;
	for (int k = 0; k < 300; ++k)
	{
		camera.positions.push_back(at);
		camera.rotations.push_back({0, 0, 0, 1});
		camera.fovs.push_back(kFovRadians);
	}
	return camera;
}

std::vector<uint8_t> Tga(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
	const size_t pixels = static_cast<size_t>(width * height);
	std::vector<uint8_t> bytes(18 + pixels * 4, 0);
	bytes[2] = 2;
	bytes[12] = static_cast<uint8_t>(width);
	bytes[14] = static_cast<uint8_t>(height);
	bytes[16] = 32;
	bytes[17] = 8;
	// Stored blue, green, red, alpha.
	for (size_t i = 0; i < pixels; ++i)
	{
		bytes[18 + 4 * i] = b;
		bytes[18 + 4 * i + 1] = g;
		bytes[18 + 4 * i + 2] = r;
		bytes[18 + 4 * i + 3] = a;
	}
	return bytes;
}
} // namespace

BssFile TestRoom::Scene()
{
	BssFile scene;
	// The room: a box around the camera whose drawn part is the back wall, white, under a
	// lightmap of half grey.
	BssObject room = QuadObject("room", ScreenQuad(-1.5f, -1.5f, 1.5f, 1.5f, -100.0f), "tex_white.tga");
	room.parentName = "Scene Root";
	room.positions.push_back({-200, -200, 100});
	room.positions.push_back({200, 200, 100});
	room.hasLightmap = 1;
	room.lightmapTexture = "C:\\art\\lm_grey.tga";
	room.lightmapUvs = room.uvs;
	scene.objects.push_back(room);
	scene.objects.push_back(
	    QuadObject("glass", ScreenQuad(-0.9f, 0.3f, -0.3f, 0.9f, -50.0f), "tex_blue_half.tga"));
	scene.objects.push_back(QuadObject("glow", ScreenQuad(-0.9f, -0.9f, -0.3f, -0.3f, -60.0f), "adglow.tga"));

	scene.cameras = {StillCamera({0, 0, kEyeZ}), StillCamera({0, 0, 500})};

	BssAnchor instance;
	instance.name = "instance box";
	instance.parentName = "room";
	instance.kind = 3;
	const std::vector<Float3> spot = ScreenQuad(kModelX, kModelY, kModelX, kModelY, -80.0f);
	instance.positions = {spot[0]};
	instance.rotations = {{0, 0, 0, 1}};
	scene.anchors.push_back(instance);

	BssLight lamp;
	lamp.position = {0, 0, kEyeZ};
	lamp.color = {1, 1, 1};
	lamp.reach = 1;
	lamp.intensity = 1;
	lamp.targets = {"instance box"};
	scene.lights.push_back(lamp);
	return scene;
}

BsmFile TestRoom::BoxModel()
{
	BsmMesh hull;
	hull.baseTexture = "tex_green.tga";
	hull.name = "Hull";
	hull.parentName = "Scene Root";
	hull.positions = {{-8, -8, 0}, {8, -8, 0}, {8, 8, 0}, {-8, 8, 0}};
	hull.faces = {{0, 1, 2}, {0, 2, 3}};
	hull.uvs = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
	hull.uvFaces = hull.faces;
	hull.normals.assign(6, {0, 0, 1});
	BsmFile model;
	model.meshes = {hull};
	return model;
}

std::vector<uint8_t> TestRoom::Archive(const BssFile& scene, const BsmFile& box)
{
	RarWriter archive;
	archive.WriteMarkerAndArchiveHeader();
	archive.WriteFile("Models\\test.BSS", WriteContentBytes(scene).value());
	archive.WriteFile("Models\\box.BSM", WriteContentBytes(box).value());
	archive.WriteFile("Textures\\tex_white.tga", Tga(2, 2, 255, 255, 255, 255));
	archive.WriteFile("Textures\\lm_grey.tga", Tga(2, 2, 128, 128, 128, 255));
	archive.WriteFile("Textures\\tex_blue_half.tga", Tga(2, 2, 0, 0, 255, 128));
	archive.WriteFile("Textures\\adglow.tga", Tga(2, 2, 255, 0, 0, 255));
	archive.WriteFile("Textures\\tex_green.tga", Tga(2, 2, 0, 255, 0, 255));
	archive.WriteEndBlock();
	return archive.Bytes();
}
