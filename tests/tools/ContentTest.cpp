// The built content: every named file in its archive or resource with the format, size and role
// the engine expects, and a content build that gives the same bytes every time.

#include "effects/ParticleFormat.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/tools/ContentFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <tuple>

namespace fs = std::filesystem;

namespace
{
fs::path ContentDir()
{
	return fs::path(BinaryDir()) / "content";
}

const ArchiveContents& Archive(int id)
{
	static std::map<int, ArchiveContents> archives;
	auto found = archives.find(id);
	if (found == archives.end())
	{
		const fs::path path = ContentDir() / ("media" + std::to_string(id) + ".rar");
		const fs::path staging = ContentDir() / (id == 148 ? "primary" : "secondary");
		found = archives.emplace(id, ReadArchive(path, staging)).first;
	}
	return found->second;
}

struct Expected
{
	std::string name;
	int width;
	int height;
};

// How many pixels of a 32-bit picture are fully transparent, partly so and fully opaque.
struct AlphaUse
{
	size_t clear = 0;
	size_t partial = 0;
	size_t opaque = 0;
};

AlphaUse CountAlpha(const CheckedPicture& picture)
{
	AlphaUse use;
	for (size_t i = 3; i < picture.pixels.size(); i += 4)
	{
		const uint8_t a = picture.pixels[i];
		(a == 0 ? use.clear : (a == 255 ? use.opaque : use.partial))++;
	}
	return use;
}

void ExpectTga(const std::vector<uint8_t>& bytes, const Expected& expected, int bits)
{
	SCOPED_TRACE(expected.name);
	const CheckedPicture picture = CheckTga(bytes);
	ASSERT_TRUE(picture.valid) << picture.problem;
	EXPECT_EQ(picture.width, expected.width);
	EXPECT_EQ(picture.height, expected.height);
	EXPECT_EQ(picture.bitsPerPixel, bits);
}

std::vector<Expected> OverlayPictures()
{
	std::vector<Expected> pictures;
	for (const char* symbol :
	     {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "a", "m", "p", "colon", "point", "space"})
	{
		pictures.push_back({std::string("Textures/tex_sym_") + symbol + ".tga", 64, 64});
	}
	pictures.push_back({"Textures/tex_countdown.tga", 256, 32});
	pictures.push_back({"Textures/tex_countdown2.tga", 256, 32});
	pictures.push_back({"Textures/tex_remaining.tga", 128, 32});
	for (const char* unit : {"days", "hours", "mins", "secs", "day", "hour", "min", "sec"})
	{
		pictures.push_back({std::string("Textures/tex_") + unit + ".tga", 64, 32});
	}
	pictures.push_back({"Textures/tex_mc.tga", 256, 128});
	pictures.push_back({"Textures/tex_hny.tga", 256, 128});
	return pictures;
}

TEST(BuiltContent, SecondaryArchiveHoldsExactlyTheOverlayPictures)
{
	const ArchiveContents& secondary = Archive(150);
	ASSERT_TRUE(secondary.valid);
	EXPECT_EQ(secondary.folders, std::vector<std::string>{"Textures"});
	const std::vector<Expected> pictures = OverlayPictures();
	EXPECT_EQ(secondary.files.size(), 29u);
	for (const Expected& expected : pictures)
	{
		const auto found = secondary.files.find(expected.name);
		ASSERT_NE(found, secondary.files.end()) << expected.name;
		ExpectTga(found->second, expected, 32);
		// Lettering over the room: soft edges, clear background; the blank is all clear.
		const AlphaUse alpha = CountAlpha(CheckTga(found->second));
		EXPECT_GT(alpha.clear, 0u) << expected.name;
		if (expected.name != "Textures/tex_sym_space.tga")
		{
			EXPECT_GT(alpha.partial, 0u) << expected.name;
		}
	}
}

TEST(BuiltContent, DigitsAreCentredOnOneBaseline)
{
	// Symbols are drawn 34 of their 64 pixels apart: a digit's ink stays near the middle of its
	// picture, and all digits stand on one line.
	std::set<int> feet;
	for (const char* digit : {"0", "1", "4", "7", "8"})
	{
		SCOPED_TRACE(digit);
		const CheckedPicture picture =
		    CheckTga(Archive(150).files.at(std::string("Textures/tex_sym_") + digit + ".tga"));
		ASSERT_TRUE(picture.valid);
		int left = 64, right = -1, top = 64, bottom = -1;
		for (int row = 0; row < 64; ++row)
		{
			const int y = 63 - row; // stored bottom row first
			for (int x = 0; x < 64; ++x)
			{
				if (picture.pixels[(static_cast<size_t>(row) * 64 + x) * 4 + 3] > 128)
				{
					left = std::min(left, x);
					right = std::max(right, x);
					top = std::min(top, y);
					bottom = std::max(bottom, y);
				}
			}
		}
		EXPECT_LE(right - left + 1, 40);
		EXPECT_NEAR((left + right) / 2.0, 31.5, 4.0);
		EXPECT_NEAR((top + bottom) / 2.0, 31.5, 4.0);
		feet.insert(bottom);
	}
	EXPECT_LE(*feet.rbegin() - *feet.begin(), 2);
}

TEST(BuiltContent, PrimaryArchiveHoldsSpritesAndTheDefaultTexture)
{
	const ArchiveContents& primary = Archive(148);
	ASSERT_TRUE(primary.valid);
	const std::set<std::string> folders(primary.folders.begin(), primary.folders.end());
	for (const char* folder : {"Models", "Music", "Particles", "Sprites", "Textures"})
	{
		EXPECT_TRUE(folders.count(folder)) << folder;
	}
	ExpectTga(primary.files.at("Textures/tex_default.tga"), {"Textures/tex_default.tga", 64, 64}, 24);
	ExpectTga(primary.files.at("Sprites/tex_snowflake.tga"), {"Sprites/tex_snowflake.tga", 256, 64}, 32);
	for (const auto& [name, bytes] : primary.files)
	{
		if (name.rfind("Sprites/", 0) != 0)
		{
			continue;
		}
		SCOPED_TRACE(name);
		const CheckedPicture sprite = CheckTga(bytes);
		ASSERT_TRUE(sprite.valid) << sprite.problem;
		EXPECT_EQ(sprite.bitsPerPixel, 32);
		// Additive sprites must fade to nothing at their border, or they show as squares.
		for (int x = 0; x < sprite.width; ++x)
		{
			EXPECT_EQ(sprite.pixels[static_cast<size_t>(x) * 4 + 3], 0) << "bottom row";
		}
	}
}

void ExpectLayer(const std::string& effect, const std::string& sprite, int32_t kind, int32_t count)
{
	SCOPED_TRACE(effect);
	const auto& files = Archive(148).files;
	const auto found = files.find("Particles/" + effect + ".bin");
	ASSERT_NE(found, files.end());
	std::vector<ParticleFormat::Layer> layers;
	ASSERT_TRUE(ParticleFormat::ReadFile(found->second, layers));
	ASSERT_EQ(layers.size(), 1u);
	EXPECT_EQ(found->second.size(), 4 + 4 + sprite.size() + ParticleFormat::kBlockSize);
	EXPECT_EQ(layers[0].spriteName, sprite);
	EXPECT_TRUE(files.count("Sprites/" + sprite)) << "sprite of " << effect;
	const ParticleFormat::LayerParams& p = layers[0].params;
	EXPECT_EQ(p.kind, kind);
	EXPECT_EQ(p.particleCount, count);
	EXPECT_EQ(p.srcBlend, 770);
	EXPECT_EQ(p.dstBlend, 1);
	EXPECT_EQ(p.pullToCamera, 0.0f);
	EXPECT_GT(p.fadeRate, 0.0f);
	EXPECT_LT(p.startAlpha, p.peakAlpha);
}

TEST(BuiltContent, EveryEffectHasItsEmitterFile)
{
	ExpectLayer("Fire", "tex_flame.tga", 1, 4);
	ExpectLayer("candle", "tex_candleflame.tga", 0, 1);
	ExpectLayer("locosteam", "tex_steam.tga", 0, 2);
	ExpectLayer("snowfall", "tex_snowflake.tga", 0, 3);
	EXPECT_EQ(Archive(148).files.at("Particles/snowfall.bin").size(), 158u);
	const std::pair<const char*, const char*> lights[] = {
	    {"blu", "blue"}, {"gre", "green"}, {"red", "red"}, {"vio", "violet"}, {"yel", "yellow"}};
	for (const auto& [prefix, colour] : lights)
	{
		ExpectLayer(std::string(prefix) + "_firlight", std::string("fir_") + colour + "light.tga", 0, 4);
		std::vector<ParticleFormat::Layer> layers;
		ParticleFormat::ReadFile(Archive(148).files.at(std::string("Particles/") + prefix + "_firlight.bin"),
		                         layers);
		ASSERT_EQ(layers.size(), 1u);
		EXPECT_EQ(layers[0].params.startAlpha, 19.0f);
		EXPECT_EQ(layers[0].params.peakAlpha, 100.0f);
		EXPECT_EQ(layers[0].params.fadeRate, 5.3824f);
	}
	for (const auto& [effect, colour] :
	     {std::pair{"grefirglow", "green"}, {"redfirglow", "red"}, {"yelfirglow", "yellow"}})
	{
		ExpectLayer(effect, std::string("fir_") + colour + "glow.tga", 1, 1);
	}
	std::vector<ParticleFormat::Layer> snow;
	ParticleFormat::ReadFile(Archive(148).files.at("Particles/snowfall.bin"), snow);
	EXPECT_EQ(snow[0].params.frameCount, 4);
	EXPECT_EQ(snow[0].params.spin, 1);
}

TEST(BuiltContent, ResourcePicturesHaveTheirFormats)
{
	const fs::path custom = ContentDir() / "custom";
	const CheckedPicture loading = CheckJpeg(ReadWholeFile(custom / "loading.jpg"));
	ASSERT_TRUE(loading.valid) << loading.problem;
	EXPECT_EQ(loading.bitsPerPixel, 24);
	EXPECT_GE(loading.width, 1024);
	for (const char* corner : {"4loader_ld.tga", "4loader_lu.tga", "4loader_rd.tga", "4loader_ru.tga"})
	{
		ExpectTga(ReadWholeFile(custom / corner), {corner, 1, 1}, 32);
	}
	ExpectTga(ReadWholeFile(custom / "icon.tga"), {"icon.tga", 256, 256}, 32);
	for (const auto& [file, width, height] :
	     {std::tuple{"options.bmp", 210, 150}, {"about.bmp", 128, 128}, {"preview.bmp", 160, 120}})
	{
		const CheckedPicture bitmap = CheckBmp(ReadWholeFile(custom / file));
		ASSERT_TRUE(bitmap.valid) << file << ": " << bitmap.problem;
		EXPECT_EQ(bitmap.width, width) << file;
		EXPECT_EQ(bitmap.height, height) << file;
	}
}

TEST(BuiltContent, LoadingPictureCornersMatchTheirPatches)
{
	// Each corner of the picture is covered by its flat 1 × 1 picture; they must agree.
	const fs::path custom = ContentDir() / "custom";
	const CheckedPicture loading = CheckJpeg(ReadWholeFile(custom / "loading.jpg"));
	ASSERT_TRUE(loading.valid);
	const std::tuple<const char*, int, int> corners[] = {
	    {"4loader_lu.tga", 4, 4},
	    {"4loader_ru.tga", loading.width - 5, 4},
	    {"4loader_ld.tga", 4, loading.height - 5},
	    {"4loader_rd.tga", loading.width - 5, loading.height - 5}};
	for (const auto& [file, x, y] : corners)
	{
		const CheckedPicture patch = CheckTga(ReadWholeFile(custom / file));
		ASSERT_TRUE(patch.valid);
		const uint8_t* jpeg = &loading.pixels[(static_cast<size_t>(y) * loading.width + x) * 3];
		EXPECT_NEAR(jpeg[0], patch.pixels[0], 6) << file;
		EXPECT_NEAR(jpeg[1], patch.pixels[1], 6) << file;
		EXPECT_NEAR(jpeg[2], patch.pixels[2], 6) << file;
		EXPECT_EQ(patch.pixels[3], 255) << file;
	}
}

TEST(BuiltContent, LabelTextHasEveryEntry)
{
	const std::vector<uint8_t> bytes = ReadWholeFile(fs::path(SourceDir()) / "resources/labels.txt");
	const std::string text(bytes.begin(), bytes.end());
	const std::pair<const char*, const char*> entries[] = {
	    {"#Window_Title#", "Glimmerhearth Configuration"},
	    {"#Video_Mode_Selection#", "Video Mode"},
	    {"#Sound_Control#", "Sound Control"},
	    {"#Graphics#", "Graphics"},
	    {"#Misc_Options#", "Misc Options"},
	    {"#Use_Desktop_Settings#", "Use Desktop Settings"},
	    {"#Enable_music#", "Enable Music"},
	    {"#Master_volume:#", "Volume"},
	    {"#Gamma_Control:#", "Gamma Control:"},
	    {"#About...#", "About..."},
	    {"#Restore_Defaults#", "Restore Defaults"},
	    {"#OK#", "OK"},
	    {"#Cancel#", "Cancel"},
	    {"#Show_FPS#", "Show FPS"},
	    {"#Exit_on_mouse_move#", "Exit on Mouse Move"},
	    {"#Show_time#", "Show Time"},
	    {"#24h_style#", "24h format"},
	    {"#12h_style#", "12h format"},
	};
	for (const auto& [tag, label] : entries)
	{
		EXPECT_NE(text.find(std::string(tag) + "\r\n" + label + "\r\n"), std::string::npos) << tag;
	}
	for (const char* about : {"\r\nAbout\r\n", "\r\nGlimmerhearth\r\n", "Programming", "3D models", "Music"})
	{
		EXPECT_NE(text.find(about), std::string::npos) << about;
	}
	// Every line ends in CR LF.
	for (size_t i = 0; i < text.size(); ++i)
	{
		if (text[i] == '\n')
		{
			ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
		}
	}
}

std::map<std::string, std::vector<uint8_t>> FilesUnder(const fs::path& root)
{
	std::map<std::string, std::vector<uint8_t>> files;
	for (const auto& entry : fs::recursive_directory_iterator(root))
	{
		if (entry.is_regular_file())
		{
			files[fs::relative(entry.path(), root).generic_string()] = ReadWholeFile(entry.path());
		}
	}
	return files;
}

std::string ContentTool()
{
	return BinaryDir() + "/tools/content/gh_content";
}

TEST(ContentBuild, TwoRunsGiveIdenticalFilesAndArchives)
{
	TempDir first;
	TempDir second;
	for (const TempDir* run : {&first, &second})
	{
		const auto start = std::chrono::steady_clock::now();
		const ProcessResult built = RunProcess({ContentTool(), run->Path().string()});
		ASSERT_EQ(built.exitCode, 0) << built.output;
		const double seconds =
		    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
		RecordProperty("content_build_seconds", std::to_string(seconds));
		EXPECT_LT(seconds, 60.0);
		for (const char* folder : {"primary", "secondary"})
		{
			const ProcessResult packed =
			    RunProcess({BinaryDir() + "/tools/packer/gh_pack", (run->Path() / folder).string(),
			                (run->Path() / (std::string(folder) + ".rar")).string()});
			ASSERT_EQ(packed.exitCode, 0) << packed.output;
		}
	}
	const auto a = FilesUnder(first.Path());
	const auto b = FilesUnder(second.Path());
	ASSERT_GT(a.size(), 60u);
	ASSERT_EQ(a.size(), b.size());
	for (const auto& [name, bytes] : a)
	{
		ASSERT_TRUE(b.count(name)) << name;
		EXPECT_TRUE(bytes == b.at(name)) << name << " differs between two runs";
	}
}

TEST(ContentBuild, RerunKeepsTheMusicFolder)
{
	// The music has its own build step that writes into primary/Music.
	TempDir staging;
	const fs::path music = staging.Path() / "primary/Music/music.ogg";
	fs::create_directories(music.parent_path());
	std::ofstream(music) << "OggS";
	fs::create_directories(staging.Path() / "primary/Sprites/stale");
	ASSERT_EQ(RunProcess({ContentTool(), staging.Path().string()}).exitCode, 0);
	EXPECT_TRUE(fs::exists(music));
	EXPECT_FALSE(fs::exists(staging.Path() / "primary/Sprites/stale"));
}

// Writes the contact sheet of every interface picture. Run with GLIMMER_CONTACT_SHEET=<file.png>
// to keep it (scripts/contact-sheet does so for docs/interface-art.png).
TEST(ContentBuild, ContactSheetIsWritten)
{
	TempDir staging;
	const fs::path sheet = staging.Path() / "sheet.png";
	const ProcessResult built =
	    RunProcess({ContentTool(), staging.Path().string(), "--contact-sheet", sheet.string()});
	ASSERT_EQ(built.exitCode, 0) << built.output;
	const std::vector<uint8_t> png = ReadWholeFile(sheet);
	const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
	ASSERT_GE(png.size(), 8u);
	EXPECT_TRUE(std::equal(signature, signature + 8, png.begin()));
	if (const char* keep = std::getenv("GLIMMER_CONTACT_SHEET"))
	{
		fs::copy_file(sheet, keep, fs::copy_options::overwrite_existing);
	}
}
} // namespace
