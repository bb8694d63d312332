#include "tests/scene/ContentSamples.h"

namespace
{
Float3 Triple(float base)
{
	return {base, base + 0.5f, base - 2.0f};
}
} // namespace

BsmFile SampleModel()
{
	BsmMesh hull;
	hull.baseTexture = "tex_candle.tga";
	hull.scrollU = 0.25f;
	hull.scrollV = -1.5f;
	hull.hasReflection = 1;
	hull.reflectionTexture = "tex_reflection2.tga";
	hull.hasGlow = 1;
	hull.glowTexture = "tex_candle_i.tga";
	hull.name = "Hull";
	hull.parentName = "Scene Root";
	hull.pivot = {1.0f, 2.0f, 3.0f};
	hull.positions = {Triple(0.0f), Triple(1.0f), Triple(2.0f)};
	hull.faces = {{0.0f, 1.0f, 2.0f}};
	hull.uvs = {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}};
	hull.uvFaces = {{0.0f, 1.0f, 1.0f}};
	hull.normals = {{0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}};

	BsmMesh flame;
	flame.baseTexture = "tex_flame.tga";
	flame.name = "flame";
	flame.parentName = "Hull";
	flame.positions = {Triple(-4.0f)};

	BsmAnchor emitter;
	emitter.position = {0.5f, 0.5f, 9.0f};
	emitter.name = "emit candle";
	emitter.parentName = "flame";
	emitter.rotation = {0.0f, 0.0f, 0.0f, 1.0f};
	emitter.kind = 2;

	BsmFile model;
	model.meshes = {hull, flame};
	model.anchors = {emitter};
	return model;
}

BssFile SampleScene()
{
	BssMaterial bricks;
	bricks.texture = "tex_bricks.tga";
	bricks.twoSided = 1;
	bricks.cornerCount = 3;
	BssMaterial window;
	window.texture = "None";
	window.hasReflection = 1;
	window.reflectionTexture = "tex_reflection2.tga";
	window.hasGlow = 1;
	window.glowTexture = "tex_window_i.tga";
	window.firstCorner = 3;
	window.cornerCount = 3;
	window.materialIndex = 1;

	BssObject room;
	room.name = "room";
	room.parentName = "Scene Root";
	room.materials = {bricks, window};
	room.hasLightmap = 1;
	room.lightmapTexture = "roomLightingMap.tga";
	room.positions = {Triple(0.0f), Triple(10.0f), Triple(20.0f), Triple(30.0f)};
	room.faces = {{0.0f, 1.0f, 2.0f}, {2.0f, 1.0f, 3.0f}};
	room.uvs = {{0.0f, 1.0f, 0.0f}};
	room.lightmapUvs = {{0.5f, 0.5f, 0.0f}, {0.25f, 0.75f, 0.0f}};
	room.uvFaces = {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}};
	room.lightmapFaces = {{0.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}};
	room.normals.assign(6, {0.0f, 0.0f, 1.0f});

	BssObject glass;
	glass.name = "glass";
	glass.parentName = "room";
	glass.materials = {bricks};

	BssPortal portal;
	portal.name = "room";
	portal.targetName = "hall";
	portal.positions = {Triple(1.0f), Triple(2.0f), Triple(3.0f)};
	portal.faces = {{0.0f, 1.0f, 2.0f}};
	portal.normal = {0.0f, 1.0f, 0.0f};

	BssCamera camera;
	camera.positions = {Triple(5.0f), Triple(6.0f), Triple(7.0f)};
	camera.rotations.assign(3, {0.0f, 0.0f, 0.0f, 1.0f});
	camera.fovs = {1.3089969f, 1.3089969f, 1.1344640f};

	BssAnchor snow;
	snow.name = "emit snowfall";
	snow.parentName = "room";
	snow.kind = 2;
	snow.positions = {Triple(100.0f)};
	snow.rotations = {{0.0f, 0.0f, 0.0f, 1.0f}};
	BssAnchor candle;
	candle.name = "instance candle";
	candle.parentName = "room";
	candle.kind = 3;
	candle.pathDelay = 4;
	candle.positions = {Triple(3.0f), Triple(4.0f)};
	candle.rotations = {{0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.7071f, 0.7071f}};

	BssLight light;
	light.position = {10.0f, 20.0f, 30.0f};
	light.color = {1.0f, 0.8f, 0.6f};
	light.reach = 40.0f;
	light.unused = 1.0f;
	light.intensity = 1.0f;
	light.range = 552.8f;
	light.targets = {"instance fir", "instance candle"};

	BssFile scene;
	scene.objects = {room, glass};
	scene.portals = {portal};
	scene.cameras = {camera, BssCamera{}};
	scene.anchors = {snow, candle};
	scene.lights = {light};
	return scene;
}

BsaMeshFile SampleAnimatedMesh()
{
	BsaMeshFile mesh;
	mesh.texture = "add_flame.tga";
	mesh.scrollV = 0.5f;
	mesh.reservedFaceCount = 1;
	mesh.positions = {Triple(0.0f), Triple(1.0f), Triple(2.0f)};
	mesh.weights = {{1.0f, 0.0f, 0.0f}, {2.0f, 1.0f, 1.0f}, {0.0f, 0.5f, 0.5f}};
	mesh.boneIndices = {{0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 1.0f}};
	mesh.faces = {{0.0f, 1.0f, 2.0f}};
	mesh.uvs = {{0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 0.0f}};
	mesh.uvFaces = {{0.0f, 1.0f, 0.0f}};
	mesh.normals.assign(3, {0.0f, 0.0f, 1.0f});
	BsaBone root{{{1, 0, 0, 0, 1, 0, 0, 0, 1, 0.0f, 0.0f, 5.0f}}, "Bone03", "Scene Root"};
	BsaBone child{{{0, 1, 0, -1, 0, 0, 0, 0, 1, 1.0f, 2.0f, 3.0f}}, "Bone01", "Bone03"};
	mesh.bones = {root, child};
	return mesh;
}

BsaAnimFile SampleAnimation()
{
	BsaAnimFile animation;
	animation.unused = 3;
	animation.frameCount = 2;
	for (int32_t bone = 0; bone < 2; ++bone)
	{
		BsaTrack track;
		track.boneIndex = bone;
		track.frames = {SampleAnimatedMesh().bones[bone].bind, BoneTransform{}};
		track.frames[1].values[11] = static_cast<float>(bone) + 0.25f;
		animation.tracks.push_back(track);
	}
	return animation;
}
