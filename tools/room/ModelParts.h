#pragma once

#include "tools/room/Models.h"

#include <string>

// The pieces the model builders share. Models.cpp holds the tree, the clock, the railroad and
// the room's fittings; Decorations.cpp the small things that make the room lived in.

inline const Frame kUp{};

// A mesh of a model; "Hull" is the top of the hierarchy, every other part hangs below a parent.
ModelPart Part(const std::string& name, const std::string& texture, const std::string& parent = "Hull");
// A particle emitter ("emit <effect>") on the part `parent`.
BsmAnchor Emitter(Vec3 position, const std::string& effect, const std::string& parent);

// A seated bear; `place` puts its seat at the origin with x forwards.
ModelDraft Teddy(const std::string& name, float scale, const Frame& place);
// Hangs from its hook at the origin, foot towards +y, facing +x.
ModelDraft Stocking(const std::string& name, const std::string& texture);
// Three logs crossed on the hearth, glowing where the fire touches them.
ModelDraft Logs();
// A tray with two cups of tea, standing on its bottom at the origin.
ModelDraft TeaTray();
// A row of books and a small stack on the mantel shelf, spines towards +x.
ModelDraft MantelBooks();
// A wicker basket of logs beside the hearth.
ModelDraft LogBasket();
// The tree's star: faceted points with a ridge down each, facing `facing` and its opposite.
ModelPart Star(Vec3 centre, Vec3 facing, float radius);
