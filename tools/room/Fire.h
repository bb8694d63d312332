#pragma once

#include "scene/BsaFile.h"
#include "tools/room/RoomMath.h"

// The fireplace fire: crossed flame sheets skinned to three stacked bones (the root "Bone03" at
// the base, standing at `base` in the room, since the fire is drawn in room space), and a loop
// of 100 frames that sways and flickers. Frame 0 is the bind pose.
struct FireFiles
{
	BsaMeshFile mesh;
	BsaAnimFile animation;
};

FireFiles BuildFire(Vec3 base);
