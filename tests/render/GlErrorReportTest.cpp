// The GL error report on a real context under a private X server: errors provoked on purpose
// must be seen, so that the whole-program runs that find none prove something.
#include "render/GlErrorReport.h"
#include "core/LogFile.h"
#include "tests/support/Files.h"
#include "tests/support/SaverWindowOnXvfb.h"
#include "tests/support/TempDir.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
// Not an enum any GL function takes.
constexpr GLenum kNoSuchCapability = 0xDEAD;

class GlErrorReportOnContext : public ::testing::Test
{
protected:
	static void SetUpTestSuite()
	{
		setenv("GLIMMERHEARTH_GL_DEBUG", "1", 1);
		ASSERT_TRUE(screen.Open("errors", 64, 64));
		startedByRenderer = g_glErrors.Active();
	}

	static void TearDownTestSuite()
	{
		g_glErrors.Stop();
		screen.Close();
		unsetenv("GLIMMERHEARTH_GL_DEBUG");
	}

	void SetUp() override
	{
		ASSERT_TRUE(screen.IsOpen());
		g_logFile.Open((dir.Path() / "errors.log").string());
	}

	void TearDown() override { g_logFile.Close(); }

	std::string Log() const { return ReadFile(dir.Path() / "errors.log"); }

	static void Restart(GlErrorReport::Source source)
	{
		g_glErrors.Stop();
		g_glErrors.Start(source);
	}

	static SaverWindowOnXvfb screen;
	static bool startedByRenderer;
	TempDir dir;
};

SaverWindowOnXvfb GlErrorReportOnContext::screen;
bool GlErrorReportOnContext::startedByRenderer = false;

// The renderer turned the report on by itself, with the driver's own descriptions (llvmpipe has
// GL_KHR_debug): the error is counted inside the failing call, once, and named in the log.
TEST_F(GlErrorReportOnContext, DriverNamesEachErrorOnce)
{
	EXPECT_TRUE(startedByRenderer);
	Restart(GlErrorReport::Source::DriverMessages);
	ASSERT_TRUE(g_glErrors.UsesDriverMessages());
	const int64_t before = g_glErrors.ErrorCount();

	glEnable(kNoSuchCapability);
	EXPECT_EQ(g_glErrors.ErrorCount(), before + 1);
	g_glErrors.CheckFrame();
	EXPECT_EQ(g_glErrors.ErrorCount(), before + 1) << "the flag of a described error counted again";
	EXPECT_NE(Log().find("GL error: GL_INVALID_ENUM"), std::string::npos) << Log();

	// A clean frame adds nothing.
	glClear(GL_COLOR_BUFFER_BIT);
	g_glErrors.CheckFrame();
	EXPECT_EQ(g_glErrors.ErrorCount(), before + 1);
}

// Without driver messages the flag is read once a frame: each error waits for the check, and
// the check names it. (The flag keeps only the first error until it is read.)
TEST_F(GlErrorReportOnContext, FrameQueryFindsErrorsAtTheCheck)
{
	Restart(GlErrorReport::Source::FrameQuery);
	ASSERT_FALSE(g_glErrors.UsesDriverMessages());
	const int64_t before = g_glErrors.ErrorCount();

	glEnable(kNoSuchCapability);
	EXPECT_EQ(g_glErrors.ErrorCount(), before);
	g_glErrors.CheckFrame();
	EXPECT_EQ(g_glErrors.ErrorCount(), before + 1);
	glPopMatrix();
	g_glErrors.CheckFrame();
	EXPECT_EQ(g_glErrors.ErrorCount(), before + 2);
	const std::string log = Log();
	EXPECT_NE(log.find("GL error: GL_INVALID_ENUM"), std::string::npos) << log;
	EXPECT_NE(log.find("GL error: GL_STACK_UNDERFLOW"), std::string::npos) << log;

	g_glErrors.CheckFrame();
	EXPECT_EQ(g_glErrors.ErrorCount(), before + 2);
	g_glErrors.Stop();
	EXPECT_NE(Log().find("GL errors: " + std::to_string(before + 2)), std::string::npos) << Log();
}
} // namespace
