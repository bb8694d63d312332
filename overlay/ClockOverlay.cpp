#include "overlay/ClockOverlay.h"

#include "render/Draw2D.h"
#include "render/TextureManager.h"
#include "settings/Settings.h"

#include <GL/glew.h>

ClockOverlay g_clockOverlay;

namespace
{
constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// December 25 is this many days before the end of the year, counting the 25th itself.
constexpr int kDaysAfterChristmasEve = 7;

constexpr const char* kSymbolFiles[ClockOverlay::kSymbolCount] = {
    "tex_sym_0", "tex_sym_1",     "tex_sym_2",     "tex_sym_3",    "tex_sym_4", "tex_sym_5",
    "tex_sym_6", "tex_sym_7",     "tex_sym_8",     "tex_sym_9",    "tex_sym_a", "tex_sym_m",
    "tex_sym_p", "tex_sym_colon", "tex_sym_point", "tex_sym_space"};

// Character cells: symbols are 0.0425 apart; a point takes a narrower cell, tucked to the left.
constexpr float kSymbolAdvance = 0.0425f;
constexpr float kPointShift = 0.03125f;
constexpr float kSymbolHalfWidth = 0.04f;
constexpr float kSymbolHalfHeight = 0.053f;

int DaysBeforeMonth(int year, int month)
{
	int days = 0;
	for (int m = 1; m < month && m <= 12; ++m)
	{
		days += kDaysInMonth[m - 1] + (m == 2 && IsLeapYear(year) ? 1 : 0);
	}
	return days;
}

std::string TwoDigits(int value)
{
	return (value < 10 ? "0" : "") + std::to_string(value);
}

uint32_t LoadPicture(const char* name)
{
	return g_textures.Get("Overlay", std::string("Textures/") + name + ".tga");
}

// Zero and one take the singular picture.
uint32_t UnitLabel(int value, uint32_t singular, uint32_t plural)
{
	return value <= 1 ? singular : plural;
}
} // namespace

bool IsLeapYear(int year)
{
	return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

Countdown ComputeCountdown(const LocalTime& time)
{
	const int yearLength = IsLeapYear(time.year) ? 366 : 365;
	Countdown countdown;
	countdown.daysLeft =
	    yearLength - time.day - DaysBeforeMonth(time.year, time.month) - kDaysAfterChristmasEve;
	if (countdown.daysLeft < 0)
	{
		countdown.daysLeft = 0;
	}
	countdown.hoursLeft = 23 - time.hour;
	countdown.minutesLeft = 59 - time.minute;
	countdown.secondsLeft = 60 - time.second;
	// After Christmas the count runs to 00:00 on January 1.
	if (time.month == 12 && time.day > 26)
	{
		countdown.daysLeft = 31 - time.day;
	}
	return countdown;
}

std::string ClockText(const LocalTime& time, bool clock24h)
{
	int hour = time.hour;
	std::string suffix;
	if (!clock24h)
	{
		suffix = hour > 11 ? " p.m." : " a.m.";
		// 12 stays 12 and 0 stays 0.
		if (hour > 12)
		{
			hour -= 12;
		}
	}
	const std::string hourText = clock24h ? TwoDigits(hour) : std::to_string(hour);
	return hourText + ":" + TwoDigits(time.minute) + ":" + TwoDigits(time.second) + suffix;
}

std::string CountdownText(const Countdown& countdown)
{
	return TwoDigits(countdown.daysLeft) + "  " + TwoDigits(countdown.hoursLeft) + "   " +
	       TwoDigits(countdown.minutesLeft) + "  " + TwoDigits(countdown.secondsLeft);
}

void ClockOverlay::Load()
{
	for (int i = 0; i < kSymbolCount; ++i)
	{
		symbolTextures[i] = LoadPicture(kSymbolFiles[i]);
	}
	countdownLabel = LoadPicture("tex_countdown");
	newYearCountdownLabel = LoadPicture("tex_countdown2");
	remainingLabel = LoadPicture("tex_remaining");
	daysLabel = LoadPicture("tex_days");
	hoursLabel = LoadPicture("tex_hours");
	minutesLabel = LoadPicture("tex_mins");
	secondsLabel = LoadPicture("tex_secs");
	dayLabel = LoadPicture("tex_day");
	hourLabel = LoadPicture("tex_hour");
	minuteLabel = LoadPicture("tex_min");
	secondLabel = LoadPicture("tex_sec");
	christmasGreeting = LoadPicture("tex_mc");
	newYearGreeting = LoadPicture("tex_hny");
	FillSymbolIndex();
}

void ClockOverlay::FillSymbolIndex()
{
	symbolIndex.clear();
	for (int i = 0; i < kSymbolCount; ++i)
	{
		symbolIndex[kSymbols[i]] = i;
	}
}

int ClockOverlay::SymbolIndex(char character)
{
	// An unknown character is entered with index 0 and from then on drawn as "0".
	return symbolIndex[character];
}

void ClockOverlay::UpdateCountdown(const LocalTime& time)
{
	countdown = ComputeCountdown(time);
}

void ClockOverlay::LayoutText(float x, float y, const std::string& text, std::vector<ScreenQuad>& quads)
{
	float cursor = 0.0f;
	for (const char character : text)
	{
		const float shift = character == '.' ? kPointShift : 0.0f;
		quads.push_back({x + cursor - shift, y, kSymbolHalfWidth, kSymbolHalfHeight,
		                 symbolTextures[SymbolIndex(character)]});
		cursor += kSymbolAdvance - 0.6f * shift;
	}
}

void ClockOverlay::LayoutCountdown(const LocalTime& time, std::vector<ScreenQuad>& quads)
{
	// Three-digit day counts start further left so the columns stay over their labels.
	const float textX = countdown.daysLeft > 99 ? -0.98f : -0.94f;
	LayoutText(textX, -0.87f, CountdownText(countdown), quads);

	const bool toNewYear = time.month == 12 && time.day > 26;
	quads.push_back({-0.59f, -0.78f, 0.212f, 0.0265f, toNewYear ? newYearCountdownLabel : countdownLabel});

	constexpr float kUnitY = -0.86f;
	constexpr float kUnitHalfWidth = 0.053f;
	constexpr float kUnitHalfHeight = 0.0265f;
	quads.push_back({-0.83f, kUnitY, kUnitHalfWidth, kUnitHalfHeight,
	                 UnitLabel(countdown.daysLeft, dayLabel, daysLabel)});
	quads.push_back({-0.65f, kUnitY, kUnitHalfWidth, kUnitHalfHeight,
	                 UnitLabel(countdown.hoursLeft, hourLabel, hoursLabel)});
	quads.push_back({-0.45f, kUnitY, kUnitHalfWidth, kUnitHalfHeight,
	                 UnitLabel(countdown.minutesLeft, minuteLabel, minutesLabel)});
	quads.push_back({-0.28f, kUnitY, kUnitHalfWidth, kUnitHalfHeight,
	                 UnitLabel(countdown.secondsLeft, secondLabel, secondsLabel)});

	quads.push_back({-0.59f, -0.93f, 0.106f, 0.0265f, remainingLabel});
}

void ClockOverlay::Layout(const LocalTime& time, const OverlayOptions& options,
                          std::vector<ScreenQuad>& quads)
{
	if (options.showFps)
	{
		LayoutText(-0.95f, 0.92f, std::to_string(options.fps), quads);
	}
	if (options.showTime)
	{
		LayoutText(options.clock24h ? 0.64f : 0.5f, -0.92f, ClockText(time, options.clock24h), quads);
	}

	const bool newYearHoliday = time.month == 1 && time.day <= 7;
	const bool christmasHoliday = time.month == 12 && (time.day == 25 || time.day == 26);
	if (newYearHoliday || christmasHoliday)
	{
		quads.push_back(
		    {-0.69f, -0.84f, 0.212f, 0.106f, newYearHoliday ? newYearGreeting : christmasGreeting});
		return;
	}
	LayoutCountdown(time, quads);
}

void ClockOverlay::DrawQuads()
{
	DrawScreenQuads(frameQuads);
	frameQuads.clear();
}

void ClockOverlay::DrawText(float x, float y, const std::string& text)
{
	frameQuads.clear();
	LayoutText(x, y, text, frameQuads);
	DrawQuads();
}

void ClockOverlay::Draw(const LocalTime& time, float fps)
{
	const OverlayOptions options{g_settings.showFps, g_settings.showTime, g_settings.clock24h,
	                             static_cast<int>(fps)};
	frameQuads.clear();
	Layout(time, options, frameQuads);

	glEnable(GL_BLEND);
	glDisable(GL_DEPTH_TEST);
	DrawQuads();
	glEnable(GL_DEPTH_TEST);
	glDisable(GL_BLEND);
}
