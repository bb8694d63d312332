#pragma once

#include "core/Platform.h"

#include <cstdint>

class Scene;
struct SceneSubmesh;
struct SceneObject;
struct ModelAnchor;

// Once after the scene has loaded, when vertex-buffer objects are available.
void UploadSharedVertices(Scene& scene);
// The vertex, normal and texture-coordinate arrays from the buffer object, or from the shared
// array in memory without one.
void BindSharedVertices(const Scene& scene);
void UnbindSharedVertices();

// One scene submesh with all its layers.
void DrawSubmesh(const SceneSubmesh& submesh, bool texturesOff);

// The links to the room's moving parts (scene/SceneAnimationLink.cpp):
// a placed model drawn at its object's place, with the train and the clock hands animated;
void DrawPlacedModel(SceneObject& object, float frameTime, const LocalTime& time);
// one step along an object's keyframe loop;
void StepObjectPath(SceneObject& object, float frameTime);
// one emitter anchor handed to the particle system, which spawns the effect its tag names.
void EmitAnchor(const ModelAnchor& anchor);

// The solid box drawn inside occlusion queries: edge lengths x, y, z, centred on the origin.
void DrawSolidBox(float x, float y, float z);
