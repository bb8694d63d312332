#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Xlib's types stay out of the tests that include this.
struct _XDisplay;
struct _XRRScreenResources;

// The gamma ramp on a screen's first CRTC, read or written through a connection of our own.
// Xvfb keeps a ramp only while some client stays connected, so a test holds one open.
class ScreenRamp
{
public:
	explicit ScreenRamp(const std::string& display);
	~ScreenRamp();
	ScreenRamp(const ScreenRamp&) = delete;
	ScreenRamp& operator=(const ScreenRamp&) = delete;

	// Red, green and blue entries one after the other; empty without a connection.
	std::vector<uint16_t> Read() const;
	// (i / 256)^exponent on all three channels.
	void WritePower(double exponent) const;

private:
	_XDisplay* connection;
	_XRRScreenResources* resources = nullptr;
};
