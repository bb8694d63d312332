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
	// Drops the fences still held; the context must still be current.
	void Release();

	// After each draw call, with the number of triangles it drew.
	void CountTriangles(int triangles);
	// Just before the swap, which waits for the whole frame anyway: the next frame's first
	// slice starts there.
	void EndFrame();

private:
	void EndSlice();
	void DropFences();

	bool active = false;
	int trianglesInSlice = 0;
	// The fences after the last two slices: the driver's handles (GLsync), kept opaque so that
	// this header needs no GL headers. A fence is deleted only once the slice after it has been
	// drawn. llvmpipe's rasteriser threads still hold a fence's lock for a moment after a waiter
	// can see it signalled; deleted then, the driver may free it while they do, and their unlock
	// writes into freed heap memory (a crash in malloc minutes later).
	void* lastSlice = nullptr;
	void* sliceBeforeLast = nullptr;
};

extern SubmissionPacer g_submissionPacer;
