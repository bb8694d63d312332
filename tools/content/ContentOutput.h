#pragma once

#include "tools/content/Draw.h"
#include "tools/content/ImageWriters.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// How a picture is shown on the contact sheet.
enum class SheetLook
{
	Picture,  // drawn over the background with its alpha
	Additive, // a sprite for additive blending: added to the dark background
	Swatch    // a one-pixel colour, shown as a patch
};

struct SheetEntry
{
	std::string name;
	Image image;
	SheetLook look = SheetLook::Picture;
};

// Where the content goes: files under the staging tree (primary/, secondary/, custom/), and a
// record of every interface picture for the contact sheet.
class ContentOutput
{
public:
	explicit ContentOutput(std::filesystem::path staging);

	// `path` is relative to the staging tree, such as "secondary/Textures/tex_mc.tga".
	void Tga(const std::string& path, const Canvas& picture, int bitsPerPixel, TgaKind kind,
	         SheetLook look = SheetLook::Picture);
	void Jpeg(const std::string& path, const Canvas& picture, int quality);
	void Bmp(const std::string& path, const Canvas& picture);
	void Bytes(const std::string& path, const std::vector<uint8_t>& bytes);

	const std::vector<SheetEntry>& Pictures() const { return pictures; }

private:
	void Record(const std::string& path, const Image& image, SheetLook look);

	std::filesystem::path staging;
	std::vector<SheetEntry> pictures;
};
