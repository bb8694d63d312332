#include "tests/support/ScreenRamp.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>

ScreenRamp::ScreenRamp(const std::string& display) : connection(XOpenDisplay(display.c_str()))
{
	resources = XRRGetScreenResourcesCurrent(connection, DefaultRootWindow(connection));
}

ScreenRamp::~ScreenRamp()
{
	XRRFreeScreenResources(resources);
	XCloseDisplay(connection);
}

std::vector<uint16_t> ScreenRamp::Read() const
{
	XRRCrtcGamma* gamma = XRRGetCrtcGamma(connection, resources->crtcs[0]);
	std::vector<uint16_t> ramp(gamma->red, gamma->red + gamma->size);
	ramp.insert(ramp.end(), gamma->green, gamma->green + gamma->size);
	ramp.insert(ramp.end(), gamma->blue, gamma->blue + gamma->size);
	XRRFreeGamma(gamma);
	return ramp;
}

void ScreenRamp::WritePower(double exponent) const
{
	const int size = XRRGetCrtcGammaSize(connection, resources->crtcs[0]);
	XRRCrtcGamma* gamma = XRRAllocGamma(size);
	for (int i = 0; i < size; ++i)
	{
		const auto v = static_cast<uint16_t>(std::min(65535.0, std::pow(i / 256.0, exponent) * 65536.0));
		gamma->red[i] = gamma->green[i] = gamma->blue[i] = v;
	}
	XRRSetCrtcGamma(connection, resources->crtcs[0], gamma);
	XRRFreeGamma(gamma);
	XSync(connection, False);
}

bool SaverRampIsUp(const ScreenRamp& screen)
{
	const auto ramp = screen.Read();
	return ramp[1] == 256 && ramp[128] == 32768 && ramp[255] == 65280;
}
