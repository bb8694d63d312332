// The preview inside a host's window, on a private X server: the picture is looked at in the
// host window's pixels, and the program is run for real against a host window of the test's.
#include "app/PreviewWindow.h"
#include "render/ImageDecoders.h"
#include "resources/Resources.h"
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>

#include <array>
#include <bit>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

namespace
{
using Rgb = std::array<int, 3>;

// The media store's start-up lines: the tests run where no Base/ folder exists.
const std::string kStartupLines = "Data.pak not found\r\nBase.rar not found\r\n";

// A top-level window of the test, standing in for the display settings' preview area.
class HostWindow
{
public:
	HostWindow(const std::string& displayName, int width, int height)
	{
		display = XOpenDisplay(displayName.c_str());
		if (display == nullptr)
		{
			throw std::runtime_error("no display " + displayName);
		}
		const int screen = DefaultScreen(display);
		window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
		                             static_cast<unsigned>(height), 0, BlackPixel(display, screen),
		                             BlackPixel(display, screen));
		XMapWindow(display, window);
		XSync(display, False);
	}
	~HostWindow()
	{
		Destroy();
		XCloseDisplay(display);
	}
	HostWindow(const HostWindow&) = delete;
	HostWindow& operator=(const HostWindow&) = delete;

	unsigned long Id() const { return window; }
	std::string IdText() const { return std::to_string(window); }
	void Resize(int width, int height)
	{
		XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
		XSync(display, False);
	}
	void Destroy()
	{
		if (window != 0)
		{
			XDestroyWindow(display, window);
			XSync(display, False);
			window = 0;
		}
	}

	// The colour the screen shows at one point of the window, child windows included.
	Rgb PixelAt(int x, int y) const
	{
		XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
		if (image == nullptr)
		{
			return {-1, -1, -1};
		}
		const unsigned long pixel = XGetPixel(image, 0, 0);
		const Rgb rgb = {Channel(pixel, image->red_mask), Channel(pixel, image->green_mask),
		                 Channel(pixel, image->blue_mask)};
		XDestroyImage(image);
		return rgb;
	}

private:
	static int Channel(unsigned long pixel, unsigned long mask)
	{
		return static_cast<int>(((pixel & mask) >> std::countr_zero(mask)) << (8 - std::popcount(mask)));
	}

	Display* display = nullptr;
	Window window = 0;
};

// The picture's colour at (x, y) of the host window, top row first, as nearest-pixel scaling
// may show it: any of the picture pixels next to the exact spot is accepted.
bool ShowsPictureAt(const HostWindow& host, int width, int height, const DecodedImage& picture, int x, int y)
{
	const Rgb shown = host.PixelAt(x, y);
	const int pictureX = static_cast<int>(int64_t(x) * picture.width / width);
	const int pictureY = picture.height - 1 - static_cast<int>(int64_t(y) * picture.height / height);
	for (int dy = -1; dy <= 1; ++dy)
	{
		for (int dx = -1; dx <= 1; ++dx)
		{
			const int px = std::clamp(pictureX + dx, 0, picture.width - 1);
			const int py = std::clamp(pictureY + dy, 0, picture.height - 1);
			const uint8_t* rgb = &picture.pixels[static_cast<size_t>((py * picture.width + px) * 3)];
			if (shown == Rgb{rgb[0], rgb[1], rgb[2]})
			{
				return true;
			}
		}
	}
	return false;
}

// Corners, edges and inner points of the host window all show the scaled picture.
void ExpectScaledPicture(const HostWindow& host, int width, int height, const DecodedImage& picture)
{
	for (const int x : {0, width / 5, width / 2, width * 4 / 5, width - 1})
	{
		for (const int y : {0, height / 5, height / 2, height * 4 / 5, height - 1})
		{
			EXPECT_TRUE(ShowsPictureAt(host, width, height, picture, x, y))
			    << "at " << x << "," << y << " of " << width << "x" << height;
		}
	}
}

// Four columns and two rows of distinct colours, bottom row first as the BMP decoder gives them.
DecodedImage GridPicture()
{
	DecodedImage picture;
	picture.channels = 3;
	picture.width = 4;
	picture.height = 2;
	for (int row = 0; row < 2; ++row)
	{
		for (int column = 0; column < 4; ++column)
		{
			const int topRow = 1 - row;
			picture.pixels.insert(picture.pixels.end(), {static_cast<uint8_t>(40 + column * 60),
			                                             static_cast<uint8_t>(30 + topRow * 150),
			                                             static_cast<uint8_t>(220 - column * 50)});
		}
	}
	return picture;
}

class PreviewWindowTest : public testing::Test
{
protected:
	void SetUp() override
	{
		display = XOpenDisplay(xvfb.Display().c_str());
		ASSERT_NE(display, nullptr);
	}
	void TearDown() override
	{
		preview.Release();
		if (display != nullptr)
		{
			XCloseDisplay(display);
		}
	}
	// Hands the preview its events until `condition` holds; false when the preview ended first
	// or the time ran out.
	bool PumpUntil(const std::function<bool()>& condition)
	{
		return WaitFor(
		           [&]
		           {
			           while (alive && XPending(display) > 0)
			           {
				           XEvent event;
				           XNextEvent(display, &event);
				           alive = preview.HandleEvent(event);
			           }
			           return !alive || condition();
		           }) &&
		       alive;
	}

	XvfbServer xvfb{640, 480};
	Display* display = nullptr;
	PreviewWindow preview;
	bool alive = true;
};

TEST_F(PreviewWindowTest, PictureFillsTheHostUprightAndFollowsItsSize)
{
	const DecodedImage picture = GridPicture();
	HostWindow host(xvfb.Display(), 200, 100);
	ASSERT_TRUE(preview.Create(display, host.Id(), picture));
	// Top left of the window shows the picture's top row, first column.
	ASSERT_TRUE(PumpUntil([&] { return host.PixelAt(10, 10) == Rgb{40, 30, 220}; }));
	ExpectScaledPicture(host, 200, 100, picture);
	EXPECT_EQ(host.PixelAt(199, 99), (Rgb{220, 180, 70}));

	host.Resize(333, 171);
	ASSERT_TRUE(PumpUntil([&] { return host.PixelAt(332, 170) == Rgb{220, 180, 70}; }));
	ExpectScaledPicture(host, 333, 171, picture);
}

TEST_F(PreviewWindowTest, RefusesWindowsThatAreNotThere)
{
	const DecodedImage picture = GridPicture();
	EXPECT_FALSE(preview.Create(display, 0, picture));
	EXPECT_FALSE(preview.Create(display, 0x3FFFFF, picture));
	HostWindow host(xvfb.Display(), 64, 48);
	EXPECT_FALSE(preview.Create(display, host.Id(), DecodedImage()));
}

// ---- the program itself ----

class PreviewProgramTest : public testing::Test
{
protected:
	Environment ProgramEnvironment() const
	{
		return {{"DISPLAY", xvfb.Display()},
		        {"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
		        {"GLIMMERHEARTH_LOG", log.string()}};
	}
	// Waits until the host window shows the preview picture over its black background.
	static bool WaitForPicture(const HostWindow& host, int width, int height)
	{
		return WaitFor([&] { return host.PixelAt(width / 2, height / 2) != Rgb{0, 0, 0}; });
	}

	XvfbServer xvfb{640, 480};
	TempDir dir;
	std::filesystem::path log = dir.Path() / "g.log";
};

TEST_F(PreviewProgramTest, ShowsThePreviewPictureAndEndsWithItsHostWindow)
{
	DecodedImage picture;
	ASSERT_TRUE(DecodeBmp(Resources::Find(ResourceId::kBitmap, ResourceId::kPreviewBitmap), picture));
	HostWindow host(xvfb.Display(), 300, 200);
	ChildProcess program({ProgramPath(), "/p", host.IdText()}, ProgramEnvironment());
	ASSERT_TRUE(WaitForPicture(host, 300, 200));
	ExpectScaledPicture(host, 300, 200, picture);
	EXPECT_EQ(ReadLog(log), kStartupLines + host.IdText() +
	                            "\r\nCreating window...\r\nWindow is create\r\nOpenGL initialized\r\n");

	host.Resize(160, 120);
	EXPECT_TRUE(WaitFor([&] { return ShowsPictureAt(host, 160, 120, picture, 159, 119); }));
	ExpectScaledPicture(host, 160, 120, picture);

	host.Destroy();
	const ProcessResult result = program.Wait(std::chrono::seconds(30));
	EXPECT_FALSE(result.timedOut);
	EXPECT_EQ(result.exitCode, 0) << result.output;
}

TEST_F(PreviewProgramTest, QuitSignalEndsThePreviewWithExitCodeZero)
{
	HostWindow host(xvfb.Display(), 120, 90);
	ChildProcess program({ProgramPath(), "/p", host.IdText()}, ProgramEnvironment());
	ASSERT_TRUE(WaitForPicture(host, 120, 90));
	program.Signal(SIGTERM);
	const ProcessResult result = program.Wait(std::chrono::seconds(30));
	EXPECT_EQ(result.exitCode, 0) << result.output;
	// Our window went with the process; the host window is intact.
	EXPECT_TRUE(WaitFor([&] { return host.PixelAt(60, 45) == Rgb{0, 0, 0}; }));
}

TEST_F(PreviewProgramTest, ZeroOrUnknownHandleFailsToCreateTheWindow)
{
	Environment noDisplay = ProgramEnvironment();
	noDisplay["DISPLAY"] = std::nullopt;
	ProcessResult result = RunProcess({ProgramPath(), "/p", "0"}, noDisplay);
	EXPECT_EQ(result.exitCode, 1) << result.output;
	EXPECT_EQ(ReadLog(log), kStartupLines + "0\r\nCreating window...\r\nCreate Window failed!\r\n");

	std::filesystem::remove(log);
	result = RunProcess({ProgramPath(), "/p", "4194303"}, ProgramEnvironment());
	EXPECT_EQ(result.exitCode, 1) << result.output;
	EXPECT_EQ(ReadLog(log), kStartupLines + "4194303\r\nCreating window...\r\nCreate Window failed!\r\n");
}
} // namespace
