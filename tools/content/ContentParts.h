#pragma once

#include "tools/content/ContentOutput.h"

// The builders of each kind of content; ContentBuilder.cpp runs them in this order.

// Clock symbols, countdown words and greetings: secondary/Textures/.
void BuildOverlayArt(ContentOutput& out);
// Particle sprites: primary/Sprites/.
void BuildSprites(ContentOutput& out);
// Emitter files: primary/Particles/.
void BuildParticles(ContentOutput& out);
// The fallback texture, the loading screen and the desktop pictures: primary/Textures/, custom/.
void BuildPictures(ContentOutput& out);

// One PNG with every recorded picture on a dark and on a light background.
void WriteContactSheet(const std::vector<SheetEntry>& pictures, const std::filesystem::path& path);
