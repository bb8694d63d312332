#pragma once

#include "tools/room/RoomScene.h"

#include <string>

// The room's upholstered furniture and the presents under the tree: lightmapped objects of the
// room. Each adds the box around it to the layout's furniture, where no camera may stand.

// An armchair with its seat at `at`, turned `facing` radians about z from facing +x.
SceneDraft Armchair(const std::string& name, Vec3 at, float facing, RoomLayout& layout);
// A buttoned footstool on turned legs.
SceneDraft Footstool(Vec3 at, float facing, RoomLayout& layout);
// The presents round the foot of the tree standing at `tree`, and a few more by the hearth rug.
SceneDraft Presents(Vec3 tree, RoomLayout& layout);
