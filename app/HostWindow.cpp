#include "app/HostWindow.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace
{
// The host may destroy its window at any moment; a request on a window that is gone must not
// end the process the way Xlib's default handler would.
int g_hostXErrors = 0;

int CountHostXError(Display*, XErrorEvent*)
{
	++g_hostXErrors;
	return 0;
}

bool GlxAttribute(Display* display, XVisualInfo* visual, int attribute, int minimum)
{
	int value = 0;
	return glXGetConfig(display, visual, attribute, &value) == 0 && value >= minimum;
}
} // namespace

bool HostWindow::Open(uint32_t newWindow, const char*& error)
{
	display = XOpenDisplay(nullptr);
	if (display == nullptr)
	{
		error = "Cannot open the X display";
		return false;
	}
	XSetErrorHandler(CountHostXError);
	window = newWindow != 0 ? newWindow : static_cast<uint32_t>(DefaultRootWindow(display));
	const int errorsBefore = g_hostXErrors;
	XWindowAttributes attributes;
	if (XGetWindowAttributes(display, window, &attributes) == 0 || g_hostXErrors != errorsBefore)
	{
		error = "The host window does not exist";
		Close();
		return false;
	}
	if (!HasUsableVisual())
	{
		error = "The host window's visual has no double-buffered OpenGL with a depth buffer";
		Close();
		return false;
	}
	width = std::max(attributes.width, 1);
	height = std::max(attributes.height, 1);
	// Other clients (the host itself) keep their own selections on the window; this one is ours.
	XSelectInput(display, window, StructureNotifyMask);
	XSync(display, False);
	return true;
}

bool HostWindow::HasUsableVisual()
{
	XWindowAttributes attributes;
	if (XGetWindowAttributes(display, window, &attributes) == 0)
	{
		return false;
	}
	XVisualInfo wanted = {};
	wanted.visualid = XVisualIDFromVisual(attributes.visual);
	int count = 0;
	XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
	if (visual == nullptr)
	{
		return false;
	}
	const bool usable = GlxAttribute(display, visual, GLX_USE_GL, 1) &&
	                    GlxAttribute(display, visual, GLX_RGBA, 1) &&
	                    GlxAttribute(display, visual, GLX_DOUBLEBUFFER, 1) &&
	                    GlxAttribute(display, visual, GLX_DEPTH_SIZE, 16);
	XFree(visual);
	return usable;
}

void HostWindow::Close()
{
	if (display != nullptr)
	{
		XCloseDisplay(display);
	}
	display = nullptr;
	window = 0;
	gone = false;
}

bool HostWindow::SyncAndPoll()
{
	if (display != nullptr)
	{
		XSync(display, False);
	}
	return Poll();
}

bool HostWindow::Poll()
{
	bool resized = false;
	while (display != nullptr && XPending(display) > 0)
	{
		XEvent event;
		XNextEvent(display, &event);
		if (event.type == DestroyNotify && event.xdestroywindow.window == window)
		{
			gone = true;
		}
		else if (event.type == ConfigureNotify && event.xconfigure.window == window)
		{
			const int newWidth = std::max(event.xconfigure.width, 1);
			const int newHeight = std::max(event.xconfigure.height, 1);
			resized = resized || newWidth != width || newHeight != height;
			width = newWidth;
			height = newHeight;
		}
	}
	return resized;
}
