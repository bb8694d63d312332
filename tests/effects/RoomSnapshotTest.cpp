// Whole saver runs with a fixed view: the wall clock read from the picture, and the room drawn
// with and without its effects. Also the snapshot options that give the view.
#include "app/Snapshot.h"
#include "scene/Camera.h"
#include "tests/support/Picture.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/Xvfb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{
constexpr int kWidth = 400;
constexpr int kHeight = 300;
// Straight at the dial from a metre in front of the wall (the clock hangs at 350, 9, 205).
const std::string kClockView = "350,109,205,-90,0,40";
// Down into the fireplace, past the stockings.
const std::string kFireplaceView = "160,260,110,175,-25,45";
constexpr double kExactPi = 3.14159265358979;

RgbImage SnapshotOf(const std::string& view, const std::string& when,
                    const std::vector<std::string>& extra = {})
{
	XvfbServer xvfb(kWidth, kHeight);
	TempDir dir;
	const auto shot = dir.Path() / "frame.png";
	std::vector<std::string> command = {ProgramPath(),
	                                    "--snapshot",
	                                    shot.string(),
	                                    "--frames",
	                                    "30",
	                                    "--step",
	                                    "5",
	                                    "--at",
	                                    when,
	                                    "--camera",
	                                    view,
	                                    "--size",
	                                    std::to_string(kWidth) + "x" + std::to_string(kHeight)};
	command.insert(command.end(), extra.begin(), extra.end());
	const auto result = RunProcess(command, {{"DISPLAY", xvfb.Display()},
	                                         {"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
	                                         {"GLIMMERHEARTH_NONINTERACTIVE", "1"}});
	EXPECT_FALSE(result.timedOut) << result.output;
	return ReadPng(shot);
}

double Brightness(const std::vector<int>& c)
{
	return (c[0] + c[1] + c[2]) / 3.0;
}

// The lit paper of the dial is the only light, greenish-warm surface in this view; the overlay's
// band at the bottom is left out.
bool IsDialPaper(const std::vector<int>& c)
{
	return c[1] > 90 && c[2] > 60;
}

bool IsRed(const std::vector<int>& c)
{
	return c[0] > 60 && c[0] > 2.5 * c[1] && c[0] > 2.5 * c[2];
}

// The dial's centre and the radius of its paper, in pixels.
struct Dial
{
	double x = 0.0;
	double y = 0.0;
	double radius = 0.0;
	double paper = 0.0; // the paper's median brightness
};

Dial FindDial(const RgbImage& shot)
{
	int left = shot.width;
	int right = -1;
	int top = shot.height;
	int bottom = -1;
	std::vector<double> paper;
	for (int y = 0; y < shot.height * 85 / 100; ++y)
	{
		for (int x = 0; x < shot.width; ++x)
		{
			const auto c = shot.At(x, y);
			if (IsDialPaper(c))
			{
				left = std::min(left, x);
				right = std::max(right, x);
				top = std::min(top, y);
				bottom = std::max(bottom, y);
				paper.push_back(Brightness(c));
			}
		}
	}
	if (paper.empty())
	{
		return {};
	}
	std::nth_element(paper.begin(), paper.begin() + static_cast<ptrdiff_t>(paper.size() / 2), paper.end());
	return {(left + right) * 0.5, (top + bottom) * 0.5, (right - left) * 0.25 + (bottom - top) * 0.25,
	        paper[paper.size() / 2]};
}

// What share of the points along the clock angle (degrees clockwise from twelve), between the
// two fractions of the dial's radius, are dark hand or red hand.
struct RayShare
{
	double dark = 0.0;
	double red = 0.0;
};

RayShare AlongRay(const RgbImage& shot, const Dial& dial, double degrees, double from, double to)
{
	const double angle = degrees * kExactPi / 180.0;
	int dark = 0;
	int red = 0;
	int count = 0;
	for (double r = from * dial.radius; r <= to * dial.radius; r += 1.0)
	{
		const int x = static_cast<int>(std::lround(dial.x + r * std::sin(angle)));
		const int y = static_cast<int>(std::lround(dial.y - r * std::cos(angle)));
		const auto c = shot.At(x, y);
		red += IsRed(c) ? 1 : 0;
		dark += !IsRed(c) && Brightness(c) < 0.45 * dial.paper ? 1 : 0;
		++count;
	}
	return {static_cast<double>(dark) / count, static_cast<double>(red) / count};
}

// The middles of the runs of whole degrees whose rays are mostly dark (or mostly red), round
// the dial. Between the hands' tails and the numerals nothing else is dark on the dial.
std::vector<double> HandAngles(const RgbImage& shot, const Dial& dial, bool red)
{
	std::vector<bool> hit(360);
	for (int degree = 0; degree < 360; ++degree)
	{
		const RayShare share = AlongRay(shot, dial, degree, 0.22, 0.45);
		hit[degree] = (red ? share.red : share.dark) > 0.6;
	}
	// Start the walk at a degree without a hand, so that no run is cut in two.
	int start = 0;
	while (start < 360 && hit[start])
	{
		++start;
	}
	std::vector<double> middles;
	for (int i = 0; i < 360 && start < 360; ++i)
	{
		const int degree = (start + i) % 360;
		if (!hit[degree] || hit[(degree + 359) % 360])
		{
			continue;
		}
		int length = 0;
		while (length < 360 && hit[(degree + length) % 360])
		{
			++length;
		}
		middles.push_back(std::fmod(degree + (length - 1) * 0.5, 360.0));
	}
	std::sort(middles.begin(), middles.end());
	return middles;
}

void ExpectAngles(const std::vector<double>& found, const std::vector<double>& expected, const char* what)
{
	ASSERT_EQ(found.size(), expected.size()) << what << ": " << ::testing::PrintToString(found);
	for (size_t i = 0; i < found.size(); ++i)
	{
		EXPECT_NEAR(found[i], expected[i], 3.0) << what;
	}
}

Camera PlacedCamera(const std::vector<std::string>& options)
{
	std::vector<std::string> arguments = {"--snapshot", "x.png"};
	arguments.insert(arguments.end(), options.begin(), options.end());
	Snapshot snapshot;
	std::string error;
	EXPECT_TRUE(snapshot.TakeOptions(arguments, error)) << error;
	Camera camera;
	if (const std::optional<CameraView> view = snapshot.FixedView())
	{
		camera.ShowView(*view);
	}
	return camera;
}
} // namespace

TEST(SnapshotOptions, CameraGivesTheEyeAndASquareView)
{
	const Camera level = PlacedCamera({"--camera", "350,109,205,-90,0,40"});
	EXPECT_FLOAT_EQ(level.position.y, 109.0f);
	EXPECT_NEAR(level.direction.x, 0.0f, 1e-6);
	EXPECT_NEAR(level.direction.y, -1.0f, 1e-6);
	EXPECT_NEAR(level.up.z, 1.0f, 1e-6);
	EXPECT_FLOAT_EQ(level.fovDegrees, 40.0f);

	const Camera tilted = PlacedCamera({"--camera", "0,0,0,30,-45,50"});
	EXPECT_NEAR(tilted.direction.z, -std::sqrt(0.5f), 1e-6);
	EXPECT_NEAR(tilted.up.z, std::sqrt(0.5f), 1e-6);
	EXPECT_NEAR(Dot(tilted.direction, tilted.up), 0.0f, 1e-6);
	EXPECT_NEAR(tilted.direction.y / tilted.direction.x, std::tan(30.0 * kExactPi / 180.0), 1e-5);

	// Without the option the flight's view stays.
	const Camera flight = PlacedCamera({"--no-effects"});
	EXPECT_FLOAT_EQ(flight.fovDegrees, 45.0f);
	EXPECT_FLOAT_EQ(flight.direction.x, 1.0f);
}

TEST(SnapshotOptions, MalformedViewsAreRefused)
{
	for (const char* view :
	     {"1,2,3,4,5", "1,2,3,4,5,6,7", "1,2,3,4,5,6,", ",1,2,3,4,5", "1,2,3,x,5,6", "1,2,3,4,90,40",
	      "1,2,3,4,-95,40", "1,2,3,4,5,0", "1,2,3,4,5,180", "1,2,3,4,5,nan", ""})
	{
		std::vector<std::string> arguments = {"--snapshot", "x.png", "--camera", view};
		Snapshot snapshot;
		std::string error;
		EXPECT_FALSE(snapshot.TakeOptions(arguments, error)) << view;
		EXPECT_NE(error.find("--camera"), std::string::npos) << view;
	}
	std::vector<std::string> arguments = {"--snapshot", "x.png", "--no-effects", "/s"};
	Snapshot snapshot;
	std::string error;
	ASSERT_TRUE(snapshot.TakeOptions(arguments, error));
	EXPECT_FALSE(snapshot.Effects());
	EXPECT_EQ(arguments, std::vector<std::string>{"/s"});
}

// At 13:30:22 the hour hand stands half-way between one and two, the minute hand points down at
// six and the red second hand between four and five. Any other reading (12:30, 1:00, hands
// turned the wrong way round or swapped) puts a hand where none may be.
TEST(RoomSnapshot, ClockShowsHalfPastOne)
{
	const RgbImage shot = SnapshotOf(kClockView, "2026-12-24 13:30:22");
	ASSERT_EQ(shot.width, kWidth);
	const Dial dial = FindDial(shot);
	// The dial fills a good part of the picture, near its middle.
	EXPECT_GT(dial.radius, kHeight * 0.25);
	EXPECT_NEAR(dial.x, kWidth / 2, kWidth * 0.1);
	EXPECT_NEAR(dial.y, kHeight / 2, kHeight * 0.1);

	ExpectAngles(HandAngles(shot, dial, false), {45.0, 180.0}, "hour and minute hands");
	ExpectAngles(HandAngles(shot, dial, true), {132.0}, "second hand");
	// The hand at half past one is the short one: past its tip, before the numerals' ring ends,
	// the dial is bare paper there.
	EXPECT_LT(AlongRay(shot, dial, 45.0, 0.62, 0.76).dark, 0.1);
	// The long hand reaches past the six into the minute ticks.
	EXPECT_GT(AlongRay(shot, dial, 180.0, 0.22, 0.8).dark, 0.9);
}

// The measurement switch drops the fire, its glow and the flames and keeps the room.
TEST(RoomSnapshot, NoEffectsKeepsTheRoomWithoutItsFire)
{
	const RgbImage full = SnapshotOf(kFireplaceView, "2026-12-24 21:30:00");
	const RgbImage plain = SnapshotOf(kFireplaceView, "2026-12-24 21:30:00", {"--no-effects"});
	ASSERT_EQ(full.width, kWidth);
	ASSERT_EQ(plain.width, kWidth);
	double plainSum = 0.0;
	int brighterWithEffects = 0;
	int brighterWithout = 0;
	for (int y = 0; y < kHeight; ++y)
	{
		for (int x = 0; x < kWidth; ++x)
		{
			const double withEffects = Brightness(full.At(x, y));
			const double without = Brightness(plain.At(x, y));
			plainSum += without;
			brighterWithEffects += withEffects > without + 40.0 ? 1 : 0;
			brighterWithout += without > withEffects + 40.0 ? 1 : 0;
		}
	}
	const int pixels = kWidth * kHeight;
	EXPECT_GT(plainSum / pixels, 20.0) << "the room itself is drawn";
	EXPECT_GT(brighterWithEffects, pixels / 50) << "the fire and its glow light up the hearth";
	EXPECT_LT(brighterWithout, pixels / 200);
}
