#include "app/PreviewWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <vector>

namespace
{
// The host may destroy its window at any moment, so requests on it can fail; such errors are
// counted instead of ending the process as Xlib's default handler would.
int g_xErrorCount = 0;

int CountXError(Display*, XErrorEvent*)
{
	++g_xErrorCount;
	return 0;
}

// Places an 8-bit channel value into the bits of a TrueColor visual's mask.
unsigned long PackChannel(uint8_t value, unsigned long mask)
{
	if (mask == 0)
	{
		return 0;
	}
	const int shift = std::countr_zero(mask);
	const int bits = std::popcount(mask);
	const unsigned long scaled =
	    bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
	return (scaled << shift) & mask;
}
} // namespace

bool PreviewWindow::Create(Display* newDisplay, unsigned long newParent, const DecodedImage& newPicture)
{
	XSetErrorHandler(CountXError);
	display = newDisplay;
	parent = newParent;
	picture = &newPicture;
	const int errorsBefore = g_xErrorCount;

	if (newPicture.pixels.empty())
	{
		return false;
	}
	XWindowAttributes parentAttributes;
	if (parent == 0 || XGetWindowAttributes(display, parent, &parentAttributes) == 0)
	{
		return false;
	}
	// Only a TrueColor visual takes the picture's colours as they are.
	if (parentAttributes.c_class != InputOutput || parentAttributes.visual->c_class != TrueColor)
	{
		return false;
	}
	// The parent's resizes and its destruction come to us as structure events.
	XSelectInput(display, parent, StructureNotifyMask);
	width = std::max(parentAttributes.width, 1);
	height = std::max(parentAttributes.height, 1);
	XSetWindowAttributes attributes = {};
	attributes.event_mask = StructureNotifyMask;
	window = XCreateWindow(display, parent, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
	                       0, CopyFromParent, InputOutput, CopyFromParent, CWEventMask, &attributes);
	XSync(display, False);
	if (g_xErrorCount != errorsBefore)
	{
		Release();
		return false;
	}
	ShowScaledPicture();
	XMapWindow(display, window);
	XSync(display, False);
	if (g_xErrorCount != errorsBefore)
	{
		Release();
		return false;
	}
	return true;
}

bool PreviewWindow::HandleEvent(const XEvent& event)
{
	if (event.type == DestroyNotify)
	{
		if (event.xdestroywindow.window == window)
		{
			window = 0; // already gone with its parent
		}
		return event.xdestroywindow.window != parent && window != 0;
	}
	if (event.type == ConfigureNotify && event.xconfigure.window == parent)
	{
		FitToParent(event.xconfigure.width, event.xconfigure.height);
	}
	return true;
}

void PreviewWindow::Release()
{
	if (display != nullptr && window != 0)
	{
		XDestroyWindow(display, window);
		XSync(display, False);
	}
	window = 0;
	display = nullptr;
}

void PreviewWindow::FitToParent(int newWidth, int newHeight)
{
	newWidth = std::max(newWidth, 1);
	newHeight = std::max(newHeight, 1);
	if (newWidth == width && newHeight == height)
	{
		return;
	}
	width = newWidth;
	height = newHeight;
	XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
	ShowScaledPicture();
}

// The picture, stretched to the window by nearest pixels, becomes the window's background, so
// the server itself repaints it on every exposure. Its rows come bottom row first.
void PreviewWindow::ShowScaledPicture()
{
	XWindowAttributes attributes;
	if (XGetWindowAttributes(display, window, &attributes) == 0)
	{
		return;
	}
	XImage* image =
	    XCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap, 0, nullptr,
	                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
	if (image == nullptr)
	{
		return;
	}
	std::vector<char> data(static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height));
	image->data = data.data();
	const Visual* visual = attributes.visual;
	for (int y = 0; y < height; ++y)
	{
		const int64_t pictureRow = picture->height - 1 - int64_t(y) * picture->height / height;
		const uint8_t* row =
		    &picture->pixels[static_cast<size_t>(pictureRow * picture->width * picture->channels)];
		for (int x = 0; x < width; ++x)
		{
			const uint8_t* rgb = row + int64_t(x) * picture->width / width * picture->channels;
			const unsigned long pixel = PackChannel(rgb[0], visual->red_mask) |
			                            PackChannel(rgb[1], visual->green_mask) |
			                            PackChannel(rgb[2], visual->blue_mask);
			XPutPixel(image, x, y, pixel);
		}
	}
	const Pixmap pixmap =
	    XCreatePixmap(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height),
	                  static_cast<unsigned>(attributes.depth));
	GC gc = XCreateGC(display, pixmap, 0, nullptr);
	XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width),
	          static_cast<unsigned>(height));
	XFreeGC(display, gc);
	// The server keeps the background while the window lives, so the pixmap can go at once.
	XSetWindowBackgroundPixmap(display, window, pixmap);
	XFreePixmap(display, pixmap);
	XClearWindow(display, window);
	image->data = nullptr; // the vector owns the pixels, not XDestroyImage
	XDestroyImage(image);
}
