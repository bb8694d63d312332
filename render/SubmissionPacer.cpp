#include "render/SubmissionPacer.h"

#include <GL/glew.h>

#include <initializer_list>

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
	DropFences();
	trianglesInSlice = 0;
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
	trianglesInSlice = 0;
}

void SubmissionPacer::EndSlice()
{
	trianglesInSlice = 0;
	GLsync thisSlice = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
	// The flush starts the rasteriser on this slice while the next one is being submitted.
	glFlush();
	if (lastSlice != nullptr)
	{
		glClientWaitSync(static_cast<GLsync>(lastSlice), 0, kSliceWaitNanoseconds);
	}
	// Each rasteriser thread has signalled the last slice, so it let go of the fence before.
	if (sliceBeforeLast != nullptr)
	{
		glDeleteSync(static_cast<GLsync>(sliceBeforeLast));
	}
	sliceBeforeLast = lastSlice;
	lastSlice = thisSlice;
}

void SubmissionPacer::DropFences()
{
	for (void* fence : {lastSlice, sliceBeforeLast})
	{
		if (fence != nullptr)
		{
			glDeleteSync(static_cast<GLsync>(fence));
		}
	}
	lastSlice = nullptr;
	sliceBeforeLast = nullptr;
}
