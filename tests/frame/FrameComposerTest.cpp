// The frame composer on a real GL context under a private X server.
#include "frame/FrameComposer.h"
#include "app/AppContext.h"
#include "app/FrameLoop.h"
#include "app/SaverWindow.h"
#include "render/Draw2D.h"
#include "render/Renderer.h"
#include "tests/support/Process.h"
#include "tests/support/SaverWindowOnXvfb.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace
{
// The window layer keeps its display connection for the life of the process, so the suite
// shares one window.
class FrameComposerTest : public testing::Test
{
protected:
	static void SetUpTestSuite()
	{
		g_app.clock.SetTimeSource(&time);
		ASSERT_TRUE(screen.Open("composer", 320, 240));
	}
	static void TearDownTestSuite() { screen.Close(); }

	void SetUp() override
	{
		g_app.clock.Start();
		g_frameComposer.fadeClock = 0.0f;
		g_frameComposer.fadeAlpha = 1.0f;
		g_frameComposer.crossFadeAlpha = 0.0f;
	}

	static inline SaverWindowOnXvfb screen;
	static inline FixedStepTimeSource time{1.0f};
};

// The X server takes a moment to give a window its new size; the GL drawable follows it.
bool WaitForDrawableSize(int width, int height)
{
	return WaitFor(
	    [&]
	    {
		    SDL_PumpEvents();
		    int w = 0;
		    int h = 0;
		    SDL_GL_GetDrawableSize(g_app.window, &w, &h);
		    return w == width && h == height;
	    });
}

int CentreBrightness()
{
	uint8_t pixel[3] = {};
	glReadBuffer(GL_BACK);
	glReadPixels(g_app.clientWidth / 2, g_app.clientHeight / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
	return pixel[0];
}

// A white picture under the veil: what shows through is 255 x (1 - fadeAlpha). llvmpipe keeps
// the back buffer over a swap, so the frame just shown is read from there.
TEST_F(FrameComposerTest, FadeInVeilLiftsOverTheFirstFrames)
{
	GLuint picture = OnePixelTexture(255, 255, 255);

	std::vector<int> shown;
	for (int frame = 0; frame < 100; ++frame)
	{
		g_screenQuads.Queue({0.0f, 0.0f, 1.0f, 1.0f, picture}, 1.0f, 1.0f, 1.0f, 1.0f, GL_SRC_ALPHA,
		                    GL_ONE_MINUS_SRC_ALPHA);
		DrawSaverFrame();
		EXPECT_TRUE(g_screenQuads.Empty()) << "the queue is emptied every frame";
		shown.push_back(CentreBrightness());
	}
	// Fully black at first; after fadeClock passes 1 (two units) the veil falls 0.015 a unit.
	EXPECT_LE(shown[0], 1);
	EXPECT_LE(shown[2], 1);
	EXPECT_NEAR(shown[40], 255 * 0.015 * 38, 4);
	for (size_t frame = 1; frame < shown.size(); ++frame)
	{
		EXPECT_GE(shown[frame], shown[frame - 1]) << frame;
	}
	EXPECT_EQ(shown.back(), 255);
	EXPECT_LE(g_frameComposer.fadeAlpha, 0.0f);
	glDeleteTextures(1, &picture);
}

TEST(FrameComposer, CaptureSquareFollowsTheWindowAndStaysInsideIt)
{
	EXPECT_EQ(CaptureSizeFor(1920, 1080), 1024);
	EXPECT_EQ(CaptureSizeFor(1280, 1024), 1024);
	EXPECT_EQ(CaptureSizeFor(1280, 1023), 512);
	EXPECT_EQ(CaptureSizeFor(800, 600), 512);
	EXPECT_EQ(CaptureSizeFor(640, 480), 256);
	EXPECT_EQ(CaptureSizeFor(320, 256), 256);
	// A host's small window, a narrow one, and one with no height left.
	EXPECT_EQ(CaptureSizeFor(320, 240), 128);
	EXPECT_EQ(CaptureSizeFor(200, 150), 128);
	EXPECT_EQ(CaptureSizeFor(100, 700), 64);
	EXPECT_EQ(CaptureSizeFor(640, 0), 1);
}

int CaptureTextureWidth()
{
	GLint width = 0;
	glBindTexture(GL_TEXTURE_2D, g_frameComposer.capture.texture);
	glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
	return width;
}

// Whatever the capture texture held before a cut, white here, must be gone from the frozen frame:
// a square larger than the window would copy from outside the frame and keep the old rows.
bool FrozenFrameShowsOnlyTheFrame()
{
	const std::vector<uint8_t> white(
	    static_cast<size_t>(g_frameComposer.capture.size) * g_frameComposer.capture.size * 3, 255);
	glBindTexture(GL_TEXTURE_2D, g_frameComposer.capture.texture);
	glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, g_frameComposer.capture.size, g_frameComposer.capture.size,
	                GL_RGB, GL_UNSIGNED_BYTE, white.data());
	g_frameComposer.fadeClock = 2.0f;
	g_frameComposer.fadeAlpha = 0.0f;
	g_frameComposer.captureRequested = true;
	DrawSaverFrame();
	// The room is empty: the frame is the black clear, and so must the frozen frame over it be. Rows
	// of the texture above the window's height would show at the top of the screen; the overlay
	// draws at the bottom, so the upper half is read.
	const int rows = g_app.clientHeight / 2;
	std::vector<uint8_t> frame(static_cast<size_t>(g_app.clientWidth) * rows * 3);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glReadBuffer(GL_BACK);
	glReadPixels(0, g_app.clientHeight - rows, g_app.clientWidth, rows, GL_RGB, GL_UNSIGNED_BYTE,
	             frame.data());
	return std::all_of(frame.begin(), frame.end(), [](uint8_t value) { return value < 8; });
}

TEST_F(FrameComposerTest, FrozenFrameIsTakenFromInsideTheWindowAsItChanges)
{
	// The first frame is followed by the unseen rehearsal, which draws into the back buffer.
	DrawSaverFrame();
	EXPECT_EQ(g_frameComposer.capture.size, 128) << "a 320 x 240 window";
	EXPECT_EQ(CaptureTextureWidth(), 128);
	EXPECT_TRUE(FrozenFrameShowsOnlyTheFrame()) << "320 x 240";

	// The window shrinks, as a host's may.
	SDL_SetWindowSize(g_app.window, 160, 90);
	ASSERT_TRUE(WaitForDrawableSize(160, 90));
	FitViewportToWindow(160, 90);
	EXPECT_EQ(g_frameComposer.capture.size, 64);
	EXPECT_EQ(CaptureTextureWidth(), 64);
	EXPECT_TRUE(FrozenFrameShowsOnlyTheFrame()) << "160 x 90";
	EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

	SDL_SetWindowSize(g_app.window, 320, 240);
	ASSERT_TRUE(WaitForDrawableSize(320, 240));
	FitViewportToWindow(320, 240);
	EXPECT_EQ(CaptureTextureWidth(), 128);
}
} // namespace
