// The REGEDIT4 file behind the registry calls: parsing, edits that keep what they do not know,
// and the file itself (atomic replacement, corrupt and unreadable files, where it lives).
#include "settings/RegistryFile.h"
#include "settings/Registry.h"
#include "tests/settings/ConfigHome.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr char kKey[] = "HKEY_CURRENT_USER\\Software\\Quillfen\\Glimmerhearth";

RegistryFile Parsed(const std::string& text)
{
	RegistryFile file;
	EXPECT_TRUE(file.Parse(text)) << text;
	return file;
}

TEST(RegistryFile, NewFileHasHeaderKeyAndValues)
{
	RegistryFile file;
	file.WriteDword(kKey, "Resolution:", 3);
	file.WriteDword(kKey, "Music volume:", 35);
	file.WriteDword(kKey, "Resolution:", 0xdeadbeef);
	EXPECT_EQ(file.Text(),
	          RegistryText("\"Resolution:\"=dword:deadbeef\n\"Music volume:\"=dword:00000023\n"));
	EXPECT_EQ(file.ReadDword(kKey, "Resolution:"), 0xdeadbeefu);
}

TEST(RegistryFile, EditsKeepEverythingElseByteForByte)
{
	const std::string text = "REGEDIT4\r\n"
	                         "\r\n"
	                         "; kept by hand\r\n"
	                         "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
	                         "\"Resolution:\"=dword:00000009\r\n"
	                         "\r\n"
	                         "[hkey_current_user\\software\\quillfen\\glimmerhearth]\r\n"
	                         "\"Name\"=\"a \\\"quoted\\\" value\"\r\n"
	                         "\"RESOLUTION:\"=dword:00000001\r\n"
	                         "\"Blob\"=hex:01,02,\\\r\n"
	                         "  03,04\r\n"
	                         "@=\"default\"\r\n"
	                         "\r\n"
	                         "[HKEY_CURRENT_USER\\Software\\Last]\r\n"
	                         "\"x\"=dword:00000001\r\n";
	RegistryFile file = Parsed(text);
	// Keys and names ignore case; the value in another key is not ours.
	EXPECT_EQ(file.ReadDword(kKey, "Resolution:"), 1u);
	file.WriteDword(kKey, "Resolution:", 3);
	file.WriteDword(kKey, "Fps:", 1);
	// Replacing a binary value takes its continuation lines with it.
	file.WriteDword(kKey, "blob", 2);

	std::string expected = text;
	expected.replace(expected.find("\"RESOLUTION:\"=dword:00000001"), 28, "\"Resolution:\"=dword:00000003");
	expected.replace(expected.find("\"Blob\"=hex:01,02,\\\r\n  03,04"), 27, "\"blob\"=dword:00000002");
	expected.insert(expected.find("\r\n\r\n[HKEY_CURRENT_USER\\Software\\Last]") + 2,
	                "\"Fps:\"=dword:00000001\r\n");
	EXPECT_EQ(file.Text(), expected);

	const RegistryFile reread = Parsed(file.Text());
	EXPECT_EQ(reread.ReadDword(kKey, "Fps:"), 1u);
	EXPECT_EQ(reread.ReadDword("HKEY_CURRENT_USER\\Software\\Other", "Resolution:"), 9u);
}

TEST(RegistryFile, OnlyDwordsReadAsNumbers)
{
	const RegistryFile file = Parsed(RegistryText("\"a\"=dword:1\n"
	                                              "\"b\"=DWORD:0000000A\n"
	                                              "\"c\"=\"3\"\n"
	                                              "\"d\"=hex(4):01,00,00,00\n"
	                                              "\"e\"=dword:123456789\n"
	                                              "\"f\"=dword:12g4\n"
	                                              "\"g\"=dword:\n"
	                                              "\"h\" = dword:ffffffff \n"));
	EXPECT_EQ(file.ReadDword(kKey, "a"), 1u);
	EXPECT_EQ(file.ReadDword(kKey, "b"), 10u);
	EXPECT_EQ(file.ReadDword(kKey, "h"), 0xffffffffu);
	for (const char* name : {"c", "d", "e", "f", "g", "missing"})
	{
		EXPECT_EQ(file.ReadDword(kKey, name), std::nullopt) << name;
	}
	EXPECT_EQ(file.ReadDword("HKEY_CURRENT_USER\\Software\\Missing", "a"), std::nullopt);
}

// Where a key or a value appears twice, the last one counts, and a write changes that one.
TEST(RegistryFile, LastOfRepeatedValuesCounts)
{
	RegistryFile file =
	    Parsed(RegistryText("\"a\"=dword:1\n\"a\"=dword:2\n") + "[" + kKey + "]\n\"a\"=dword:3\n");
	EXPECT_EQ(file.ReadDword(kKey, "a"), 3u);
	file.WriteDword(kKey, "a", 4);
	file.WriteDword(kKey, "b", 5);
	EXPECT_EQ(file.Text(), RegistryText("\"a\"=dword:1\n\"a\"=dword:2\n") + "[" + kKey +
	                           "]\n\"a\"=dword:00000004\n\"b\"=dword:00000005\n");
}

// A binary value cut off at the end of the file must not swallow what is added after it.
TEST(RegistryFile, AddingAfterAnUnfinishedBinaryValue)
{
	RegistryFile file = Parsed(RegistryText("\"Blob\"=hex:01,\\\n"));
	file.WriteDword(kKey, "a", 1);
	file.WriteDword("HKEY_CURRENT_USER\\Software\\Other", "b", 2);
	const RegistryFile reread = Parsed(file.Text());
	EXPECT_EQ(reread.ReadDword(kKey, "a"), 1u);
	EXPECT_EQ(reread.ReadDword("HKEY_CURRENT_USER\\Software\\Other", "b"), 2u);
	EXPECT_EQ(reread.Text(), file.Text());
}

TEST(RegistryFile, RefusesWhatIsNotARegedit4File)
{
	const std::string notRegistry[] = {
	    "",
	    "Windows Registry Editor Version 5.00\n\n[" + std::string(kKey) + "]\n",
	    "REGEDIT4\n\"a\"=dword:1\n",                        // a value outside any key
	    "REGEDIT4\n[" + std::string(kKey) + "\n",           // an unclosed key
	    "REGEDIT4\n[" + std::string(kKey) + "]\ngarbage\n", // neither value nor comment
	    "REGEDIT4\n[" + std::string(kKey) + "]\n\"a=dword:1\n",
	    "REGEDIT4\n[" + std::string(kKey) + "]\n\"a\" dword:1\n",
	    "REGEDIT4\n[k]\n\"a\"=dword:1" + std::string(1, '\0') + "\n",
	};
	for (const std::string& text : notRegistry)
	{
		RegistryFile file;
		EXPECT_FALSE(file.Parse(text)) << text;
		EXPECT_EQ(file.Text(), "REGEDIT4\n\n");
	}
	// A byte order mark from an editor and blanks around the header are tolerated.
	EXPECT_TRUE(RegistryFile().Parse("\xef\xbb\xbfREGEDIT4 \n"));
}

TEST(RegistryFile, FileNamesFollowTheEnvironment)
{
	ConfigHome home;
	EXPECT_EQ(RegistryFilePath(), home.File());

	// Relative folders do not count: the registry never lands in the current folder.
	home.Set("XDG_CONFIG_HOME", "relative");
	home.Set("HOME", "/home/someone");
	EXPECT_EQ(RegistryFilePath(), "/home/someone/.config/glimmerhearth/registry.reg");

	// Without HOME, the account's home folder.
	home.Set("XDG_CONFIG_HOME", std::nullopt);
	home.Set("HOME", std::nullopt);
	const passwd* account = getpwuid(getuid());
	ASSERT_NE(account, nullptr);
	EXPECT_EQ(RegistryFilePath(),
	          std::filesystem::path(account->pw_dir) / ".config/glimmerhearth/registry.reg");
}

TEST(RegistryFile, SavesCreateFoldersAndReplaceTheFileWhole)
{
	ConfigHome home;
	EXPECT_EQ(QueryRegistryDword("Resolution:"), std::nullopt);
	WriteRegistryDword("Resolution:", 7);
	EXPECT_EQ(ReadRegistryDword("Resolution:"), 7);
	EXPECT_EQ(ReadRegistryDword("Missing:"), 0);

	struct stat info = {};
	ASSERT_EQ(stat(home.File().parent_path().c_str(), &info), 0);
	EXPECT_EQ(info.st_mode & 0777, 0700u);
	// Nothing is left beside the file: the new text went in under a temporary name.
	EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.File().parent_path()),
	                        std::filesystem::directory_iterator()),
	          1);

	// A file kept elsewhere through a link stays there.
	const auto elsewhere = home.Root() / "dotfiles.reg";
	std::filesystem::rename(home.File(), elsewhere);
	std::filesystem::create_symlink(elsewhere, home.File());
	WriteRegistryDword("Fps:", 1);
	EXPECT_TRUE(std::filesystem::is_symlink(home.File()));
	EXPECT_EQ(ConfigHome::Read(elsewhere),
	          RegistryText("\"Resolution:\"=dword:00000007\n\"Fps:\"=dword:00000001\n"));
}

TEST(RegistryFile, CorruptFilesAreKeptAndUnreadableOnesLeftAlone)
{
	ConfigHome home;
	const std::string corrupt = "not a registry file\n";
	home.Write(corrupt);
	EXPECT_EQ(QueryRegistryDword("Resolution:"), std::nullopt);
	WriteRegistryDword("Resolution:", 3);
	EXPECT_EQ(ConfigHome::Read(home.File().string() + ".corrupt"), corrupt);
	EXPECT_EQ(home.Read(), RegistryText("\"Resolution:\"=dword:00000003\n"));

	// Oversized files count as corrupt.
	home.Write(RegistryText("\"Resolution:\"=dword:00000003\n") +
	           std::string(RegistryFile::kMaxFileSize, ';'));
	EXPECT_EQ(QueryRegistryDword("Resolution:"), std::nullopt);

	// Something that cannot be read is never replaced.
	std::filesystem::remove(home.File());
	std::filesystem::create_directory(home.File());
	WriteRegistryDword("Resolution:", 3);
	EXPECT_TRUE(std::filesystem::is_directory(home.File()));
}
} // namespace
