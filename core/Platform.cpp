#include "core/Platform.h"

#include "core/RunMode.h"

#include <SDL.h>
#include <wayland-client.h>

#include <dirent.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

namespace
{
bool IsSet(const char* name)
{
	const char* value = std::getenv(name);
	return value != nullptr && *value != '\0';
}

bool HasDisplay()
{
	return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

void NoteSeat(void* data, wl_registry*, uint32_t, const char* interface, uint32_t)
{
	if (std::string(interface) == wl_seat_interface.name)
	{
		*static_cast<bool*>(data) = true;
	}
}

void IgnoreRemovedGlobal(void*, wl_registry*, uint32_t) {}

// Asks the compositor for the list of what it offers and looks for a seat in it.
bool CompositorHasSeat()
{
	wl_display* display = wl_display_connect(nullptr);
	if (display == nullptr)
	{
		return false;
	}
	bool hasSeat = false;
	static const wl_registry_listener kListener = {NoteSeat, IgnoreRemovedGlobal};
	wl_registry* registry = wl_display_get_registry(display);
	wl_registry_add_listener(registry, &kListener, &hasSeat);
	wl_display_roundtrip(display);
	wl_registry_destroy(registry);
	wl_display_disconnect(display);
	return hasSeat;
}
} // namespace

bool Sys_IsWaylandDesktop()
{
	return IsSet("WAYLAND_DISPLAY");
}

void Sys_OfferVideoDrivers()
{
	if (SDL_GetHint(SDL_HINT_VIDEODRIVER) != nullptr)
	{
		return;
	}
	if (!Sys_IsWaylandDesktop() || CompositorHasSeat())
	{
		SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland");
		return;
	}
	SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
	if (!IsSet("DISPLAY"))
	{
		std::fprintf(stderr, "glimmerhearth: the Wayland compositor offers no seat (no keyboard or mouse), "
		                     "which SDL's Wayland driver cannot start without; run it with XWayland.\n");
	}
}

bool Sys_IsNonInteractive()
{
	const char* flag = std::getenv("GLIMMERHEARTH_NONINTERACTIVE");
	if (flag != nullptr && std::string(flag) == "1")
	{
		return true;
	}
	return !HasDisplay();
}

void Sys_MessageBox(const std::string& caption, const std::string& text)
{
	std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
	if (Sys_IsNonInteractive())
	{
		return;
	}
	SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), SDL_GL_GetCurrentWindow());
}

uint32_t Sys_Milliseconds()
{
	timespec now{};
	clock_gettime(CLOCK_MONOTONIC, &now);
	const uint64_t ms =
	    static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
	return static_cast<uint32_t>(ms);
}

bool Sys_PerformanceCounter(uint64_t& value)
{
	value = SDL_GetPerformanceCounter();
	return true;
}

uint64_t Sys_PerformanceFrequency()
{
	return SDL_GetPerformanceFrequency();
}

LocalTime Sys_LocalTime()
{
	timespec now{};
	clock_gettime(CLOCK_REALTIME, &now);
	tm parts{};
	localtime_r(&now.tv_sec, &parts);
	LocalTime time;
	time.year = static_cast<uint16_t>(parts.tm_year + 1900);
	time.month = static_cast<uint16_t>(parts.tm_mon + 1);
	time.dayOfWeek = static_cast<uint16_t>(parts.tm_wday);
	time.day = static_cast<uint16_t>(parts.tm_mday);
	time.hour = static_cast<uint16_t>(parts.tm_hour);
	time.minute = static_cast<uint16_t>(parts.tm_min);
	time.second = static_cast<uint16_t>(parts.tm_sec);
	time.milliseconds = static_cast<uint16_t>(now.tv_nsec / 1000000);
	return time;
}

int Sys_CountProcessesNamed(const std::string& name)
{
	DIR* proc = opendir("/proc");
	if (proc == nullptr)
	{
		return -1;
	}
	int count = 0;
	while (const dirent* entry = readdir(proc))
	{
		const std::string pid = entry->d_name;
		if (pid.find_first_not_of("0123456789") != std::string::npos)
		{
			continue;
		}
		// comm holds the executable's file name (cut to 15 bytes, longer than our own name).
		std::ifstream comm("/proc/" + pid + "/comm");
		std::string processName;
		if (std::getline(comm, processName) && processName == name)
		{
			++count;
		}
	}
	closedir(proc);
	return count;
}

bool Sys_DesktopSize(int& width, int& height)
{
	// Without an X or Wayland display SDL would go on to try the console's graphics device;
	// only a driver chosen on purpose (SDL_VIDEODRIVER) is tried then.
	if (!IsSet("SDL_VIDEODRIVER") && !HasDisplay())
	{
		return false;
	}
	Sys_OfferVideoDrivers();
	if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
	{
		return false;
	}
	SDL_DisplayMode mode = {};
	const bool found = SDL_GetDesktopDisplayMode(0, &mode) == 0;
	SDL_QuitSubSystem(SDL_INIT_VIDEO);
	if (found)
	{
		width = mode.w;
		height = mode.h;
	}
	return found;
}

std::string Sys_TempDir()
{
	const char* dir = std::getenv("TMPDIR");
	return (dir != nullptr && *dir != '\0') ? dir : "/tmp";
}

void Sys_SetUpHeapForLongRuns()
{
	// Setting either threshold also stops glibc from raising them by itself as large blocks
	// are freed, which it would do after loading the textures.
	mallopt(M_MMAP_THRESHOLD, 64 * 1024);
	mallopt(M_TRIM_THRESHOLD, 512 * 1024);
}

namespace
{
FatalExitHandler g_fatalExitHandler = nullptr;
} // namespace

void Sys_SetFatalExitHandler(FatalExitHandler handler)
{
	g_fatalExitHandler = handler;
}

void Sys_FatalExit()
{
	if (g_fatalExitHandler != nullptr)
	{
		g_fatalExitHandler();
	}
	std::exit(static_cast<int>(ExitStatus::Failed));
}
