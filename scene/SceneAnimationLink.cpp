// Where the scene hands its placed models, paths, emitters and the fire to the moving parts of
// the room: the scripted animation, the particle system and the animated model.
#include "effects/ParticleSystem.h"
#include "effects/SceneAnimation.h"
#include "scene/DrawPasses.h"
#include "scene/Scene.h"

namespace
{
// The steam leaves from the first anchor of the model's fourth mesh.
constexpr size_t kSteamMesh = 3;

// A placed model seen through what the scripted motions need of it.
class StaticModelPose : public PoseableModel
{
public:
	explicit StaticModelPose(StaticModel& model) : model(model) {}

	void SetAngleZ(const std::string& mesh, float degrees) override { model.SetAngleZ(mesh, degrees); }
	void SetAngleY(const std::string& mesh, float degrees) override { model.SetAngleY(mesh, degrees); }

	bool SteamAnchorPosition(Vec3& localPosition) override
	{
		ModelAnchor* anchor = SteamAnchor();
		if (anchor == nullptr)
		{
			return false;
		}
		localPosition = anchor->localPosition;
		return true;
	}

	void PlaceSteamAnchor(const Vec3& worldPosition) override
	{
		if (ModelAnchor* anchor = SteamAnchor())
		{
			anchor->worldPosition = worldPosition;
		}
	}

private:
	ModelAnchor* SteamAnchor()
	{
		if (model.meshes.size() <= kSteamMesh || model.meshes[kSteamMesh].anchors.empty())
		{
			return nullptr;
		}
		return &model.meshes[kSteamMesh].anchors[0];
	}

	StaticModel& model;
};
} // namespace

void DrawPlacedModel(SceneObject& object, float frameTime, const LocalTime& time)
{
	StaticModel& model = *object.model;
	model.position = object.boundCenter;
	StaticModelPose pose(model);
	g_sceneAnimation.AnimateModel(object.name, model.position, time, frameTime, pose);
	model.Update(frameTime);
	model.Draw();
}

void StepObjectPath(SceneObject& object, float frameTime)
{
	KeyframePath path{object.pathPositions, object.pathRotations, object.pathIndex, object.pathBlend,
	                  object.pathDelay};
	Placement placement{object.boundCenter, object.rotation};
	SceneAnimation::StepPath(path, placement, frameTime);
	object.pathIndex = path.index;
	object.pathBlend = path.blend;
	object.pathDelay = path.delay;
	object.boundCenter = placement.position;
	object.rotation = placement.rotation;
}

void EmitAnchor(const ModelAnchor& anchor)
{
	g_particles.Emit({anchor.tag, anchor.worldPosition, anchor.rotation});
}
