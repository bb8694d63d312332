#include "tests/support/XScreen.h"

#include "tests/support/Process.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <utility>

XScreen::XScreen(const std::string& name) : display(XOpenDisplay(name.c_str())) {}

XScreen::~XScreen()
{
	if (display != nullptr)
	{
		XCloseDisplay(display);
	}
}

unsigned long XScreen::Root() const
{
	return DefaultRootWindow(display);
}

namespace
{
// The top bits of a pixel's channel under its mask, as an 8-bit value.
uint8_t Channel(unsigned long pixel, unsigned long mask)
{
	if (mask == 0)
	{
		return 0;
	}
	int shift = 0;
	while (((mask >> shift) & 1u) == 0)
	{
		++shift;
	}
	const unsigned long maximum = mask >> shift;
	return static_cast<uint8_t>(((pixel & mask) >> shift) * 255u / maximum);
}

// A window that goes away while it is read must not end the test program.
int IgnoreXError(Display*, XErrorEvent*)
{
	return 0;
}
} // namespace

RgbImage XScreen::Grab(unsigned long window, int x, int y, int width, int height) const
{
	RgbImage picture;
	if (display == nullptr || width <= 0 || height <= 0)
	{
		return picture;
	}
	XSync(display, False);
	auto* previous = XSetErrorHandler(IgnoreXError);
	XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width),
	                          static_cast<unsigned>(height), AllPlanes, ZPixmap);
	XSync(display, False);
	XSetErrorHandler(previous);
	if (image == nullptr)
	{
		return picture;
	}
	picture.width = width;
	picture.height = height;
	picture.rgb.reserve(static_cast<size_t>(width) * height * 3);
	for (int row = 0; row < height; ++row)
	{
		for (int column = 0; column < width; ++column)
		{
			const unsigned long pixel = XGetPixel(image, column, row);
			picture.rgb.push_back(Channel(pixel, image->red_mask));
			picture.rgb.push_back(Channel(pixel, image->green_mask));
			picture.rgb.push_back(Channel(pixel, image->blue_mask));
		}
	}
	XDestroyImage(image);
	return picture;
}

bool XScreen::ShowsNewFrames(int count) const
{
	const int width = DisplayWidth(display, DefaultScreen(display));
	const int height = DisplayHeight(display, DefaultScreen(display));
	const auto look = [&] { return GrabRoot(width / 4, height / 4, width / 2, height / 2); };
	RgbImage seen = look();
	for (int frame = 0; frame < count; ++frame)
	{
		const bool changed = WaitFor(
		    [&]
		    {
			    RgbImage now = look();
			    const bool isNew = now.rgb != seen.rgb;
			    seen = std::move(now);
			    return isNew;
		    },
		    std::chrono::seconds(60));
		if (!changed)
		{
			return false;
		}
	}
	return true;
}

double LitShare(const RgbImage& picture)
{
	const size_t pixels = picture.rgb.size() / 3;
	size_t lit = 0;
	for (size_t i = 0; i + 2 < picture.rgb.size(); i += 3)
	{
		lit += (picture.rgb[i] | picture.rgb[i + 1] | picture.rgb[i + 2]) != 0 ? 1 : 0;
	}
	return pixels > 0 ? static_cast<double>(lit) / static_cast<double>(pixels) : 0.0;
}

int WhitePixels(const RgbImage& picture)
{
	int white = 0;
	for (size_t i = 0; i + 2 < picture.rgb.size(); i += 3)
	{
		white += (picture.rgb[i] & picture.rgb[i + 1] & picture.rgb[i + 2]) == 255 ? 1 : 0;
	}
	return white;
}
