#include "render/SubmissionPacer.h"

#include <GL/glew.h>

SubmissionPacer g_submissionPacer;

namespace
{
constexpr int kSliceTriangles = 2000;
// A slice takes milliseconds; a driver that never signals must not stop the saver for good.
constexpr GLuint64 kSliceWaitNanoseconds = 1'000'000'000;
} // namespace

void SubmissionPacer::Init(bool driverHasFences)
{
	Release();
	active = driverHasFences;
}

void SubmissionPacer::Release()
{
	EndFrame();
	active = false;
}

void SubmissionPacer::CountTriangles(int triangles)
{
	if (!active)
	{
		return;
	}
	trianglesInSlice += triangles;
	if (trianglesInSlice >= kSliceTriangles)
	{
		EndSlice();
	}
}

void SubmissionPacer::EndFrame()
{
	DropPreviousSlice();
	trianglesInSlice = 0;
}

void SubmissionPacer::EndSlice()
{
	trianglesInSlice = 0;
	GLsync thisSlice = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
	// The flush starts the rasteriser on this slice while the next one is being submitted.
	glFlush();
	if (previousSlice != nullptr)
	{
		glClientWaitSync(static_cast<GLsync>(previousSlice), 0, kSliceWaitNanoseconds);
	}
	DropPreviousSlice();
	previousSlice = thisSlice;
}

void SubmissionPacer::DropPreviousSlice()
{
	if (previousSlice != nullptr)
	{
		glDeleteSync(static_cast<GLsync>(previousSlice));
		previousSlice = nullptr;
	}
}
