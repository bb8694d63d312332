#include "app/DisplayGamma.h"

#include "core/Platform.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <vector>

namespace
{
// The ramps found before the saver changed anything, one per CRTC, at the CRTC's own size.
struct SavedCrtcRamp
{
	RRCrtc crtc = 0;
	XRRCrtcGamma* ramp = nullptr;
};
std::vector<SavedCrtcRamp> s_savedRamps;
bool s_saved = false;

Display* X11DisplayOf(SDL_Window* window)
{
	SDL_SysWMinfo info;
	SDL_VERSION(&info.version);
	if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
	{
		return nullptr;
	}
	return info.info.x11.display;
}

void SaveCrtcRamps(Display* display)
{
	if (s_saved)
	{
		return;
	}
	s_saved = true;
	int eventBase = 0;
	int errorBase = 0;
	if (!XRRQueryExtension(display, &eventBase, &errorBase))
	{
		return;
	}
	XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
	if (resources == nullptr)
	{
		return;
	}
	for (int i = 0; i < resources->ncrtc; ++i)
	{
		const RRCrtc crtc = resources->crtcs[i];
		if (XRRGetCrtcGammaSize(display, crtc) <= 0)
		{
			continue;
		}
		if (XRRCrtcGamma* ramp = XRRGetCrtcGamma(display, crtc))
		{
			s_savedRamps.push_back({crtc, ramp});
		}
	}
	XRRFreeScreenResources(resources);
}

// CRTC ramps have 256 entries on most cards, but 1024 or more on some; ramps of other sizes are
// sampled entry by entry.
int ScaleIndex(int index, int fromSize, int toSize)
{
	return static_cast<int>(int64_t{index} * toSize / fromSize);
}
} // namespace

bool ReadDisplayRamp(SDL_Window* window, GammaRamp& ramp)
{
	// A Wayland compositor has no ramp to give; the one XWayland shows its clients is not the
	// screen's.
	if (Sys_IsWaylandDesktop())
	{
		return false;
	}
	Display* display = X11DisplayOf(window);
	if (display == nullptr)
	{
		return SDL_GetWindowGammaRamp(window, ramp.red, ramp.green, ramp.blue) == 0;
	}
	SaveCrtcRamps(display);
	if (s_savedRamps.empty())
	{
		return false;
	}
	XRRCrtcGamma* current = XRRGetCrtcGamma(display, s_savedRamps.front().crtc);
	if (current == nullptr || current->size <= 0)
	{
		return false;
	}
	for (int i = 0; i < 256; ++i)
	{
		const int source = ScaleIndex(i, 256, current->size);
		ramp.red[i] = current->red[source];
		ramp.green[i] = current->green[source];
		ramp.blue[i] = current->blue[source];
	}
	XRRFreeGamma(current);
	return true;
}

void WriteDisplayRamp(SDL_Window* window, const GammaRamp& ramp)
{
	if (Sys_IsWaylandDesktop())
	{
		return;
	}
	Display* display = X11DisplayOf(window);
	if (display == nullptr)
	{
		SDL_SetWindowGammaRamp(window, ramp.red, ramp.green, ramp.blue);
		return;
	}
	SaveCrtcRamps(display);
	for (const SavedCrtcRamp& saved : s_savedRamps)
	{
		const int size = saved.ramp->size;
		XRRCrtcGamma* scaled = XRRAllocGamma(size);
		for (int i = 0; i < size; ++i)
		{
			const int source = ScaleIndex(i, size, 256);
			scaled->red[i] = ramp.red[source];
			scaled->green[i] = ramp.green[source];
			scaled->blue[i] = ramp.blue[source];
		}
		XRRSetCrtcGamma(display, saved.crtc, scaled);
		XRRFreeGamma(scaled);
	}
	XSync(display, False);
}

void RestoreDisplayRamps(SDL_Window* window)
{
	Display* display = X11DisplayOf(window);
	for (SavedCrtcRamp& saved : s_savedRamps)
	{
		if (display != nullptr)
		{
			XRRSetCrtcGamma(display, saved.crtc, saved.ramp);
		}
		XRRFreeGamma(saved.ramp);
	}
	if (display != nullptr)
	{
		XSync(display, False);
	}
	s_savedRamps.clear();
	s_saved = false;
}
