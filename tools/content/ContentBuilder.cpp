// gh_content: writes every content file of the program into a staging tree.
//
//   gh_content <staging folder>
//
// primary/   becomes the primary archive (Models, Music, Particles, Sprites, Textures)
// secondary/ becomes the secondary archive (the overlay glyphs and word pictures)
// custom/    holds the pictures linked in as resources of their own (loading screen, bitmaps, icon)
//
// Everything is drawn by code from fixed seeds, so two runs write identical bytes.

#include "tools/content/ImageWriters.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace
{
Image SolidPicture(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
	Image image(width, height);
	image.Fill(r, g, b, a);
	return image;
}

// The fallback texture: a quiet two-tone checker that is plainly "no texture here".
Image DefaultTexture()
{
	Image image(64, 64);
	for (int y = 0; y < 64; ++y)
	{
		for (int x = 0; x < 64; ++x)
		{
			const bool light = ((x / 16) + (y / 16)) % 2 == 0;
			uint8_t* p = image.Pixel(x, y);
			p[0] = light ? 150 : 110;
			p[1] = light ? 140 : 100;
			p[2] = light ? 130 : 95;
			p[3] = 255;
		}
	}
	return image;
}

// The loading screen's background: a night sky, deep blue at the top, fading to pale snow at
// the bottom.
Image LoadingPicture()
{
	Image image(256, 256);
	for (int y = 0; y < 256; ++y)
	{
		for (int x = 0; x < 256; ++x)
		{
			uint8_t* p = image.Pixel(x, y);
			p[0] = static_cast<uint8_t>(20 + y * 180 / 255);
			p[1] = static_cast<uint8_t>(30 + y * 180 / 255);
			p[2] = static_cast<uint8_t>(70 + y * 160 / 255);
			p[3] = 255;
		}
	}
	return image;
}

void BuildPrimary(const fs::path& primary)
{
	for (const char* folder : {"Models", "Music", "Particles", "Sprites", "Textures"})
	{
		fs::create_directories(primary / folder);
	}
	WriteTga(primary / "Textures/tex_default.tga", DefaultTexture(), 24, TgaKind::Uncompressed);
}

void BuildCustom(const fs::path& custom)
{
	WriteJpeg(custom / "loading.jpg", LoadingPicture(), 90);
	// Each corner of the loading screen has a colour of its own, so a turned or shifted corner
	// shows at once.
	WriteTga(custom / "4loader_ld.tga", SolidPicture(1, 1, 200, 40, 40, 255), 32, TgaKind::Uncompressed);
	WriteTga(custom / "4loader_lu.tga", SolidPicture(1, 1, 40, 200, 40, 255), 32, TgaKind::Uncompressed);
	WriteTga(custom / "4loader_rd.tga", SolidPicture(1, 1, 40, 40, 200, 255), 32, TgaKind::Uncompressed);
	WriteTga(custom / "4loader_ru.tga", SolidPicture(1, 1, 220, 200, 40, 255), 32, TgaKind::Uncompressed);
	WriteBmp(custom / "about.bmp", SolidPicture(128, 96, 40, 60, 90, 255));
	WriteBmp(custom / "options.bmp", SolidPicture(210, 150, 40, 60, 90, 255));
	WriteBmp(custom / "preview.bmp", SolidPicture(152, 112, 40, 60, 90, 255));
	WriteTga(custom / "icon.tga", SolidPicture(64, 64, 180, 40, 40, 255), 32, TgaKind::Uncompressed);
}
} // namespace

int main(int argc, char** argv)
{
	if (argc != 2)
	{
		std::fprintf(stderr, "usage: gh_content <staging folder>\n");
		return 2;
	}
	try
	{
		const fs::path staging = argv[1];
		fs::remove_all(staging / "primary");
		fs::remove_all(staging / "secondary");
		fs::remove_all(staging / "custom");
		BuildPrimary(staging / "primary");
		fs::create_directories(staging / "secondary/Textures");
		BuildCustom(staging / "custom");
	}
	catch (const std::exception& error)
	{
		std::fprintf(stderr, "gh_content: %s\n", error.what());
		return 1;
	}
	return 0;
}
