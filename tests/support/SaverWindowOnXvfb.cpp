#include "tests/support/SaverWindowOnXvfb.h"

#include "app/AppContext.h"
#include "app/LoadSequence.h"
#include "app/SaverWindow.h"

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
