#include "app/Snapshot.h"

#include "app/AppContext.h"
#include "core/RunMode.h"
#include "effects/ParticleSystem.h"
#include "frame/FrameComposer.h"
#include "scene/Scene.h"

#include <GL/glew.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <sstream>

Snapshot g_snapshot;

namespace
{
bool ParseInt(const std::string& text, int minimum, int maximum, int& value)
{
	try
	{
		size_t used = 0;
		const long number = std::stol(text, &used);
		if (used != text.size() || number < minimum || number > maximum)
		{
			return false;
		}
		value = static_cast<int>(number);
		return true;
	}
	catch (const std::exception&)
	{
		return false;
	}
}

bool ParseSize(const std::string& text, int& width, int& height)
{
	const size_t cross = text.find('x');
	return cross != std::string::npos && ParseInt(text.substr(0, cross), 1, 16384, width) &&
	       ParseInt(text.substr(cross + 1), 1, 16384, height);
}

bool ParseFloat(const std::string& text, float& value)
{
	try
	{
		size_t used = 0;
		value = std::stof(text, &used);
		return used == text.size() && std::isfinite(value);
	}
	catch (const std::exception&)
	{
		return false;
	}
}

bool ParseStep(const std::string& text, float& step)
{
	return ParseFloat(text, step) && step > 0.0f && step <= 1000.0f;
}

// Exactly `values.size()` numbers separated by commas.
bool ParseFloatList(const std::string& text, std::vector<float>& values)
{
	std::istringstream stream(text);
	std::string item;
	size_t count = 0;
	while (std::getline(stream, item, ','))
	{
		if (count == values.size() || !ParseFloat(item, values[count]))
		{
			return false;
		}
		++count;
	}
	return count == values.size() && text.back() != ',';
}

constexpr float kDegreesToRadians = kPi / 180.0f;
} // namespace

bool ParseLocalTime(const std::string& text, LocalTime& time)
{
	int year = 0;
	int month = 0;
	int day = 0;
	int hour = 0;
	int minute = 0;
	int second = 0;
	char tail = 0;
	if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second,
	                &tail) != 6 ||
	    year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
	    minute > 59 || second > 59 || hour < 0 || minute < 0 || second < 0)
	{
		return false;
	}
	std::tm parts{};
	parts.tm_year = year - 1900;
	parts.tm_mon = month - 1;
	parts.tm_mday = day;
	parts.tm_hour = 12;
	const std::time_t noon = timegm(&parts);
	// timegm moves an impossible date such as February 30 on; such a date is refused.
	if (parts.tm_mday != day)
	{
		return false;
	}
	time.year = static_cast<uint16_t>(year);
	time.month = static_cast<uint16_t>(month);
	time.day = static_cast<uint16_t>(day);
	time.dayOfWeek = static_cast<uint16_t>(parts.tm_wday);
	time.hour = static_cast<uint16_t>(hour);
	time.minute = static_cast<uint16_t>(minute);
	time.second = static_cast<uint16_t>(second);
	time.milliseconds = 0;
	return noon != -1;
}

bool Snapshot::TakeOptions(std::vector<std::string>& arguments, std::string& error)
{
	std::vector<std::string> rest;
	float step = 1.0f;
	for (size_t i = 0; i < arguments.size(); ++i)
	{
		const std::string& option = arguments[i];
		if (option == "--report")
		{
			report = true;
			continue;
		}
		if (option == "--no-effects")
		{
			effects = false;
			continue;
		}
		const bool known = option == "--snapshot" || option == "--frames" || option == "--size" ||
		                   option == "--at" || option == "--seed" || option == "--step" ||
		                   option == "--camera";
		if (!known)
		{
			rest.push_back(option);
			continue;
		}
		if (i + 1 >= arguments.size())
		{
			error = option + " needs a value";
			return false;
		}
		const std::string& value = arguments[++i];
		int number = 0;
		bool valid = true;
		if (option == "--snapshot")
		{
			outputPath = value;
			active = !value.empty();
			valid = active;
		}
		else if (option == "--frames")
		{
			valid = ParseInt(value, 0, 10000000, frames);
		}
		else if (option == "--size")
		{
			valid = ParseSize(value, width, height);
		}
		else if (option == "--at")
		{
			valid = ParseLocalTime(value, time);
			timeGiven = true;
		}
		else if (option == "--seed")
		{
			valid = ParseInt(value, 0, 2147483647, number);
			seed = static_cast<unsigned>(number);
			seedGiven = true;
		}
		else if (option == "--camera")
		{
			valid = ParseView(value);
		}
		else
		{
			valid = ParseStep(value, step);
		}
		if (!valid)
		{
			error = "bad value for " + option + ": " + value;
			return false;
		}
	}
	fixedTime = FixedStepTimeSource(step);
	arguments.swap(rest);
	return true;
}

// The eye, heading and tilt become the look-at vectors; the up vector leans with the tilt so
// that it stays square to the view.
bool Snapshot::ParseView(const std::string& text)
{
	std::vector<float> values(6);
	// Straight up or down leaves no heading to lean the up vector by.
	if (!ParseFloatList(text, values) || std::fabs(values[4]) >= 90.0f || values[5] <= 0.0f ||
	    values[5] >= 180.0f)
	{
		return false;
	}
	const float yaw = values[3] * kDegreesToRadians;
	const float pitch = values[4] * kDegreesToRadians;
	viewPosition = {values[0], values[1], values[2]};
	viewDirection = {std::cos(pitch) * std::cos(yaw), std::cos(pitch) * std::sin(yaw), std::sin(pitch)};
	viewUp = {-std::sin(pitch) * std::cos(yaw), -std::sin(pitch) * std::sin(yaw), std::cos(pitch)};
	viewFovDegrees = values[5];
	fixedView = true;
	return true;
}

void Snapshot::OnSceneLoaded() const
{
	if (!effects)
	{
		g_scene.LeaveOutEffects();
		g_particles.SetEnabled(false);
	}
}

std::optional<unsigned> Snapshot::FixedSeed() const
{
	if (!FixesSeed())
	{
		return std::nullopt;
	}
	return seed;
}

std::optional<CameraView> Snapshot::FixedView() const
{
	if (!active || !fixedView)
	{
		return std::nullopt;
	}
	return CameraView{viewPosition, viewDirection, viewUp, viewFovDegrees};
}

RunPlan Snapshot::Plan()
{
	RunPlan plan;
	plan.seed = FixedSeed();
	plan.view = FixedView();
	if (FixesTime())
	{
		plan.localTime = time;
	}
	if (!active)
	{
		return plan;
	}
	plan.timeSource = &fixedTime;
	plan.afterLoadingScreen = [this] { OnLoadingScreenDrawn(g_app); };
	plan.afterSceneLoaded = [this] { OnSceneLoaded(); };
	plan.afterFrame = [this] { OnFrameDrawn(g_app); };
	return plan;
}

void Snapshot::OnLoadingScreenDrawn(AppContext& app)
{
	if (frames == 0)
	{
		Capture(app);
	}
}

void Snapshot::OnFrameDrawn(AppContext& app)
{
	++framesDrawn;
	// The rate is taken over the steady frames, once the fade-in veil has lifted.
	if (steadyFrom == 0 && g_frameComposer.fadeAlpha <= 0.0f)
	{
		steadyFrom = framesDrawn;
		steadyStartCounter = SDL_GetPerformanceCounter();
		steadyStartCpu = std::clock();
	}
	if (framesDrawn != frames)
	{
		return;
	}
	if (report)
	{
		ReportFrameRate();
	}
	Capture(app);
}

void Snapshot::ReportFrameRate() const
{
	const int steadyFrames = frames - steadyFrom;
	if (steadyFrom == 0 || steadyFrames < 1)
	{
		std::printf("frames 0: the fade-in had not ended\n");
		return;
	}
	const double seconds = static_cast<double>(SDL_GetPerformanceCounter() - steadyStartCounter) /
	                       static_cast<double>(SDL_GetPerformanceFrequency());
	// The processor time of all the process's threads (the software rasteriser's included) moves
	// far less than the wall clock when other work shares the machine.
	const double cpuMilliseconds =
	    1000.0 * static_cast<double>(std::clock() - steadyStartCpu) / CLOCKS_PER_SEC;
	std::printf("frames %d seconds %.3f fps %.1f cpu %.2f ms per frame\n", steadyFrames, seconds,
	            steadyFrames / seconds, cpuMilliseconds / steadyFrames);
	std::fflush(stdout);
}

// Reads the back buffer (the frame about to be shown) and ends the run.
void Snapshot::Capture(AppContext& app)
{
	const int w = app.clientWidth;
	const int h = app.clientHeight;
	std::vector<uint8_t> bottomUp(static_cast<size_t>(w) * h * 3);
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glReadBuffer(GL_BACK);
	glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
	std::vector<uint8_t> topDown(bottomUp.size());
	const size_t row = static_cast<size_t>(w) * 3;
	for (int y = 0; y < h; ++y)
	{
		std::copy_n(bottomUp.begin() + static_cast<ptrdiff_t>(row * (h - 1 - y)), row,
		            topDown.begin() + static_cast<ptrdiff_t>(row * y));
	}
	if (!WritePng(outputPath, w, h, topDown))
	{
		std::fprintf(stderr, "glimmerhearth: cannot write the snapshot %s\n", outputPath.c_str());
		NoteModeFailed();
	}
	SetRunMode(RunMode::Quit);
}

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgbRows)
{
	png_image image{};
	image.version = PNG_IMAGE_VERSION;
	image.width = static_cast<png_uint_32>(width);
	image.height = static_cast<png_uint_32>(height);
	image.format = PNG_FORMAT_RGB;
	const bool written =
	    png_image_write_to_file(&image, path.c_str(), 0, rgbRows.data(), width * 3, nullptr) != 0;
	png_image_free(&image);
	return written;
}
