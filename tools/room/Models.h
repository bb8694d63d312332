#pragma once

#include "scene/BsmFile.h"
#include "tools/room/Mesh.h"

#include <string>
#include <vector>

// One mesh of a model as it is built: its place in the hierarchy, its layers and geometry in
// model space.
struct ModelPart
{
	std::string name;
	std::string parent = "Hull";
	Vec3 pivot;
	std::string texture;
	std::string glow;
	std::string reflection;
	float scrollU = 0.0f;
	float scrollV = 0.0f;
	Mesh mesh;
};

struct ModelDraft
{
	explicit ModelDraft(std::string modelName) : name(std::move(modelName)) {}

	std::string name;
	std::vector<ModelPart> parts; // the first is "Hull"
	std::vector<BsmAnchor> anchors;
};

// The file form: "Hull" first, then the coarse "CollMesh" box around everything, then the
// other parts in order.
BsmFile ToBsm(const ModelDraft& model);

// Every model of the room. The railroad runs around its own origin (the track's centre); the
// clock's dial faces +y with its centre at the origin.
std::vector<ModelDraft> BuildModels();

// Where the fir's lights sit in model space, for the light baker.
std::vector<Vec3> FirLightPositions(const ModelDraft& fir);
// The middle of the star on top of the fir, in the model's space.
Vec3 FirStarCentre();
