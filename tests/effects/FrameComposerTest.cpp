// The frame composer on a real GL context under a private X server.
#include "effects/FrameComposer.h"
#include "app/AppContext.h"
#include "render/Renderer.h"
#include "tests/support/SaverWindowOnXvfb.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace
{
int CentreBrightness()
{
	uint8_t pixel[3] = {};
	glReadBuffer(GL_BACK);
	glReadPixels(g_app.clientWidth / 2, g_app.clientHeight / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
	return pixel[0];
}

// A white picture under the veil: what shows through is 255 x (1 - fadeAlpha). llvmpipe keeps
// the back buffer over a swap, so the frame just shown is read from there.
TEST(FrameComposer, FadeInVeilLiftsOverTheFirstFrames)
{
	FixedStepTimeSource time(1.0f);
	g_app.clock.SetTimeSource(&time);
	SaverWindowOnXvfb screen;
	ASSERT_TRUE(screen.Open("veil", 320, 240));
	g_app.clock.Start();

	const uint8_t white[4] = {255, 255, 255, 255};
	GLuint picture = 0;
	glGenTextures(1, &picture);
	glBindTexture(GL_TEXTURE_2D, picture);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
	glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);

	std::vector<int> shown;
	for (int frame = 0; frame < 100; ++frame)
	{
		FrameComposer::QueueQuad(g_app, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, picture, GL_SRC_ALPHA,
		                         GL_ONE_MINUS_SRC_ALPHA);
		FrameComposer::RenderFrame(g_app);
		EXPECT_TRUE(g_app.screenQuads.empty()) << "the queue is emptied every frame";
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
	EXPECT_LE(g_app.fadeAlpha, 0.0f);

	screen.Close();
}

TEST(FrameComposer, CaptureTextureSizeFollowsTheDisplayHeight)
{
	EXPECT_EQ(CaptureSizeFor(1080), 1024);
	EXPECT_EQ(CaptureSizeFor(1024), 1024);
	EXPECT_EQ(CaptureSizeFor(1023), 512);
	EXPECT_EQ(CaptureSizeFor(600), 512);
	EXPECT_EQ(CaptureSizeFor(480), 256);
}
} // namespace
