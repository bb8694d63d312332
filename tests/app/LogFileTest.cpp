#include "core/LogFile.h"
#include "tests/support/Files.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace
{
TEST(LogFile, EmptyNameWritesNothingAnywhere)
{
	TempDir dir;
	const auto before = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
	LogFile log;
	log.Open("");
	log.WriteLine("Starting...");
	log.Close();
	EXPECT_FALSE(log.IsOpen());
	EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), before);
}

TEST(LogFile, TruncatesAndEndsLinesWithCrLfAndFormatsValues)
{
	TempDir dir;
	const auto path = dir.Path() / "g.log";
	{
		std::ofstream old(path);
		old << "left over from an earlier run\n";
	}
	LogFile log;
	log.Open(path.string());
	log.WriteLine("Starting...");
	// Each line is on disk as soon as the call returns.
	EXPECT_EQ(ReadFile(path), "Starting...\r\n");
	log.WriteLine("Max fps: ", 59.5f);
	log.WriteLine("Min fps: ", 10000.0f);
	log.WriteLine("New Gamma: ", 4.0 - 3.0);
	log.WriteLine("Old Gamma: ", 0.987654321);
	log.Close();
	log.WriteLine("after close");
	EXPECT_EQ(ReadFile(path),
	          "Starting...\r\nMax fps: 59.5\r\nMin fps: 10000\r\nNew Gamma: 1\r\nOld Gamma: 0.987654\r\n");
}
} // namespace
