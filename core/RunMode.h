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

// Shells, launchers and screen-saver hosts read the exit status: every normal end of a mode is
// 0, a mode that could not do its work (no display, no window or GL context, a display mode that
// cannot be set, a snapshot that cannot be written, undecodable content) ends with 1, and a
// malformed option with 2.
enum class ExitStatus : int
{
	Normal = 0,
	Failed = 1,
	BadOption = 2
};

extern bool g_modeFailed;

// Called where a mode gives up; the mode still ends the way it always does (a quit message, a
// return), only the exit status changes.
inline void NoteModeFailed()
{
	g_modeFailed = true;
}
inline ExitStatus ModeExitStatus()
{
	return g_modeFailed ? ExitStatus::Failed : ExitStatus::Normal;
}
