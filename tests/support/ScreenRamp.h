#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A gamma ramp on the screen's first CRTC, read or written through a connection of the test's
// own. Xvfb keeps a ramp only while some client stays connected, so the object holds one open.
class ScreenRamp
{
public:
	explicit ScreenRamp(const std::string& display);
	~ScreenRamp();
	ScreenRamp(const ScreenRamp&) = delete;
	ScreenRamp& operator=(const ScreenRamp&) = delete;

	// Red, green and blue, one after the other.
	std::vector<uint16_t> Read() const;
	// The ramp (i / 256) ^ exponent x 65536 in every channel.
	void WritePower(double exponent) const;

private:
	// Xlib's types, named without its header and its macros.
	struct _XDisplay* connection;
	struct _XRRScreenResources* resources = nullptr;
};

// The saver is running and has set the gamma of the default setting: the linear ramp i x 256.
bool SaverRampIsUp(const ScreenRamp& screen);
