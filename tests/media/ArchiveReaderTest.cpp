#include "media/ArchiveReader.h"

#include "tests/media/HandArchive.h"

#include <gtest/gtest.h>

#include <optional>

namespace
{
// The bytes of the named entry, or nothing; a failed call must leave both outputs cleared.
std::optional<std::vector<uint8_t>> Extract(const std::vector<uint8_t>& archive, std::string_view name)
{
	ArchiveView view{archive.empty() ? nullptr : archive.data(), static_cast<uint32_t>(archive.size()), 123};
	uint8_t* data = reinterpret_cast<uint8_t*>(&view);
	uint32_t size = 77;
	if (!ArchiveReader::Extract(name, view, data, size))
	{
		EXPECT_EQ(data, nullptr);
		EXPECT_EQ(size, 0u);
		return std::nullopt;
	}
	EXPECT_NE(data, nullptr);
	std::vector<uint8_t> bytes(data, data + size);
	delete[] data;
	return bytes;
}

// The standard check value of CRC-32, written out rather than computed.
constexpr uint32_t kCrcOf123456789 = 0xCBF43926;

struct Fixture
{
	HandArchive archive;
	std::vector<uint8_t> scene = BytesOf("123456789");
	std::vector<uint8_t> picture = {0x00, 0xFF, 0x10, 0x5C, 0x2F, 0x00, 0x7F};

	explicit Fixture(uint16_t archiveFlags = 0) : archive(archiveFlags)
	{
		archive.AddFolder("Models");
		HandEntry& entry = archive.AddFile("Models\\test.BSS", {});
		entry.data = scene;
		entry.fileCrc = kCrcOf123456789;
		archive.AddOtherBlock(0x7A, 5);
		archive.AddFile("Textures\\tex_day.tga", picture);
	}
};

TEST(ArchiveReader, NamesMatchIgnoringCaseAndSeparatorKind)
{
	const std::vector<uint8_t> bytes = Fixture().archive.Bytes();
	for (const char* name :
	     {"Models\\test.BSS", "Models/test.bss", "models/TEST.bss", "Models_test.BSS", "MODELS\\TEST.BSS"})
	{
		EXPECT_EQ(Extract(bytes, name), BytesOf("123456789")) << name;
	}
	for (const char* name : {"Models/test.BS", "Models/test.BSSX", "Model/test.BSS", "Models//test.BSS",
	                         "Models.test.BSS", "", "Textures"})
	{
		EXPECT_EQ(Extract(bytes, name), std::nullopt) << name;
	}
	// A request is a C string: whatever follows a NUL is not part of it.
	EXPECT_TRUE(Extract(bytes, std::string_view("Models/test.BSS\0junk", 20)));
	// Past a block of another type, the scan goes on.
	EXPECT_EQ(Extract(bytes, "textures/TEX_DAY.TGA"), Fixture().picture);
}

TEST(ArchiveReader, FolderEntryGivesAnEmptyBuffer)
{
	const std::vector<uint8_t> bytes = Fixture().archive.Bytes();
	EXPECT_EQ(Extract(bytes, "models"), std::vector<uint8_t>());
}

TEST(ArchiveReader, AlteredBytesFailTheirChecksum)
{
	std::vector<size_t> starts;
	std::vector<uint8_t> bytes = Fixture().archive.Bytes(&starts);
	const size_t sceneData = starts[1] + 32 + std::string("Models\\test.BSS").size();
	ASSERT_EQ(bytes[sceneData + 4], '5');
	bytes[sceneData + 4] = '6';
	EXPECT_EQ(Extract(bytes, "Models/test.BSS"), std::nullopt);
	// The other entries of a non-solid archive are not touched by the damage.
	EXPECT_EQ(Extract(bytes, "Textures/tex_day.tga"), Fixture().picture);
}

TEST(ArchiveReader, OnlyUnpackVersions13To20AreRead)
{
	for (int version : {0, 12, 13, 15, 20, 21, 29, 255})
	{
		HandArchive archive;
		archive.AddFile("a.bin", BytesOf("xyz")).unpackVersion = static_cast<uint8_t>(version);
		const bool readable = version >= 13 && version <= 20;
		EXPECT_EQ(Extract(archive.Bytes(), "a.bin").has_value(), readable) << version;
	}
}

TEST(ArchiveReader, CompressedAndEncryptedStoredEntriesAreAbsent)
{
	HandArchive archive;
	archive.AddFile("packed.bin", BytesOf("packed bytes")).method = 0x33;
	// Encrypted bytes are read as they stand, so they fail the checksum of the plain text.
	HandEntry& secret = archive.AddFile("secret.bin", BytesOf("plain text"));
	secret.flags |= 0x0004;
	secret.data = BytesOf("\x13\x9a\x77garbled");
	archive.AddFile("after.bin", BytesOf("after"));
	const std::vector<uint8_t> bytes = archive.Bytes();
	EXPECT_EQ(Extract(bytes, "packed.bin"), std::nullopt);
	EXPECT_EQ(Extract(bytes, "secret.bin"), std::nullopt);
	EXPECT_EQ(Extract(bytes, "after.bin"), BytesOf("after"));
}

// Every entry of a solid archive before the requested one is decoded in order: one that cannot
// be decoded ends the lookup, while a non-solid archive skips it untouched.
TEST(ArchiveReader, SolidArchiveDecodesEveryEarlierEntry)
{
	for (uint16_t archiveFlags : {0x0000, 0x0008})
	{
		const bool solid = archiveFlags != 0;
		EXPECT_EQ(Extract(Fixture(archiveFlags).archive.Bytes(), "Textures/tex_day.tga"), Fixture().picture);

		Fixture damaged(archiveFlags);
		damaged.archive.AddFile("Textures\\broken.tga", BytesOf("broken")).fileCrc ^= 1;
		damaged.archive.AddFile("Textures\\late.tga", BytesOf("late"));
		EXPECT_EQ(Extract(damaged.archive.Bytes(), "Textures/late.tga").has_value(), !solid) << archiveFlags;

		Fixture compressed(archiveFlags);
		compressed.archive.AddFile("Textures\\packed.tga", BytesOf("packed")).method = 0x35;
		compressed.archive.AddFile("Textures\\late.tga", BytesOf("late"));
		EXPECT_EQ(Extract(compressed.archive.Bytes(), "Textures/late.tga").has_value(), !solid)
		    << archiveFlags;

		Fixture oldVersion(archiveFlags);
		oldVersion.archive.AddFile("Textures\\old.tga", BytesOf("old")).unpackVersion = 29;
		oldVersion.archive.AddFile("Textures\\late.tga", BytesOf("late"));
		EXPECT_EQ(Extract(oldVersion.archive.Bytes(), "Textures/late.tga").has_value(), !solid)
		    << archiveFlags;
	}
}

TEST(ArchiveReader, SubBlockEndsTheScan)
{
	HandArchive archive;
	archive.AddFile("before.bin", BytesOf("1"));
	archive.AddOtherBlock(0x77, 3);
	archive.AddFile("after.bin", BytesOf("2"));
	const std::vector<uint8_t> bytes = archive.Bytes();
	EXPECT_EQ(Extract(bytes, "before.bin"), BytesOf("1"));
	EXPECT_EQ(Extract(bytes, "after.bin"), std::nullopt);
}

TEST(ArchiveReader, NoArchiveNoEntry)
{
	EXPECT_EQ(Extract({}, "Models"), std::nullopt);
	std::vector<uint8_t> bytes = Fixture().archive.Bytes();
	bytes[3] = 'x';
	EXPECT_EQ(Extract(bytes, "Models"), std::nullopt);
	// A null pointer with a size claims nothing.
	ArchiveView nullView{nullptr, 1000, 0};
	uint8_t* data = nullptr;
	uint32_t size = 0;
	EXPECT_FALSE(ArchiveReader::Extract("Models", nullView, data, size));
}

// An archive cut anywhere before the end of an entry's data never yields that entry.
TEST(ArchiveReader, TruncatedArchivesYieldNothing)
{
	const std::vector<uint8_t> bytes = Fixture().archive.Bytes();
	const size_t endOfLastEntry = bytes.size() - 7;
	for (size_t length = 0; length < endOfLastEntry; ++length)
	{
		// A copy of exactly this length, so that a read past it is a read past the allocation.
		const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length));
		EXPECT_EQ(Extract(cut, "Textures/tex_day.tga"), std::nullopt) << length;
	}
	EXPECT_EQ(
	    Extract(std::vector<uint8_t>(bytes.begin(), bytes.begin() + endOfLastEntry), "Textures/tex_day.tga"),
	    Fixture().picture);
}

// Whatever single byte or size field lies, a lookup either fails or returns the true bytes:
// every field that matters is either checked or covered by the checksum.
TEST(ArchiveReader, LyingBytesAtEveryOffsetFailOrGiveTheTrueEntry)
{
	const std::vector<uint8_t> original = Fixture().archive.Bytes();
	const std::vector<std::pair<std::string, std::vector<uint8_t>>> expected = {
	    {"Models", {}}, {"Models/test.BSS", Fixture().scene}, {"Textures/tex_day.tga", Fixture().picture}};
	auto checkAll = [&](const std::vector<uint8_t>& bytes, size_t offset)
	{
		for (const auto& [name, contents] : expected)
		{
			const auto result = Extract(bytes, name);
			if (result.has_value())
			{
				EXPECT_EQ(*result, contents) << name << " with a lie at " << offset;
			}
		}
	};
	for (size_t offset = 0; offset < original.size(); ++offset)
	{
		for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF})
		{
			std::vector<uint8_t> bytes = original;
			bytes[offset] = value;
			checkAll(bytes, offset);
		}
		// Whole 16- and 32-bit fields claiming the most or the least.
		for (size_t width : {2, 4})
		{
			for (uint8_t fill : {0x00, 0xFF})
			{
				std::vector<uint8_t> bytes = original;
				std::fill_n(bytes.begin() + static_cast<ptrdiff_t>(offset),
				            std::min(width, original.size() - offset), fill);
				checkAll(bytes, offset);
			}
		}
	}
}

// A stored entry is its data area: an unpacked size that is not the packed size is damage, and
// a huge one must not turn into a huge allocation.
TEST(ArchiveReader, UnpackedSizeMustEqualPackedSize)
{
	std::vector<size_t> starts;
	std::vector<uint8_t> bytes = Fixture().archive.Bytes(&starts);
	const size_t unpackedSize = starts[2] + 11;
	for (uint32_t lie : {6u, 8u, 0x7FFFFFFFu, 0xFFFFFFFFu})
	{
		for (int i = 0; i < 4; ++i)
		{
			bytes[unpackedSize + i] = static_cast<uint8_t>(lie >> (8 * i));
		}
		EXPECT_EQ(Extract(bytes, "Textures/tex_day.tga"), std::nullopt) << lie;
	}
}
} // namespace
