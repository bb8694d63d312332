#include "scene/BsaFile.h"
#include "scene/BsmFile.h"
#include "scene/BssFile.h"
#include "tests/scene/ByteFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
std::string ReadOneString(const ByteFixture& fixture, bool* failed = nullptr)
{
	ContentReader reader(fixture.Bytes());
	std::string text = "stale";
	reader.Value(text);
	if (failed != nullptr)
	{
		*failed = reader.Failed();
	}
	return text;
}

TEST(ContentString, KeepsTheTextBeforeTheFirstNulAndAfterTheLastSeparator)
{
	using namespace std::string_literals;
	EXPECT_EQ(ReadOneString(ByteFixture().Text("C:\\art\\Textures\\tex_candle.tga")), "tex_candle.tga");
	EXPECT_EQ(ReadOneString(ByteFixture().Text("Models/art\\mixed/fir.tga")), "fir.tga");
	EXPECT_EQ(ReadOneString(ByteFixture().Text("Scene Root")), "Scene Root");
	EXPECT_EQ(ReadOneString(ByteFixture().Text("C:\\art\\")), "");
	EXPECT_EQ(ReadOneString(ByteFixture().Text("")), "");
	// The NUL cut comes first: a separator after the NUL does not count.
	EXPECT_EQ(ReadOneString(ByteFixture().Text("dir/tex.tga\0/junk\\more"s)), "tex.tga");
	EXPECT_EQ(ReadOneString(ByteFixture().Text("\0tex.tga"s)), "");
}

TEST(ContentString, RefusesLengthsOutsideTheEngineBuffer)
{
	bool failed = false;
	EXPECT_EQ(ReadOneString(ByteFixture().Text(std::string(3000, 'a')), &failed), std::string(3000, 'a'));
	EXPECT_FALSE(failed);
	EXPECT_EQ(ReadOneString(ByteFixture().Text(std::string(3001, 'a')), &failed), "");
	EXPECT_TRUE(failed);
	EXPECT_EQ(ReadOneString(ByteFixture().Int(-1).Int(0), &failed), "");
	EXPECT_TRUE(failed);
	// A length past the end of the bytes.
	EXPECT_EQ(ReadOneString(ByteFixture().Int(8).Int(0x41414141), &failed), "");
	EXPECT_TRUE(failed);
}

TEST(ContentReader, ReadsLittleEndianAndFailsStickilyAtTheEnd)
{
	ByteFixture fixture;
	fixture.Int(-2).Reals({1.5f}).Byte(7).Int(0x01020304);
	ContentReader reader(fixture.Bytes().first(fixture.Size() - 1));
	int32_t integer = 0;
	float real = 0.0f;
	uint8_t byte = 0;
	reader.Value(integer);
	reader.Value(real);
	reader.Value(byte);
	EXPECT_EQ(integer, -2);
	EXPECT_EQ(real, 1.5f);
	EXPECT_EQ(byte, 7);
	EXPECT_FALSE(reader.Failed());

	reader.Value(integer); // three bytes left: too few
	EXPECT_TRUE(reader.Failed());
	EXPECT_EQ(integer, 0);
	// The three bytes that are left stay unread: a failed reader gives only zeros.
	reader.Value(byte);
	EXPECT_EQ(byte, 0);
	EXPECT_EQ(reader.Remaining(), 3u);
}

TEST(ContentReader, RefusesCountsTheRestCannotHoldBeforeAllocating)
{
	ByteFixture fixture;
	fixture.Reals({1, 2, 3, 4, 5, 6});
	for (int64_t count : {int64_t{3}, int64_t{-1}, int64_t{0x7fffffff}, int64_t{0x7fffffff} * 3})
	{
		ContentReader reader(fixture.Bytes());
		std::vector<Float3> items(5);
		reader.Array(items, count);
		EXPECT_TRUE(reader.Failed()) << count;
		EXPECT_TRUE(items.empty());
		EXPECT_EQ(items.capacity(), 5u) << "nothing allocated for " << count;
	}
	ContentReader reader(fixture.Bytes());
	std::vector<Float3> items;
	reader.Array(items, 2);
	EXPECT_FALSE(reader.Failed());
	EXPECT_EQ(items, (std::vector<Float3>{{1, 2, 3}, {4, 5, 6}}));
}

TEST(ContentReader, ReadsPastElementsBeyondTheTableButKeepsNone)
{
	ByteFixture fixture;
	fixture.Text("a").Text("b").Text("c").Int(99);
	ContentReader reader(fixture.Bytes());
	std::vector<std::string> kept;
	int32_t after = 0;
	reader.Array(kept, 3, 2);
	reader.Value(after);
	EXPECT_FALSE(reader.Failed());
	EXPECT_EQ(kept, (std::vector<std::string>{"a", "b"}));
	EXPECT_EQ(after, 99);
}

TEST(ContentWriter, WritesTheLayoutOrRefusesIt)
{
	ContentWriter writer;
	writer.Value(int32_t{-2});
	writer.Value(1.0f);
	writer.Value(uint8_t{9});
	writer.Value(std::string("C:/a"));
	EXPECT_EQ(writer.Bytes(), (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F, 9, 4, 0,
	                                                0, 0, 'C', ':', '/', 'a'}));
	EXPECT_FALSE(writer.Failed());

	ContentWriter tooLong;
	tooLong.Value(std::string(3001, 'x'));
	EXPECT_TRUE(tooLong.Failed());

	// A mesh whose normals do not match its faces would be read differently.
	BsmFile model;
	model.meshes.resize(1);
	model.meshes[0].faces.resize(2);
	model.meshes[0].normals.resize(5);
	EXPECT_FALSE(WriteContentBytes(model).has_value());
	model.meshes[0].normals.resize(6);
	EXPECT_TRUE(WriteContentBytes(model).has_value());
}

TEST(IndexFromReal, TruncatesInRangeRealsAndRefusesTheRest)
{
	const float nan = std::nanf("");
	const float infinity = INFINITY;
	EXPECT_EQ(IndexFromReal(0.0f, 4), 0u);
	EXPECT_EQ(IndexFromReal(3.0f, 4), 3u);
	EXPECT_EQ(IndexFromReal(2.999f, 4), 2u);
	EXPECT_EQ(IndexFromReal(-0.5f, 4), 0u);
	EXPECT_EQ(IndexFromReal(3.9f, 4), 3u);
	for (float refused : {4.0f, -1.0f, -1e30f, 1e30f, nan, infinity, -infinity})
	{
		EXPECT_EQ(IndexFromReal(refused, 4), std::nullopt) << refused;
	}
	EXPECT_EQ(IndexFromReal(0.0f, 0), std::nullopt);
	EXPECT_EQ(IndexFromReal(16777216.0f, 16777217), 16777216u);
}

TEST(ElementAt, GivesZeroForCornersThatPointNowhere)
{
	std::vector<Float3> table(2);
	table[0] = {1, 2, 3};
	table[1] = {4, 5, 6};
	EXPECT_EQ(ElementAtReal(table, 1.0f), (Float3{4, 5, 6}));
	EXPECT_EQ(ElementAtReal(table, 2.0f), Float3{});
	EXPECT_EQ(ElementAtReal(table, std::nanf("")), Float3{});
	EXPECT_EQ(ElementAt(table, 0), (Float3{1, 2, 3}));
	EXPECT_EQ(ElementAt(table, 2), Float3{});
}

// The fewest bytes a record takes is what the reader multiplies counts by; it must be what the
// layout really gives an empty record, or lying counts would pass or honest ones fail.
template <typename Record> class MinimumSizeTest : public ::testing::Test
{
};
using Records = ::testing::Types<Float3, Float4, BoneTransform, BsmMesh, BsmAnchor, BssMaterial, BssObject,
                                 BssPortal, BssCamera, BssAnchor, BssLight, BsaBone>;
TYPED_TEST_SUITE(MinimumSizeTest, Records);

TYPED_TEST(MinimumSizeTest, IsTheSizeOfAnEmptyRecord)
{
	ContentWriter writer;
	TypeParam empty;
	Transfer(writer, empty);
	EXPECT_EQ(writer.Bytes().size(), kWireMinBytes<TypeParam>);
}
} // namespace
