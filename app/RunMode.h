#pragma once

#include <csignal>

// The process-wide run mode that every loop polls. It is written by the window events, the
// dialogs, the per-frame checks and the signal handler, so it is kept as a sig_atomic_t.
enum class RunMode : int
{
	None = 0,
	Preview = 2,
	Saver = 3,
	Configure = 4,
	Quit = 5
};

extern volatile std::sig_atomic_t g_runMode;

inline RunMode GetRunMode()
{
	return static_cast<RunMode>(g_runMode);
}
inline void SetRunMode(RunMode mode)
{
	g_runMode = static_cast<std::sig_atomic_t>(mode);
}
