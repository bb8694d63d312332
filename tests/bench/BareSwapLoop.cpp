// gh_bare_loop: the floor the saver's frame is measured against. A window with the saver's GL
// attributes that only clears and swaps.
//
//   gh_bare_loop <width> <height> <frames>
//
// Prints "frames N seconds S fps F" over the frames after the first, as the saver's --report does.

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
	if (argc != 4)
	{
		std::fprintf(stderr, "usage: gh_bare_loop <width> <height> <frames>\n");
		return 2;
	}
	const int width = std::atoi(argv[1]);
	const int height = std::atoi(argv[2]);
	const int frames = std::atoi(argv[3]);
	// An X connection fails now and then on a busy server; SDL must not fall back to drawing
	// off screen, which would make the floor meaningless.
	SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
	bool started = false;
	for (int attempt = 0; attempt < 5 && !started; ++attempt)
	{
		started = SDL_Init(SDL_INIT_VIDEO) == 0;
	}
	if (!started || width <= 0 || height <= 0 || frames < 2)
	{
		std::fprintf(stderr, "gh_bare_loop: %s\n", SDL_GetError());
		return 1;
	}
	SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
	SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
	SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
	SDL_Window* window = SDL_CreateWindow("bare", 0, 0, width, height,
	                                      SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN);
	SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
	if (context == nullptr)
	{
		std::fprintf(stderr, "gh_bare_loop: %s\n", SDL_GetError());
		return 1;
	}
	Uint64 start = 0;
	for (int frame = 1; frame <= frames; ++frame)
	{
		SDL_Event event;
		while (SDL_PollEvent(&event))
		{
		}
		glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
		glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
		if (frame == 1)
		{
			start = SDL_GetPerformanceCounter();
		}
		SDL_GL_SwapWindow(window);
	}
	const double seconds = static_cast<double>(SDL_GetPerformanceCounter() - start) /
	                       static_cast<double>(SDL_GetPerformanceFrequency());
	std::printf("frames %d seconds %.3f fps %.1f\n", frames - 1, seconds, (frames - 1) / seconds);
	SDL_GL_DeleteContext(context);
	SDL_DestroyWindow(window);
	SDL_Quit();
	return 0;
}
