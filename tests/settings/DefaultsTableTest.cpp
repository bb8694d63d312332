#include "settings/DefaultsTable.h"
#include "settings/Cp1251.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
DefaultsTable Parsed(const std::string& text)
{
	DefaultsTable table;
	table.Parse(text.data(), text.size());
	return table;
}

TEST(DefaultsTable, EmbeddedTextGivesTheShippedValues)
{
	DefaultsTable table;
	table.LoadEmbedded();
	ASSERT_EQ(table.Entries().size(), 10u);
	EXPECT_EQ(table.Entries()[0].key, "Music");
	EXPECT_EQ(table.Entries()[0].value, "true");
	// The CurrRes line carries tabs, a semicolon and a Cyrillic comment.
	EXPECT_EQ(table.Entries()[8].key, "CurrRes");
	EXPECT_EQ(table.Entries()[8].value, "3");
	EXPECT_EQ(table.LookupInt("Music"), 1);
	EXPECT_EQ(table.LookupInt("ShowFPS"), 0);
	EXPECT_EQ(table.LookupInt("MusicVolume"), 35);
	EXPECT_EQ(table.LookupInt("Gamma"), 3);
	// Only the first call parses.
	table.LoadEmbedded();
	EXPECT_EQ(table.Entries().size(), 10u);
}

TEST(DefaultsTable, CleansLinesAndSplitsAtTheFirstEquals)
{
	const DefaultsTable table = Parsed("Music\t\t= true;\r\n"
	                                   "\r\n"
	                                   "; comment only\r\n"
	                                   "\xd0\xe0\xe7 = 7;\r\n" // Cyrillic key bytes vanish
	                                   "A=b=c\r\n"
	                                   "Volume = 35 dB\r\n");
	ASSERT_EQ(table.Entries().size(), 4u);
	EXPECT_EQ(table.Entries()[0].key, "Music");
	EXPECT_EQ(table.Entries()[0].value, "true");
	EXPECT_EQ(table.Entries()[1].key, "");
	EXPECT_EQ(table.Entries()[1].value, "7");
	EXPECT_EQ(table.Entries()[2].key, "A");
	EXPECT_EQ(table.Entries()[2].value, "b=c");
	EXPECT_EQ(table.Entries()[3].value, "35dB");
	EXPECT_EQ(table.LookupInt("volume"), 35);
}

TEST(DefaultsTable, LookupIgnoresCaseOfTheKey)
{
	const DefaultsTable table = Parsed("CurrRes = 3;\r\n");
	EXPECT_EQ(table.LookupInt("currres"), 3);
	EXPECT_EQ(table.LookupInt("CURRRES"), 3);
}

TEST(DefaultsTable, IntegerRulesAndMissingKeys)
{
	const DefaultsTable table = Parsed("a = True;\r\nb = false;\r\nc = -12x;\r\nd = x12;\r\n");
	EXPECT_EQ(table.LookupInt("a"), 0); // neither "true" nor a number
	EXPECT_EQ(table.LookupInt("b"), 0);
	EXPECT_EQ(table.LookupInt("c"), -12);
	EXPECT_EQ(table.LookupInt("d"), 0);
	EXPECT_EQ(table.Lookup("missing"), "");
	EXPECT_EQ(table.LookupInt("missing"), 0);
}

TEST(DefaultsTable, LineFeedsAloneDoNotEndALine)
{
	const DefaultsTable table = Parsed("a = 1;\nb = 2;\n");
	ASSERT_EQ(table.Entries().size(), 1u);
	EXPECT_EQ(table.Entries()[0].key, "a");
	EXPECT_EQ(table.Entries()[0].value, "1");
}

TEST(DefaultsTable, LineWithoutEqualsIsKeptAsKeyAndValue)
{
	const DefaultsTable table = Parsed("garbage\r\nx = 1;\r\n");
	ASSERT_EQ(table.Entries().size(), 2u);
	EXPECT_EQ(table.Entries()[0].key, "garbage");
	EXPECT_EQ(table.Entries()[0].value, "garbage");
}

TEST(DefaultsTable, HoldsAtMostOneHundredPairs)
{
	std::string text;
	for (int i = 0; i < 150; ++i)
	{
		text += "k" + std::to_string(i) + " = " + std::to_string(i) + ";\r\n";
	}
	const DefaultsTable table = Parsed(text);
	EXPECT_EQ(table.Entries().size(), DefaultsTable::kMaxEntries);
	EXPECT_EQ(table.LookupInt("k99"), 99);
}

TEST(Cp1251, ConvertsCyrillicToUtf8)
{
	EXPECT_EQ(Cp1251ToUtf8("\xcd\xe5 \xed\xe0\xe9\xe4\xe5\xed"), "Не найден");
	EXPECT_EQ(Cp1251ToUtf8("\xa8\xb8 def_settings.txt"), "Ёё def_settings.txt");
}
} // namespace
