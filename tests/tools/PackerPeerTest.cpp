// The build-time packer against two independent RAR readers (7-Zip and libarchive) and our own.
#include "media/ArchiveReader.h"
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace
{
void WriteFile(const fs::path& path, const std::string& bytes)
{
	fs::create_directories(path.parent_path());
	std::ofstream(path, std::ios::binary) << bytes;
}

// The program found on PATH, as a shell would find it.
std::string OnPath(const std::string& program)
{
	std::istringstream folders(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin");
	for (std::string folder; std::getline(folders, folder, ':');)
	{
		const fs::path candidate = fs::path(folder) / program;
		if (fs::exists(candidate))
		{
			return candidate.string();
		}
	}
	return program;
}

// A small tree of folders and binary files: every byte value, a pseudo-random block larger than
// one read buffer, an empty file and mixed-case names.
std::set<std::string> MakeTree(const fs::path& root)
{
	std::string allBytes;
	for (int value = 0; value < 256; ++value)
	{
		allBytes.push_back(static_cast<char>(value));
	}
	std::string noise(300000, '\0');
	uint32_t state = 12345;
	for (char& c : noise)
	{
		state = state * 1103515245u + 12345u;
		c = static_cast<char>(state >> 24);
	}
	WriteFile(root / "Models/test.BSS", allBytes);
	WriteFile(root / "Textures/Sub/Glyph_A.TGA", noise);
	WriteFile(root / "Textures/empty.txt", "");
	WriteFile(root / "readme.txt", "stored, not compressed\r\n");
	fs::create_directories(root / "Music");
	return {"Models",
	        "Models/test.BSS",
	        "Music",
	        "Textures",
	        "Textures/Sub",
	        "Textures/Sub/Glyph_A.TGA",
	        "Textures/empty.txt",
	        "readme.txt"};
}

std::set<std::string> ListedBy7z(const std::string& listing)
{
	std::set<std::string> names;
	std::istringstream lines(listing);
	bool pastArchiveRecord = false;
	for (std::string line; std::getline(lines, line);)
	{
		pastArchiveRecord = pastArchiveRecord || line.starts_with("----------");
		if (pastArchiveRecord && line.starts_with("Path = "))
		{
			names.insert(line.substr(7));
		}
	}
	return names;
}

std::set<std::string> ListedByBsdtar(const std::string& listing)
{
	std::set<std::string> names;
	std::istringstream lines(listing);
	for (std::string line; std::getline(lines, line);)
	{
		names.insert(line.ends_with('/') ? line.substr(0, line.size() - 1) : line);
	}
	return names;
}

void ExpectSameTree(const fs::path& expected, const fs::path& actual, const std::string& reader)
{
	for (const auto& entry : fs::recursive_directory_iterator(expected))
	{
		const fs::path twin = actual / fs::relative(entry.path(), expected);
		if (entry.is_directory())
		{
			EXPECT_TRUE(fs::is_directory(twin)) << reader << ": " << twin;
		}
		else
		{
			EXPECT_EQ(ReadFile(entry.path()), ReadFile(twin)) << reader << ": " << twin;
		}
	}
}

std::string Pack(const fs::path& tree, const fs::path& archive)
{
	const auto result = RunProcess({BinaryDir() + "/tools/packer/gh_pack", tree.string(), archive.string()});
	EXPECT_EQ(result.exitCode, 0) << result.output;
	return ReadFile(archive);
}

TEST(PackerPeer, SevenZipAndBsdtarReadWhatWeWrite)
{
	TempDir dir;
	const std::set<std::string> names = MakeTree(dir.Path() / "tree");
	const fs::path archive = dir.Path() / "tree.rar";
	const std::string bytes = Pack(dir.Path() / "tree", archive);
	EXPECT_EQ(Pack(dir.Path() / "tree", dir.Path() / "again.rar"), bytes)
	    << "the same tree packs to the same bytes";

	const auto test7z = RunProcess({OnPath("7z"), "t", archive.string()});
	EXPECT_EQ(test7z.exitCode, 0) << test7z.output;
	const auto list7z = RunProcess({OnPath("7z"), "l", "-slt", archive.string()});
	EXPECT_EQ(list7z.exitCode, 0) << list7z.output;
	EXPECT_EQ(ListedBy7z(list7z.output), names) << list7z.output;
	const auto extract7z =
	    RunProcess({OnPath("7z"), "x", "-o" + (dir.Path() / "7z").string(), archive.string()});
	EXPECT_EQ(extract7z.exitCode, 0) << extract7z.output;
	ExpectSameTree(dir.Path() / "tree", dir.Path() / "7z", "7z");

	const auto listTar = RunProcess({OnPath("bsdtar"), "-tf", archive.string()});
	EXPECT_EQ(listTar.exitCode, 0) << listTar.output;
	EXPECT_EQ(ListedByBsdtar(listTar.output), names) << listTar.output;
	fs::create_directories(dir.Path() / "bsdtar");
	const auto extractTar =
	    RunProcess({OnPath("bsdtar"), "-xf", archive.string(), "-C", (dir.Path() / "bsdtar").string()});
	EXPECT_EQ(extractTar.exitCode, 0) << extractTar.output;
	ExpectSameTree(dir.Path() / "tree", dir.Path() / "bsdtar", "bsdtar");

	// And our own reader finds every file under the name a loader would ask for.
	ArchiveView view{reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), 0};
	for (const std::string& name : names)
	{
		uint8_t* data = nullptr;
		uint32_t size = 0;
		ASSERT_TRUE(ArchiveReader::Extract(name, view, data, size)) << name;
		const fs::path file = dir.Path() / "tree" / name;
		EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size),
		          fs::is_directory(file) ? "" : ReadFile(file));
		delete[] data;
	}
}
} // namespace
