#pragma once

#include "tools/room/Models.h"
#include "tools/room/RoomScene.h"
#include "tools/room/Textures.h"

#include <vector>

// A sheet of every model of the room, each alone on a neutral background and seen from three
// sides (the front, the side, and from above at three quarters), with its name: for a reader to
// see what each piece is. The upholstered furniture and the presents of the room are on it too.
// Ray cast on the processor with a plain key light; glow layers are added on top.
Image DrawModelSheet(const std::vector<ModelDraft>& models, const RoomLayout& layout, const TextureSet& textures,
                     int threads);
