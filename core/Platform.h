#pragma once

#include <cstdint>
#include <string>

// Everything the program asks of the operating system apart from the saver window and its GL
// context, which the run modes keep. Keeping these calls in one place keeps the rest of the
// program free of platform headers.

struct LocalTime
{
	uint16_t year = 0;
	uint16_t month = 0; // 1 to 12
	uint16_t dayOfWeek = 0;
	uint16_t day = 0;
	uint16_t hour = 0;
	uint16_t minute = 0;
	uint16_t second = 0;
	uint16_t milliseconds = 0;
};

// A message box with an OK button. It also writes "caption: text" to standard error. With no
// display, or with GLIMMERHEARTH_NONINTERACTIVE=1, only standard error gets it and the call
// returns at once, as if OK had been pressed, so no test can hang on a dialog.
void Sys_MessageBox(const std::string& caption, const std::string& text);
bool Sys_IsNonInteractive();

// The millisecond timer, as a wrapping 32-bit count.
uint32_t Sys_Milliseconds();
// The high-resolution counter; false when it cannot be read.
bool Sys_PerformanceCounter(uint64_t& value);
uint64_t Sys_PerformanceFrequency();
LocalTime Sys_LocalTime();

// The number of running processes whose executable name is exactly `name`, or -1 when the
// process list cannot be read.
int Sys_CountProcessesNamed(const std::string& name);

// True in a Wayland session: the compositor is named in WAYLAND_DISPLAY, which the programs it
// runs through XWayland inherit as well. Compositors offer no gamma ramps and no display-mode
// switches, to X clients neither.
bool Sys_IsWaylandDesktop();

// Tells SDL which video drivers to try, unless SDL_VIDEODRIVER already chose. X11 comes first:
// on a Wayland desktop that is XWayland, which draws the room about twice as fast as SDL's Wayland
// driver on Mesa's software renderer. SDL's Wayland driver (2.26) crashes while it starts on a
// compositor without a seat, as headless ones are, so it is offered only where there is one.
void Sys_OfferVideoDrivers();

// The size of the primary screen's desktop; false without a display. The video subsystem is
// started for the question and shut again.
bool Sys_DesktopSize(int& width, int& height);

// Sets the C library's heap up for a process that draws for hours. The GL driver allocates large
// blocks for the frame it is drawing (a software rasteriser's 64 KiB bins, megabyte upload buffers
// replaced every second or so); in the heap, small allocations settle in the holes they leave, so
// the heap would keep the size of the busiest moment so far and step up whenever a view outdoes
// it. So blocks of 64 KiB and more get mappings of their own, given back when freed. The C library
// still carves a large block out of the heap's free top when the top has room for it, so the top
// is handed back once it reaches 512 KiB and never has room for an upload buffer: one that landed
// in the heap one time and in a mapping of its own the next would move resident memory by a
// megabyte for minutes at a time. Any mark under 1 MiB keeps the buffer out; a lower one also
// keeps the heap's own swing small, as the free top it keeps is resident or not by turns.
void Sys_SetUpHeapForLongRuns();

// The folder for temporary files: $TMPDIR, else /tmp.
std::string Sys_TempDir();

// Ends the process when the run cannot go on (content that cannot be decoded), with the exit
// status of a mode that failed. The handler, where the running mode set one, goes first: the
// saver gives the display back there, as a mode switch and a gamma ramp would outlive the process
// on X11.
using FatalExitHandler = void (*)();
void Sys_SetFatalExitHandler(FatalExitHandler handler);
[[noreturn]] void Sys_FatalExit();
