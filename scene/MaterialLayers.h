#pragma once

struct ModelMesh;
struct SceneSubmesh;

// A model mesh with its layers (base, reflection, glow) and its texture scroll, from the bound
// shared arrays.
void DrawMesh(const ModelMesh& mesh);
// One scene submesh with all its layers (base or reflection, additive, glow, lightmap).
void DrawSubmesh(const SceneSubmesh& submesh, bool texturesOff);
