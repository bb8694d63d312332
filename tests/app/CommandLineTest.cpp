#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace
{
struct Case
{
	const char* commandLine;
	RunMode mode;
	uint32_t handleAfter; // with the handle 0 before parsing
};

class ParseCommandLineTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(ParseCommandLineTest, PicksModeAndHandle)
{
	g_parentWindowHandle = 0;
	EXPECT_EQ(ParseCommandLine(GetParam().commandLine), GetParam().mode);
	EXPECT_EQ(g_parentWindowHandle, GetParam().handleAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ParseCommandLineTest,
    ::testing::Values(
        Case{"", RunMode::Configure, 0}, Case{"glimmerhearth", RunMode::Configure, 0},
        Case{"glimmerhearth run now", RunMode::Configure, 0},
        Case{"\"/opt/My Savers/glimmerhearth\" /s", RunMode::Saver, 0},
        // The slash inside the quoted name is skipped with it.
        Case{"\"/opt/My Savers/glimmerhearth\"", RunMode::Configure, 0},
        Case{"\"unclosed /s", RunMode::Configure, 0}, Case{"glimmerhearth /p 1234", RunMode::Preview, 1234},
        Case{"glimmerhearth /P:1234", RunMode::Preview, 1234},
        Case{"glimmerhearth -p1234", RunMode::Preview, 1234}, Case{"glimmerhearth /p", RunMode::Preview, 0},
        Case{"glimmerhearth /t", RunMode::Preview, 0}, Case{"glimmerhearth /t 99", RunMode::Preview, 0},
        Case{"glimmerhearth /c:5678", RunMode::Configure, 5678},
        Case{"glimmerhearth /c", RunMode::Configure, 0}, Case{"glimmerhearth /a", RunMode::Saver, 0},
        Case{"glimmerhearth /x", RunMode::Saver, 0}, Case{"glimmerhearth /S", RunMode::Saver, 0},
        Case{"glimmerhearth /", RunMode::Saver, 0}, Case{"glimmerhearth foo-bar", RunMode::Saver, 0},
        Case{"glimmerhearth /c /s", RunMode::Configure, 0},
        // The digit search runs on past other words.
        Case{"glimmerhearth /c now 42", RunMode::Configure, 42}));

TEST(ParseCommandLine, PreviewWithoutDigitsKeepsEarlierHandle)
{
	g_parentWindowHandle = 77;
	EXPECT_EQ(ParseCommandLine("glimmerhearth /p"), RunMode::Preview);
	EXPECT_EQ(g_parentWindowHandle, 77u);
	EXPECT_EQ(ParseCommandLine("glimmerhearth /c"), RunMode::Configure);
	EXPECT_EQ(g_parentWindowHandle, 0u);
}

TEST(RebuildCommandLine, QuotesNamesWithBlanksOnly)
{
	EXPECT_EQ(RebuildCommandLine("/usr/bin/glimmerhearth", {"/p", "12"}), "/usr/bin/glimmerhearth /p 12");
	EXPECT_EQ(RebuildCommandLine("/opt/My Savers/glimmerhearth", {"/s"}),
	          "\"/opt/My Savers/glimmerhearth\" /s");
	EXPECT_EQ(RebuildCommandLine("glimmerhearth", {}), "glimmerhearth");
}
} // namespace
