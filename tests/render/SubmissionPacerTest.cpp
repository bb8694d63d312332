// The pacer on the real software rasteriser under a private X server: a frame of many small
// triangles in view, drawn once with the pacer and once without, must look the same, and the
// driver must hold a few slices of it at a time instead of all of it.
#include "render/SubmissionPacer.h"
#include "tests/support/SaverWindowOnXvfb.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstddef>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GLIMMER_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define GLIMMER_ADDRESS_SANITIZER 1
#endif

namespace
{
constexpr int kScreen = 256;
constexpr int kTrianglesPerDraw = 500;
constexpr int kDraws = 120;

// Triangles over the whole screen, large enough to keep the rasteriser busier than the binning
// (a pacer that let it fall behind would show), each in its own shade, so that a lost or doubled
// draw shows in the picture.
std::vector<float> TriangleField()
{
	std::vector<float> vertices; // x, y, grey
	const int total = kTrianglesPerDraw * kDraws;
	for (int i = 0; i < total; ++i)
	{
		const float x = static_cast<float>((i * 7) % kScreen);
		const float y = static_cast<float>((i / (kScreen / 7)) % kScreen);
		const float grey = static_cast<float>(i % 251) / 250.0f;
		const float corners[3][2] = {{x, y}, {x + 40.0f, y}, {x, y + 40.0f}};
		for (const auto& corner : corners)
		{
			vertices.insert(vertices.end(), {corner[0], corner[1], grey});
		}
	}
	return vertices;
}

class SubmissionPacerOnContext : public ::testing::Test
{
protected:
	static void SetUpTestSuite() { ASSERT_TRUE(screen.Open("pacer", kScreen, kScreen)); }

	static void TearDownTestSuite() { screen.Close(); }

	void SetUp() override
	{
		ASSERT_TRUE(screen.IsOpen());
		ASSERT_TRUE(GLEW_ARB_sync) << "llvmpipe has fences";
		const std::vector<float> vertices = TriangleField();
		glGenBuffersARB(1, &buffer);
		glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
		glBufferDataARB(GL_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(vertices.size() * sizeof(float)),
		                vertices.data(), GL_STATIC_DRAW_ARB);
		glViewport(0, 0, kScreen, kScreen);
		glMatrixMode(GL_PROJECTION);
		glLoadIdentity();
		glOrtho(0.0, kScreen, 0.0, kScreen, -1.0, 1.0);
		glMatrixMode(GL_MODELVIEW);
		glLoadIdentity();
		glDisable(GL_DEPTH_TEST);
		glDisable(GL_TEXTURE_2D);
		glDisable(GL_LIGHTING);
		glDisable(GL_CULL_FACE);
		glEnable(GL_BLEND);
		glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
		glEnableClientState(GL_VERTEX_ARRAY);
		glVertexPointer(2, GL_FLOAT, 3 * sizeof(float), nullptr);
		glFinish();
	}

	void TearDown() override
	{
		glDisableClientState(GL_VERTEX_ARRAY);
		glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
		glDeleteBuffersARB(1, &buffer);
		g_submissionPacer.Init(true);
	}

	struct Frame
	{
		std::vector<uint8_t> pixels;
		// Heap memory taken while the frame was submitted and not yet finished.
		ptrdiff_t heldBytes = 0;
	};

	// Every triangle drawn half transparent in its own grey, so that the order of the draws and
	// the count of each one are in the picture.
	static Frame DrawFrame()
	{
		glClearColor(0.2f, 0.1f, 0.3f, 1.0f);
		glClear(GL_COLOR_BUFFER_BIT);
		glFinish();
		const size_t before = mallinfo2().uordblks;
		for (int draw = 0; draw < kDraws; ++draw)
		{
			const float grey = static_cast<float>(draw % 11) / 10.0f;
			glColor4f(grey, 1.0f - grey, 0.5f, 0.5f);
			glDrawArrays(GL_TRIANGLES, draw * kTrianglesPerDraw * 3, kTrianglesPerDraw * 3);
			g_submissionPacer.CountTriangles(kTrianglesPerDraw);
		}
		Frame frame;
		frame.heldBytes = static_cast<ptrdiff_t>(mallinfo2().uordblks) - static_cast<ptrdiff_t>(before);
		g_submissionPacer.EndFrame();
		frame.pixels.resize(kScreen * kScreen * 4);
		glReadPixels(0, 0, kScreen, kScreen, GL_RGBA, GL_UNSIGNED_BYTE, frame.pixels.data());
		return frame;
	}

	static SaverWindowOnXvfb screen;
	GLuint buffer = 0;
};

SaverWindowOnXvfb SubmissionPacerOnContext::screen;

TEST_F(SubmissionPacerOnContext, SlicesKeepThePictureAndTheDriversMemorySmall)
{
	g_submissionPacer.Init(false);
	DrawFrame(); // the driver's first use of this state, out of the measurement
	const Frame whole = DrawFrame();
	g_submissionPacer.Init(true);
	DrawFrame();
	const Frame sliced = DrawFrame();

	EXPECT_EQ(sliced.pixels, whole.pixels) << "slicing the frame changed the picture";
#ifdef GLIMMER_ADDRESS_SANITIZER
	GTEST_SKIP() << "the sanitizer's allocator keeps freed memory aside, so the heap's use says nothing";
#else
	// 60,000 triangles: the driver holds all of them unsliced (about 18 MB), two or three slices
	// of 2,000 sliced.
	EXPECT_GT(whole.heldBytes, 8 << 20) << "the frame is too light to tell anything";
	EXPECT_LT(sliced.heldBytes, 2 << 20) << "unsliced the driver held " << whole.heldBytes << " bytes";
	EXPECT_LT(sliced.heldBytes * 8, whole.heldBytes);
#endif
}
} // namespace
