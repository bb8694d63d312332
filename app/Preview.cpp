#include "app/CommandLine.h"
#include "app/Entry.h"
#include "app/PreviewWindow.h"
#include "core/LogFile.h"
#include "core/RunMode.h"
#include "render/ImageDecoders.h"
#include "resources/Resources.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace
{
// A lost connection to the display means the host and its window are gone: the preview ends
// as it does on a quit.
int EndOnLostDisplay(Display*)
{
	std::exit(static_cast<int>(ExitStatus::Normal));
}

Display* OpenPreviewDisplay()
{
	Display* display = XOpenDisplay(nullptr);
	if (display == nullptr)
	{
		std::fprintf(stderr, "glimmerhearth: the preview needs a display, and none could be opened.\n");
	}
	return display;
}

// The picture of the preview is linked in as a bitmap resource.
bool DecodePreviewPicture(DecodedImage& picture)
{
	return DecodeBmp(Resources::Find(ResourceId::kBitmap, ResourceId::kPreviewBitmap), picture);
}

void RunPreviewLoop(Display* display, PreviewWindow& preview)
{
	while (GetRunMode() == RunMode::Preview)
	{
		if (XPending(display) > 0)
		{
			XEvent event;
			XNextEvent(display, &event);
			// The host destroying its window ends the preview, like a close.
			if (!preview.HandleEvent(event))
			{
				SetRunMode(RunMode::Quit);
			}
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(1));
	}
}
} // namespace

// The handle from /p is the X window id of the host's preview area.
void RunPreview()
{
	g_logFile.WriteLine("", g_parentWindowHandle);
	Display* display = g_parentWindowHandle != 0 ? OpenPreviewDisplay() : nullptr;
	PreviewWindow preview;
	DecodedImage picture;
	bool created = false;
	if (display != nullptr)
	{
		XSetIOErrorHandler(EndOnLostDisplay);
		// A picture that cannot be decoded leaves nothing to show: that counts as a failed window.
		created = DecodePreviewPicture(picture) && preview.Create(display, g_parentWindowHandle, picture);
	}
	g_logFile.WriteLine("Creating window...");
	if (!created)
	{
		g_logFile.WriteLine("Create Window failed!");
		NoteModeFailed();
		if (display != nullptr)
		{
			XCloseDisplay(display);
		}
		return;
	}
	g_logFile.WriteLine("Window is create");
	g_logFile.WriteLine("OpenGL initialized");
	RunPreviewLoop(display, preview);
	preview.Release();
	XCloseDisplay(display);
	std::exit(static_cast<int>(ExitStatus::Normal));
}
