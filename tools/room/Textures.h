#pragma once

#include "tools/content/Draw.h"
#include "tools/content/Image.h"
#include "tools/room/RoomMath.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// The needle spray ("tex_needles.tga"): how far its longest needles reach either side of the twig
// at v (0 at the twig's root, 1 at its tip), as a share of the picture's width. Needles start
// along the twig and sweep towards the tip, so none reaches further out than this.
float NeedleReach(float v);
constexpr float kNeedleStroke = 1.3f / 256.0f; // a needle's half thickness, in the same share

// The distant firs ("tex_farfirs.tga"): a row of silhouettes standing on the picture's bottom
// edge, each inside the triangle of its base width and height (in pixels) about its centre x.
struct FarFir
{
	float x, height, width;
};
struct FarFirRow
{
	int width = 512, height = 256;
	std::vector<FarFir> firs;
};
FarFirRow FarFirLayout();

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
