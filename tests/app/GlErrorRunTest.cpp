// Whole saver runs with the GL error report on: the room, its camera cuts and its overlay draw
// without a single GL error. The report itself is shown to catch errors in
// tests/render/GlErrorReportTest.cpp.
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>

#include <csignal>

namespace
{
Environment DebugEnvironment(const XvfbServer& xvfb, const TempDir& dir)
{
	return {{"DISPLAY", xvfb.Display()},
	        {"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
	        {"GLIMMERHEARTH_LOG", (dir.Path() / "saver.log").string()},
	        {"GLIMMERHEARTH_NONINTERACTIVE", "1"},
	        {"GLIMMERHEARTH_GL_DEBUG", "1"}};
}

// The report was on from the renderer's start to the shutdown, and found nothing.
void ExpectNoGlError(const std::string& output, const std::string& log)
{
	EXPECT_NE(log.find("GL errors reported by the driver"), std::string::npos) << log;
	EXPECT_NE(log.find("GL errors: 0\r\n"), std::string::npos) << log;
	EXPECT_EQ(log.find("GL error:"), std::string::npos) << log;
	EXPECT_EQ(output.find("GL error:"), std::string::npos) << output;
}

// Frames of 14 units play one camera key each: 320 frames run through the first flight and cut
// to the next one, with the frozen-frame cross-fade. Christmas Eve shows the countdown, Christmas
// Day the greeting picture.
TEST(GlErrorRun, SnapshotRunsThroughACameraCutWithoutErrors)
{
	XvfbServer xvfb(640, 480);
	for (const char* at : {"2026-12-24 21:30:00", "2026-12-25 10:00:00"})
	{
		TempDir dir;
		const auto result = RunProcess({ProgramPath(), "--snapshot", (dir.Path() / "s.png").string(),
		                                "--frames", "320", "--step", "14", "--size", "320x240", "--at", at},
		                               DebugEnvironment(xvfb, dir));
		ASSERT_FALSE(result.timedOut) << result.output;
		EXPECT_EQ(result.exitCode, 0) << result.output;
		ExpectNoGlError(result.output, ReadLog(dir.Path() / "saver.log"));
	}
}

// The saver itself, on the full screen in real time, until a status line shows it has drawn
// frames for a while; the terminate signal then runs the whole shutdown under the report.
TEST(GlErrorRun, SaverRunsAndShutsDownWithoutErrors)
{
	XvfbServer xvfb(640, 480);
	TempDir dir;
	ChildProcess saver({ProgramPath(), "/s"}, DebugEnvironment(xvfb, dir));
	ASSERT_TRUE(WaitFor([&]
	                    { return ReadFile(dir.Path() / "saver.log").find("Status: ") != std::string::npos; },
	                    std::chrono::seconds(120)))
	    << ReadFile(dir.Path() / "saver.log");
	saver.Signal(SIGTERM);
	const auto result = saver.Wait();
	ASSERT_FALSE(result.timedOut);
	EXPECT_EQ(result.exitCode, 0) << result.output;
	const std::string log = ReadLog(dir.Path() / "saver.log");
	EXPECT_NE(log.find("Status: frames "), std::string::npos) << log;
	ExpectNoGlError(result.output, log);
}
} // namespace
