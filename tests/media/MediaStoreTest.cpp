#include "media/MediaStore.h"
#include "tests/support/Files.h"

#include "core/LogFile.h"
#include "media/RarWriter.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace
{
std::vector<uint8_t> Archive(const std::vector<std::pair<std::string, std::string>>& files)
{
	RarWriter writer;
	writer.WriteMarkerAndArchiveHeader();
	writer.WriteFolder("Textures");
	for (const auto& [name, text] : files)
	{
		writer.WriteFile(name, std::vector<uint8_t>(text.begin(), text.end()));
	}
	writer.WriteEndBlock();
	return writer.Bytes();
}

std::string TextOf(MediaBlob blob)
{
	std::string text(reinterpret_cast<const char*>(blob.data), blob.size);
	MediaBlob::Free(blob);
	return text;
}

// Everything the global log receives while `action` runs.
template <typename Action> std::string LoggedBy(Action action)
{
	TempDir dir;
	const auto path = dir.Path() / "g.log";
	g_logFile.Open(path.string());
	action();
	g_logFile.Close();
	return ReadFile(path);
}

TEST(MediaStore, FirstArchiveThatYieldsTheEntryWins)
{
	std::vector<uint8_t> primary =
	    Archive({{"Textures\\both.tga", "primary"}, {"Textures\\damaged.tga", "primary damaged"}});
	const std::vector<uint8_t> secondary = Archive({{"Textures\\both.tga", "secondary"},
	                                                {"Textures\\damaged.tga", "secondary intact"},
	                                                {"Textures\\tex_sym_0.tga", "glyph"}});
	primary[primary.size() - 8] ^= 0x20; // the last byte of "primary damaged"

	MediaStore store;
	EXPECT_FALSE(store.Find("Textures/both.tga").Found()) << "nothing before the archives are mapped";
	store.Map(primary, secondary);
	EXPECT_EQ(TextOf(store.Find("textures/BOTH.tga")), "primary");
	EXPECT_EQ(TextOf(store.Find("Textures/tex_sym_0.tga")), "glyph");
	EXPECT_EQ(TextOf(store.Find("Textures/damaged.tga")), "secondary intact");

	store.Map(primary, {});
	const MediaBlob missing = store.Find("Textures/tex_sym_0.tga");
	EXPECT_EQ(missing.data, nullptr);
	EXPECT_EQ(missing.size, 0u);
}

TEST(MediaStore, EmbeddedArchivesServeTheContent)
{
	MediaStore store;
	LoggedBy([&] { store.Open(); });

	MediaBlob first = store.Find("Textures/tex_default.tga");
	MediaBlob second = store.Find("textures\\TEX_DEFAULT.TGA");
	ASSERT_TRUE(first.Found());
	ASSERT_TRUE(second.Found());
	EXPECT_NE(first.data, second.data);
	const std::string staged = ReadFile(BinaryDir() + "/content/primary/Textures/tex_default.tga");
	EXPECT_EQ(TextOf(first), staged);
	EXPECT_EQ(TextOf(second), staged);

	for (const char* folder : {"Models", "Music", "Particles", "Sprites", "Textures"})
	{
		MediaBlob blob = store.Find(folder);
		EXPECT_TRUE(blob.Found()) << folder;
		EXPECT_EQ(blob.size, 0u) << folder;
		MediaBlob::Free(blob);
	}

	MediaBlob missing;
	EXPECT_EQ(LoggedBy([&] { missing = store.Find("Textures/no_such_picture.tga"); }), "");
	EXPECT_EQ(missing.data, nullptr);
	EXPECT_EQ(missing.size, 0u);
}

// The loose files of the original installation are only looked for, relative to the working
// folder; their absence is logged and changes nothing else.
TEST(MediaStore, MissingLooseFilesAreLogged)
{
	TempDir dir;
	const auto previous = std::filesystem::current_path();
	std::filesystem::current_path(dir.Path());
	MediaStore store;
	EXPECT_EQ(LoggedBy([&] { store.Open(); }), "Data.pak not found\r\nBase.rar not found\r\n");
	MediaBlob found = store.Find("Textures/tex_default.tga");
	EXPECT_TRUE(found.Found());
	MediaBlob::Free(found);

	std::filesystem::create_directories("Base");
	std::ofstream("Base/Base.rar") << "not read";
	EXPECT_EQ(LoggedBy([&] { store.Open(); }), "Data.pak not found\r\n");
	std::ofstream("Base/Data.pak") << "not read";
	EXPECT_EQ(LoggedBy([&] { store.Open(); }), "");
	std::filesystem::current_path(previous);
}
} // namespace
