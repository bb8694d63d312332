#include "settings/LabelText.h"

#include <gtest/gtest.h>

namespace
{
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries Parsed(std::string_view text)
{
	Entries entries;
	for (const LabelEntry& entry : ParseLabelText(text))
	{
		entries.emplace_back(entry.tag, entry.text);
	}
	return entries;
}

TEST(LabelText, EveryLineIsAppendedAfterOneBlank)
{
	EXPECT_EQ(Parsed("#Window_Title#\r\nGlimmerhearth Configuration\r\n#OK#\r\nOK\r\n"),
	          (Entries{{"#Window_Title#", " Glimmerhearth Configuration"}, {"#OK#", " OK"}}));
	// Two lines are joined by a blank; an empty line still adds its blank.
	EXPECT_EQ(Parsed("#A#\r\nfirst\r\nsecond\r\n\r\n#B#\r\n"),
	          (Entries{{"#A#", " first second "}, {"#B#", ""}}));
}

TEST(LabelText, LinesBeforeTheFirstTagBelongToNoEntry)
{
	EXPECT_EQ(Parsed("stray\r\n\r\n#A#\r\ntext"), (Entries{{"#A#", " text"}}));
	EXPECT_EQ(Parsed("no tags at all\r\n"), Entries{});
	EXPECT_EQ(Parsed(""), Entries{});
}

// Line feeds alone end lines too; a carriage return elsewhere is part of the text.
TEST(LabelText, LineEnds)
{
	EXPECT_EQ(Parsed("#A#\nx\n#B#\ny\r"), (Entries{{"#A#", " x"}, {"#B#", " y"}}));
	EXPECT_EQ(Parsed("#A#\r\na\rb\r\n"), (Entries{{"#A#", " a\rb"}}));
	EXPECT_EQ(Parsed(std::string_view("#A#\n\0x\n", 7)), (Entries{{"#A#", std::string(" \0x", 3)}}));
}

TEST(LabelText, EmbeddedTextHoldsEveryDialogLabel)
{
	const auto entries = ParseLabelText(EmbeddedLabelText());
	ASSERT_GE(entries.size(), 18u);
	EXPECT_EQ(entries.front().tag, "#Window_Title#");
	EXPECT_EQ(entries.front().text, " Glimmerhearth Configuration");
}
} // namespace
