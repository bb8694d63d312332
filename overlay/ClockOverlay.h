#pragma once

#include "core/Platform.h"
#include "render/Draw2D.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What is left until 00:00 on December 25 (from December 27 on, until 00:00 on January 1).
// The seconds run from 60 down to 1.
struct Countdown
{
	int32_t daysLeft = 0;
	int32_t hoursLeft = 0;
	int32_t minutesLeft = 0;
	int32_t secondsLeft = 0;
};

bool IsLeapYear(int year);
Countdown ComputeCountdown(const LocalTime& time);
// "07:05:09" with the 24-hour clock, "7:05:09 p.m." without it.
std::string ClockText(const LocalTime& time, bool clock24h);
// Days, hours, minutes and seconds, each at least two digits, apart by two, three and two spaces.
std::string CountdownText(const Countdown& countdown);

struct OverlayOptions
{
	bool showFps = false;
	bool showTime = true;
	bool clock24h = false;
	int fps = 0;
};

// The countdown, the holiday greetings, the digital clock and the frame rate, drawn over the
// room from small pictures: one per character, one per word.
class ClockOverlay
{
public:
	static constexpr int kSymbolCount = 16;
	static constexpr const char* kSymbols = "0123456789amp:. ";

	ClockOverlay() { FillSymbolIndex(); }

	// Loads every picture, in a fixed order, and fills the character table anew.
	void Load();
	void UpdateCountdown(const LocalTime& time);
	// The 2D pass of the frame, from the frame's local time, the settings and the frame rate.
	void Draw(const LocalTime& time, float fps);
	// (x, y) is the centre of the first character.
	void DrawText(float x, float y, const std::string& text);

	// The rectangles of one frame's overlay, in drawing order.
	void Layout(const LocalTime& time, const OverlayOptions& options, std::vector<ScreenQuad>& quads);
	void LayoutText(float x, float y, const std::string& text, std::vector<ScreenQuad>& quads);
	// A character outside the symbol set is entered into the table as "0".
	int SymbolIndex(char character);

	const Countdown& CurrentCountdown() const { return countdown; }

	uint32_t symbolTextures[kSymbolCount] = {};
	uint32_t countdownLabel = 0;
	uint32_t newYearCountdownLabel = 0;
	uint32_t remainingLabel = 0;
	uint32_t daysLabel = 0;
	uint32_t hoursLabel = 0;
	uint32_t minutesLabel = 0;
	uint32_t secondsLabel = 0;
	uint32_t dayLabel = 0;
	uint32_t hourLabel = 0;
	uint32_t minuteLabel = 0;
	uint32_t secondLabel = 0;
	uint32_t christmasGreeting = 0;
	uint32_t newYearGreeting = 0;

private:
	void FillSymbolIndex();
	// Draws and empties the queued rectangles; the vector keeps its storage between frames.
	void DrawQuads();
	void LayoutCountdown(const LocalTime& time, std::vector<ScreenQuad>& quads);

	std::map<char, int> symbolIndex;
	Countdown countdown;
	std::vector<ScreenQuad> frameQuads;
};

extern ClockOverlay g_clockOverlay;
