#pragma once

#include "scene/BssFile.h"
#include "tools/room/Lightmap.h"
#include "tools/room/Models.h"
#include "tools/room/Textures.h"

#include <filesystem>
#include <vector>

// Pictures of the room from camera keys, ray cast on the processor: room surfaces show base
// texture × lightmap, as the engine's lightmap pass draws them; models get a plain warm light
// and their glow layers; particles, glass and additive glows are left out. For looking at the
// content without the engine: three frames per flight and a contact sheet of all of them.
void RenderPreviews(const RoomLayout& layout, const std::vector<ModelDraft>& models, const Lightmap& lightmap,
                    const TextureSet& textures, const std::vector<BssCamera>& cameras,
                    const std::filesystem::path& folder);
