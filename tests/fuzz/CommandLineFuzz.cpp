// The command line on any input, the way main() reads it: the words lose the snapshot options and
// then the screen-saver host's options, the rest is rebuilt into the raw command line, and the
// screen-saver switch grammar reads that. The switch grammar also gets the whole text as it is.
#include "app/CommandLine.h"
#include "app/HostOptions.h"
#include "app/Snapshot.h"
#include "scene/Camera.h"

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace
{
void Check(bool condition)
{
	if (!condition)
	{
		__builtin_trap();
	}
}

bool Finite(const Vec3& v)
{
	return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// A view that was taken is finite, with a usable field of view.
void CheckSnapshotView(const Snapshot& snapshot)
{
	Camera camera;
	if (const std::optional<CameraView> view = snapshot.FixedView())
	{
		camera.ShowView(*view);
	}
	Check(Finite(camera.position) && Finite(camera.direction) && Finite(camera.up));
	Check(camera.fovDegrees > 0.0f && camera.fovDegrees < 180.0f);
}

void CheckRunMode(RunMode mode)
{
	Check(mode == RunMode::Configure || mode == RunMode::Saver || mode == RunMode::Preview);
}

// Options only ever come out; a failure always says why.
void TakeProgramOptions(const std::string& text)
{
	std::vector<std::string> arguments;
	std::istringstream words(text);
	for (std::string word; words >> word;)
	{
		arguments.push_back(word);
	}
	const size_t given = arguments.size();
	std::string error;
	Snapshot snapshot;
	const bool snapshotTaken = snapshot.TakeOptions(arguments, error);
	Check(snapshotTaken || !error.empty());
	Check(!snapshot.Active() || (snapshot.Width() > 0 && snapshot.Height() > 0));
	if (!snapshotTaken)
	{
		return;
	}
	CheckSnapshotView(snapshot);
	HostOptions options;
	const bool taken = options.TakeOptions(arguments, error);
	Check(arguments.size() <= given && (taken || !error.empty()));
	// A window id target always names a window.
	Check(!taken || options.Target() != HostTarget::WindowId || options.WindowId() != 0);
	if (taken)
	{
		CheckRunMode(ParseCommandLine(RebuildCommandLine("glimmerhearth", arguments)));
	}
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string text(reinterpret_cast<const char*>(data), size);
	TakeProgramOptions(text);
	CheckRunMode(ParseCommandLine(text));
	return 0;
}
