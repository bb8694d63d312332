#pragma once

#include "tools/content/Draw.h"
#include "tools/content/Image.h"
#include "tools/room/RoomMath.h"

#include <filesystem>
#include <map>
#include <string>

// Every texture of the room, painted by code from fixed seeds. Tiling textures repeat without a
// seam (their noise wraps with the picture). Kept in memory too, for the preview renderer.
class TextureSet
{
public:
	void PaintAll();
	// Writes every picture as "Textures/<name>" under `folder`.
	void Save(const std::filesystem::path& folder) const;
	void Add(const std::string& name, Image image, bool withAlpha);
	const Image* Find(const std::string& name) const;
	// Texture colour at (u, v), repeating, v upwards; white for an unknown name.
	Color Sample(const std::string& name, float u, float v) const;
	// The picture's mean colour, 0 to 1 per channel; mid grey for an unknown name.
	Vec3 MeanColour(const std::string& name) const;

private:
	struct Entry
	{
		Image image;
		bool withAlpha = false;
	};
	std::map<std::string, Entry> entries;
};
