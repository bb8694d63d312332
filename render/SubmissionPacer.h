#pragma once

// Hands the driver each frame in slices of a few thousand triangles and lets it run at most one
// slice ahead of the one being submitted.
//
// A software rasteriser (Mesa's llvmpipe) sorts every triangle it is given into screen tiles and
// keeps them in memory until it has drawn them. Given a whole frame at once it holds the whole
// frame's triangles, several megabytes in the fuller views of the room, and the heap keeps the
// size of the fullest view drawn so far: the process grows by megabytes minutes into a run,
// whenever the flights first reach a fuller view. In slices, what it holds is two slices' worth
// whatever the view shows. A graphics card finishes a slice long before the next one is ready,
// so the wait costs it nothing.
class SubmissionPacer
{
public:
	// On the current context, once GLEW is up: without fences (GL_ARB_sync) every call is a no-op.
	void Init(bool driverHasFences);
	// Drops the fence still waited on; the context must still be current.
	void Release();

	// After each draw call, with the number of triangles it drew.
	void CountTriangles(int triangles);
	// Just before the swap, which waits for the whole frame anyway.
	void EndFrame();

private:
	void EndSlice();
	void DropPreviousSlice();

	bool active = false;
	int trianglesInSlice = 0;
	// The fence after the slice before the current one; the driver's handle (GLsync), kept
	// opaque so that this header needs no GL headers.
	void* previousSlice = nullptr;
};

extern SubmissionPacer g_submissionPacer;
