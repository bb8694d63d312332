#pragma once

#include "core/Platform.h"

#include <cstdint>

// The scene's passes are drawn by the scene (Scene::DrawList in scene/DrawPasses.cpp, with the
// lights), from the shared arrays (scene/SharedVertexArray.h), with each submesh's and mesh's
// material layers (scene/MaterialLayers.h), the placed models' mesh trees
// (scene/ModelTransforms.cpp) and what the view shows (scene/Visibility.cpp).

struct SceneObject;
struct ModelAnchor;

// The links to the room's moving parts (scene/SceneAnimationLink.cpp):
// a placed model drawn at its object's place, with the train and the clock hands animated;
void DrawPlacedModel(SceneObject& object, float frameTime, const LocalTime& time);
// one step along an object's keyframe loop;
void StepObjectPath(SceneObject& object, float frameTime);
// one emitter anchor handed to the particle system, which spawns the effect its tag names.
void EmitAnchor(const ModelAnchor& anchor);

// The solid box drawn inside occlusion queries: edge lengths x, y, z, centred on the origin.
void DrawSolidBox(float x, float y, float z);
