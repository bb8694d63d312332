#pragma once

#include "tests/support/Xvfb.h"

#include <cstdint>
#include <memory>

struct SDL_Window;

// A private X server with the saver's own window and renderer on it, for suites that draw in
// this process. The window layer keeps its display connection for the life of the process, so a
// suite opens one in SetUpTestSuite and shares it between its tests.
class SaverWindowOnXvfb
{
public:
	// A window of width × height pixels on a larger screen; false when it could not be made.
	bool Open(const char* title, int width, int height);
	void Close();

	bool IsOpen() const { return window != nullptr; }

private:
	std::unique_ptr<XvfbServer> xvfb;
	SDL_Window* window = nullptr;
};

// A texture of one pixel of the given colour, sampled as it is, in the current context.
uint32_t OnePixelTexture(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255);
