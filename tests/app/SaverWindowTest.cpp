#include "app/SaverWindow.h"
#include "app/Saver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
TEST(GammaRamp, PowerRampArithmetic)
{
	const GammaRamp linear = BuildPowerRamp(1.0);
	for (int i = 0; i < 256; ++i)
	{
		EXPECT_EQ(linear.red[i], i * 256);
		EXPECT_EQ(linear.blue[i], i * 256);
	}
	// Exponent 0: every entry at the top, the first included (0^0 = 1).
	const GammaRamp flat = BuildPowerRamp(0.0);
	EXPECT_EQ(flat.green[0], 65535);
	EXPECT_EQ(flat.green[255], 65535);
	// Exponent 4 darkens; entries are truncated, not rounded.
	const GammaRamp dark = BuildPowerRamp(4.0);
	EXPECT_EQ(dark.red[128], 4096);
	EXPECT_EQ(dark.red[255], static_cast<uint16_t>(std::pow(255 / 256.0, 4.0) * 65536.0));
	// A broken exponent gives black entries, never arbitrary ones.
	const GammaRamp broken = BuildPowerRamp(std::numeric_limits<double>::quiet_NaN());
	EXPECT_EQ(broken.red[100], 0);
}

TEST(GammaRamp, EstimateOfRamps)
{
	EXPECT_DOUBLE_EQ(EstimateRampExponent(BuildPowerRamp(1.0)), 1.0);
	EXPECT_NEAR(EstimateRampExponent(BuildPowerRamp(2.2)), 2.2, 0.01);
	// A ramp whose top entries rise to 65535 reads slightly below 1.
	GammaRamp identity;
	for (int i = 0; i < 256; ++i)
	{
		identity.red[i] = identity.green[i] = identity.blue[i] = static_cast<uint16_t>(i * 257);
	}
	const double estimate = EstimateRampExponent(identity);
	EXPECT_LT(estimate, 1.0);
	EXPECT_GT(estimate, 0.97);
	// No ramp at all (every entry 0) counts as linear.
	EXPECT_DOUBLE_EQ(EstimateRampExponent(GammaRamp{}), 1.0);
}

TEST(SaverResolution, ChosenEntryOrTheDesktop)
{
	Settings settings;
	settings.resolutions[3] = {800, 600, 32};
	settings.currentResolution = 3;
	bool desktop = true;
	Resolution chosen = ChooseResolution(settings, 1920, 1080, desktop);
	EXPECT_EQ(chosen.width, 800);
	EXPECT_FALSE(desktop);

	// Out of range, or the desktop entry never filled: the desktop's own size, no mode switch.
	for (const int index : {-1, 11, 1000, 10})
	{
		settings.currentResolution = index;
		chosen = ChooseResolution(settings, 1920, 1080, desktop);
		EXPECT_EQ(chosen.width, 1920) << index;
		EXPECT_EQ(chosen.height, 1080) << index;
		EXPECT_TRUE(desktop) << index;
	}
	settings.resolutions[10] = {1280, 1024, 16};
	chosen = ChooseResolution(settings, 1920, 1080, desktop);
	EXPECT_EQ(chosen.width, 1280);
	EXPECT_EQ(chosen.colorBits, 16);
	EXPECT_TRUE(desktop);
}
} // namespace
