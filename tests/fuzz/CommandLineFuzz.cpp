// The command line on any input: the screen-saver host's and the snapshot's options taken out of
// the words, then the screen-saver switch grammar on the whole text.
#include "app/CommandLine.h"
#include "app/HostOptions.h"
#include "app/Snapshot.h"
#include "effects/Camera.h"

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> Words(const std::string& text)
{
	std::vector<std::string> words;
	std::istringstream stream(text);
	for (std::string word; stream >> word;)
	{
		words.push_back(word);
	}
	return words;
}

bool Finite(const Vec3& v)
{
	return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void TakeHostOptions(const std::string& text)
{
	std::vector<std::string> arguments = Words(text);
	const size_t given = arguments.size();
	HostOptions options;
	std::string error;
	const bool taken = options.TakeOptions(arguments, error);
	// Options only ever come out; a window id target always names a window.
	if (arguments.size() > given ||
	    (taken && options.Target() == HostTarget::WindowId && options.WindowId() == 0) ||
	    (!taken && error.empty()))
	{
		__builtin_trap();
	}
}
// Options only ever come out, and a view that was taken is finite with a usable field of view.
void TakeSnapshotOptions(const std::string& text)
{
	std::vector<std::string> arguments = Words(text);
	const size_t given = arguments.size();
	Snapshot snapshot;
	std::string error;
	const bool taken = snapshot.TakeOptions(arguments, error);
	Camera camera;
	snapshot.PlaceCamera(camera);
	const bool viewUsable = Finite(camera.position) && Finite(camera.direction) && Finite(camera.up) &&
	                        camera.fovDegrees > 0.0f && camera.fovDegrees < 180.0f;
	if (arguments.size() > given || (!taken && error.empty()) || (taken && !viewUsable))
	{
		__builtin_trap();
	}
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string text(reinterpret_cast<const char*>(data), size);
	TakeHostOptions(text);
	TakeSnapshotOptions(text);
	const RunMode mode = ParseCommandLine(text);
	if (mode != RunMode::Configure && mode != RunMode::Saver && mode != RunMode::Preview)
	{
		__builtin_trap();
	}
	return 0;
}
