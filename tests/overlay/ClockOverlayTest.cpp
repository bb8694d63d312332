#include "overlay/ClockOverlay.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
LocalTime At(int year, int month, int day, int hour, int minute, int second)
{
	LocalTime time;
	time.year = static_cast<uint16_t>(year);
	time.month = static_cast<uint16_t>(month);
	time.day = static_cast<uint16_t>(day);
	time.hour = static_cast<uint16_t>(hour);
	time.minute = static_cast<uint16_t>(minute);
	time.second = static_cast<uint16_t>(second);
	return time;
}

// An overlay whose pictures are numbered instead of loaded: symbol i is texture 100 + i.
ClockOverlay NumberedOverlay()
{
	ClockOverlay overlay;
	for (int i = 0; i < ClockOverlay::kSymbolCount; ++i)
	{
		overlay.symbolTextures[i] = 100 + static_cast<uint32_t>(i);
	}
	overlay.countdownLabel = 1;
	overlay.newYearCountdownLabel = 2;
	overlay.remainingLabel = 3;
	overlay.daysLabel = 4;
	overlay.hoursLabel = 5;
	overlay.minutesLabel = 6;
	overlay.secondsLabel = 7;
	overlay.dayLabel = 8;
	overlay.hourLabel = 9;
	overlay.minuteLabel = 10;
	overlay.secondLabel = 11;
	overlay.christmasGreeting = 12;
	overlay.newYearGreeting = 13;
	return overlay;
}

bool HasTexture(const std::vector<ScreenQuad>& quads, uint32_t texture)
{
	for (const ScreenQuad& quad : quads)
	{
		if (quad.texture == texture)
		{
			return true;
		}
	}
	return false;
}

std::vector<ScreenQuad> CountdownLayout(ClockOverlay& overlay, const LocalTime& time)
{
	overlay.UpdateCountdown(time);
	std::vector<ScreenQuad> quads;
	overlay.Layout(time, {false, false, false, 0}, quads);
	return quads;
}
} // namespace

TEST(ClockOverlay, CountdownTextAcrossTheYear)
{
	struct Case
	{
		LocalTime time;
		const char* text;
	};
	const Case cases[] = {
	    {At(2026, 12, 24, 23, 59, 59), "00  00   00  01"},
	    {At(2026, 12, 24, 0, 0, 0), "00  23   59  60"},
	    {At(2026, 12, 23, 12, 0, 0), "01  11   59  60"},
	    {At(2026, 12, 27, 0, 0, 0), "04  23   59  60"},
	    {At(2026, 12, 31, 23, 59, 30), "00  00   00  30"},
	    {At(2026, 12, 25, 10, 0, 0), "00  13   59  60"},
	    {At(2027, 1, 8, 0, 0, 0), "350  23   59  60"},
	    {At(2026, 1, 1, 0, 0, 0), "357  23   59  60"},
	    // From March on a leap day adds to the year and to February alike; before it, only to
	    // the year. Leap years by the Gregorian rules: 2024 and 2000 are, 2100 and 2026 are not.
	    {At(2024, 3, 1, 0, 0, 0), "298  23   59  60"},
	    {At(2026, 3, 1, 0, 0, 0), "298  23   59  60"},
	    {At(2024, 1, 8, 0, 0, 0), "351  23   59  60"},
	    {At(2000, 1, 8, 0, 0, 0), "351  23   59  60"},
	    {At(2100, 1, 8, 0, 0, 0), "350  23   59  60"},
	    {At(2024, 2, 29, 12, 30, 15), "299  11   29  45"},
	    {At(2024, 12, 24, 23, 59, 59), "00  00   00  01"},
	    {At(2024, 12, 27, 0, 0, 0), "04  23   59  60"},
	    {At(2026, 12, 15, 8, 5, 9), "09  15   54  51"},
	};
	for (const Case& c : cases)
	{
		EXPECT_EQ(CountdownText(ComputeCountdown(c.time)), c.text)
		    << c.time.year << "-" << c.time.month << "-" << c.time.day << " " << c.time.hour << ":"
		    << c.time.minute << ":" << c.time.second;
	}
}

TEST(ClockOverlay, ClockTextIn12And24Hours)
{
	struct Case
	{
		LocalTime time;
		bool clock24h;
		const char* text;
	};
	const Case cases[] = {
	    {At(2026, 1, 1, 7, 5, 9), true, "07:05:09"},
	    {At(2026, 1, 1, 19, 5, 9), false, "7:05:09 p.m."},
	    {At(2026, 1, 1, 0, 30, 0), false, "0:30:00 a.m."},
	    {At(2026, 1, 1, 12, 0, 0), false, "12:00:00 p.m."},
	    {At(2026, 1, 1, 11, 59, 59), false, "11:59:59 a.m."},
	    {At(2026, 1, 1, 0, 0, 0), true, "00:00:00"},
	    {At(2026, 1, 1, 23, 59, 59), true, "23:59:59"},
	};
	for (const Case& c : cases)
	{
		EXPECT_EQ(ClockText(c.time, c.clock24h), c.text);
	}
}

TEST(ClockOverlay, UnknownCharactersDrawAsZeroAndPointsTakeANarrowCell)
{
	ClockOverlay overlay = NumberedOverlay();
	std::vector<ScreenQuad> quads;
	overlay.LayoutText(0.5f, -0.92f, "1x.m", quads);
	ASSERT_EQ(quads.size(), 4u);
	EXPECT_EQ(quads[0].texture, 101u);
	EXPECT_EQ(quads[1].texture, 100u); // "x" is not a symbol
	EXPECT_EQ(quads[2].texture, 114u); // the point
	EXPECT_EQ(quads[3].texture, 111u);
	EXPECT_FLOAT_EQ(quads[0].x, 0.5f);
	EXPECT_FLOAT_EQ(quads[1].x, 0.5425f);
	EXPECT_FLOAT_EQ(quads[2].x, 0.585f - 0.03125f);
	EXPECT_FLOAT_EQ(quads[3].x, 0.585f + 0.0425f - 0.6f * 0.03125f);
	for (const ScreenQuad& quad : quads)
	{
		EXPECT_FLOAT_EQ(quad.y, -0.92f);
		EXPECT_FLOAT_EQ(quad.halfWidth, 0.04f);
		EXPECT_FLOAT_EQ(quad.halfHeight, 0.053f);
	}
}

TEST(ClockOverlay, HolidaysShowGreetingsInsteadOfTheCountdown)
{
	ClockOverlay overlay = NumberedOverlay();
	for (int day : {25, 26})
	{
		const auto quads = CountdownLayout(overlay, At(2026, 12, day, 10, 0, 0));
		ASSERT_EQ(quads.size(), 1u);
		EXPECT_EQ(quads[0].texture, overlay.christmasGreeting);
		EXPECT_FLOAT_EQ(quads[0].x, -0.69f);
		EXPECT_FLOAT_EQ(quads[0].y, -0.84f);
	}
	for (int day = 1; day <= 7; ++day)
	{
		const auto quads = CountdownLayout(overlay, At(2027, 1, day, 10, 0, 0));
		ASSERT_EQ(quads.size(), 1u);
		EXPECT_EQ(quads[0].texture, overlay.newYearGreeting);
	}
	const auto january8 = CountdownLayout(overlay, At(2027, 1, 8, 0, 0, 0));
	EXPECT_TRUE(HasTexture(january8, overlay.countdownLabel));
	const auto december24 = CountdownLayout(overlay, At(2026, 12, 24, 23, 59, 59));
	EXPECT_TRUE(HasTexture(december24, overlay.countdownLabel));
	const auto december27 = CountdownLayout(overlay, At(2026, 12, 27, 0, 0, 0));
	EXPECT_TRUE(HasTexture(december27, overlay.newYearCountdownLabel));
	EXPECT_FALSE(HasTexture(december27, overlay.countdownLabel));
}

TEST(ClockOverlay, UnitLabelsAreSingularForZeroAndOne)
{
	ClockOverlay overlay = NumberedOverlay();
	// 1 day, 1 hour, 1 minute, 1 second: December 23, 22:58:59.
	const auto ones = CountdownLayout(overlay, At(2026, 12, 23, 22, 58, 59));
	// 0 days, 0 hours, 0 minutes: December 24, 23:59:30.
	const auto zeros = CountdownLayout(overlay, At(2026, 12, 24, 23, 59, 30));
	const auto twos = CountdownLayout(overlay, At(2026, 12, 22, 21, 57, 58));
	for (const auto& quads : {ones, zeros})
	{
		EXPECT_TRUE(HasTexture(quads, overlay.dayLabel));
		EXPECT_TRUE(HasTexture(quads, overlay.hourLabel));
		EXPECT_TRUE(HasTexture(quads, overlay.minuteLabel));
		EXPECT_FALSE(HasTexture(quads, overlay.daysLabel));
	}
	EXPECT_TRUE(HasTexture(ones, overlay.secondLabel));
	EXPECT_TRUE(HasTexture(zeros, overlay.secondsLabel)); // 30 seconds
	for (uint32_t plural :
	     {overlay.daysLabel, overlay.hoursLabel, overlay.minutesLabel, overlay.secondsLabel})
	{
		EXPECT_TRUE(HasTexture(twos, plural));
	}
}

TEST(ClockOverlay, ThreeDigitDayCountsStartFurtherLeft)
{
	ClockOverlay overlay = NumberedOverlay();
	const auto hundred = CountdownLayout(overlay, At(2026, 9, 16, 0, 0, 0));
	EXPECT_EQ(overlay.CurrentCountdown().daysLeft, 99);
	EXPECT_FLOAT_EQ(hundred[0].x, -0.94f);
	const auto more = CountdownLayout(overlay, At(2026, 9, 15, 0, 0, 0));
	EXPECT_EQ(overlay.CurrentCountdown().daysLeft, 100);
	EXPECT_FLOAT_EQ(more[0].x, -0.98f);
	EXPECT_FLOAT_EQ(more[0].y, -0.87f);
}

TEST(ClockOverlay, ClockAndFrameRatePositions)
{
	ClockOverlay overlay = NumberedOverlay();
	const LocalTime time = At(2026, 12, 25, 19, 5, 9);
	std::vector<ScreenQuad> quads;
	overlay.Layout(time, {true, true, false, 57}, quads);
	// "57", then "7:05:09 p.m." (12 characters), then the greeting.
	ASSERT_EQ(quads.size(), 2u + 12u + 1u);
	EXPECT_FLOAT_EQ(quads[0].x, -0.95f);
	EXPECT_FLOAT_EQ(quads[0].y, 0.92f);
	EXPECT_EQ(quads[0].texture, 105u);
	EXPECT_EQ(quads[1].texture, 107u);
	EXPECT_FLOAT_EQ(quads[2].x, 0.5f);
	EXPECT_FLOAT_EQ(quads[2].y, -0.92f);

	quads.clear();
	overlay.Layout(time, {false, true, true, 0}, quads);
	ASSERT_EQ(quads.size(), 8u + 1u);
	EXPECT_FLOAT_EQ(quads[0].x, 0.64f);
}
