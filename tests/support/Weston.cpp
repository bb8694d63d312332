#include "tests/support/Weston.h"

#include "tests/support/Files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <stdexcept>

namespace
{
// weston writes this line to its log once its XWayland socket listens.
constexpr char kXWaylandLine[] = "xserver listening on display ";

std::string UniqueSocketName()
{
	static std::atomic<int> count{0};
	return "glimmer-test-" + std::to_string(getpid()) + "-" + std::to_string(++count);
}
} // namespace

WestonServer::WestonServer(int width, int height, bool xwayland) : socket(UniqueSocketName())
{
	// The runtime folder must be the user's own and closed to others, or Wayland refuses it.
	const std::filesystem::path runtime = dir.Path() / "runtime";
	std::filesystem::create_directory(runtime);
	chmod(runtime.c_str(), 0700);
	std::filesystem::create_directory(dir.Path() / "shots");
	std::vector<std::string> command = {"/usr/bin/weston", "--backend=headless-backend.so", "--use-pixman",
	                                    "--width=" + std::to_string(width),
	                                    "--height=" + std::to_string(height), "--socket=" + socket,
	                                    "--no-config", "--idle-time=0",
	                                    // The screenshooter is for weston's own clients only
	                                    // without it.
	                                    "--debug", "--log=" + (dir.Path() / "weston.log").string()};
	if (xwayland)
	{
		command.push_back("--xwayland");
	}
	weston = std::make_unique<ChildProcess>(command, Environment{{"XDG_RUNTIME_DIR", runtime.string()},
	                                                             {"DISPLAY", std::nullopt},
	                                                             {"WAYLAND_DISPLAY", std::nullopt}});
	const auto limit = std::chrono::seconds(60);
	if (!WaitFor([&] { return std::filesystem::exists(runtime / socket); }, limit))
	{
		throw std::runtime_error("weston did not open its socket:\n" + Log());
	}
	if (!xwayland)
	{
		return;
	}
	if (!WaitFor([&] { return Log().find(kXWaylandLine) != std::string::npos; }, limit))
	{
		throw std::runtime_error("weston did not start XWayland:\n" + Log());
	}
	const std::string log = Log();
	const size_t at = log.find(kXWaylandLine) + sizeof kXWaylandLine - 1;
	xDisplay = log.substr(at, log.find_first_of("\r\n", at) - at);
}

WestonServer::~WestonServer()
{
	// weston ends XWayland and its shell's clients itself; anything left goes with its group.
	weston->Signal(SIGTERM);
	weston->Wait(std::chrono::seconds(20));
}

Environment WestonServer::ClientEnvironment() const
{
	Environment environment = {{"XDG_RUNTIME_DIR", (dir.Path() / "runtime").string()},
	                           {"WAYLAND_DISPLAY", socket},
	                           {"DISPLAY", std::nullopt}};
	if (!xDisplay.empty())
	{
		environment["DISPLAY"] = xDisplay;
	}
	return environment;
}

RgbImage WestonServer::Screenshot() const
{
	// The screenshooter writes its picture into the folder it runs in, under a name of the time.
	const std::filesystem::path shots = dir.Path() / "shots";
	std::filesystem::remove_all(shots);
	std::filesystem::create_directory(shots);
	Environment environment = ClientEnvironment();
	environment["DISPLAY"] = std::nullopt;
	RunProcess({"/bin/sh", "-c", "cd \"$1\" && exec weston-screenshooter", "sh", shots.string()}, environment,
	           std::chrono::seconds(20));
	for (const auto& entry : std::filesystem::directory_iterator(shots))
	{
		return ReadPng(entry.path());
	}
	return {};
}

std::string WestonServer::Log() const
{
	return ReadFile(dir.Path() / "weston.log");
}
