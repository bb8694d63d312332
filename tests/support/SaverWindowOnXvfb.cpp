#include "tests/support/SaverWindowOnXvfb.h"

#include "app/AppContext.h"
#include "app/LoadSequence.h"
#include "app/SaverWindow.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>

bool SaverWindowOnXvfb::Open(const char* title, int width, int height)
{
	xvfb = std::make_unique<XvfbServer>(std::max(width, 800), std::max(height, 600));
	setenv("DISPLAY", xvfb->Display().c_str(), 1);
	g_app.keepDisplay = true;
	g_app.screenWidth = width;
	g_app.screenHeight = height;
	g_app.colorBits = 32;
	window = CreateSaverWindow(title, width, height);
	if (window == nullptr)
	{
		return false;
	}
	StartRenderer(window);
	return true;
}

void SaverWindowOnXvfb::Close()
{
	ReleaseSaverWindow();
	DestroySaverWindow();
	window = nullptr;
	xvfb.reset();
}

uint32_t OnePixelTexture(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha)
{
	const uint8_t pixel[4] = {red, green, blue, alpha};
	GLuint texture = 0;
	glGenTextures(1, &texture);
	glBindTexture(GL_TEXTURE_2D, texture);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
	glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
	return texture;
}
