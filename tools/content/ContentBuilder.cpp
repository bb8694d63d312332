// gh_content: writes every content file of the program into a staging tree.
//
//   gh_content <staging folder> [--contact-sheet <file.png>]
//
// primary/   becomes the primary archive (Models, Music, Particles, Sprites, Textures)
// secondary/ becomes the secondary archive (the overlay glyphs and word pictures)
// custom/    holds the pictures linked in as resources of their own (loading screen, bitmaps, icon)
//
// Everything is drawn by code from fixed seeds, so two runs write identical bytes. The music has
// a build step of its own that drops its file into primary/Music; that folder is left alone.

#include "tools/content/ContentParts.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace
{
// Clears what an earlier run wrote, keeping primary/Music for the music's own step.
void ClearStaging(const fs::path& staging)
{
	fs::remove_all(staging / "secondary");
	fs::remove_all(staging / "custom");
	const fs::path primary = staging / "primary";
	if (fs::is_directory(primary))
	{
		for (const auto& entry : fs::directory_iterator(primary))
		{
			if (entry.path().filename() != "Music")
			{
				fs::remove_all(entry.path());
			}
		}
	}
	for (const char* folder : {"Models", "Music", "Particles", "Sprites", "Textures"})
	{
		fs::create_directories(primary / folder);
	}
	fs::create_directories(staging / "secondary/Textures");
	fs::create_directories(staging / "custom");
}
} // namespace

int main(int argc, char** argv)
{
	const bool withSheet = argc == 4 && std::strcmp(argv[2], "--contact-sheet") == 0;
	if (argc != 2 && !withSheet)
	{
		std::fprintf(stderr, "usage: gh_content <staging folder> [--contact-sheet <file.png>]\n");
		return 2;
	}
	try
	{
		const fs::path staging = argv[1];
		ClearStaging(staging);
		ContentOutput out(staging);
		BuildOverlayArt(out);
		BuildSprites(out);
		BuildParticles(out);
		BuildPictures(out);
		if (withSheet)
		{
			WriteContactSheet(out.Pictures(), argv[3]);
		}
	}
	catch (const std::exception& error)
	{
		std::fprintf(stderr, "gh_content: %s\n", error.what());
		return 1;
	}
	return 0;
}
