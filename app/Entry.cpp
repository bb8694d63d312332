#include "app/Entry.h"

#include "app/CommandLine.h"
#include "app/HostOptions.h"
#include "app/SaverWindow.h"
#include "app/Signals.h"
#include "app/Snapshot.h"
#include "core/LogFile.h"
#include "core/Platform.h"
#include "core/RunMode.h"
#include "media/MediaStore.h"
#include "options/OptionsDialog.h"
#include "settings/DefaultsTable.h"
#include "settings/Settings.h"

#include <cstdlib>

namespace
{
constexpr char kProgramName[] = "glimmerhearth";

// The shipped configuration logs nothing; GLIMMERHEARTH_LOG names a log file for troubleshooting.
std::string LogFileName()
{
	const char* name = std::getenv("GLIMMERHEARTH_LOG");
	return name != nullptr ? name : "";
}

// Only one copy runs at a time: a second one ends at once, whatever its switches.
void EndIfAnotherCopyRuns()
{
	const int copies = Sys_CountProcessesNamed(kProgramName);
	for (int i = 0; i < copies; ++i)
	{
		g_logFile.WriteLine("gi gi");
		if (i + 1 > 1)
		{
			std::exit(0);
		}
	}
}
} // namespace

int RunEntry(const std::string& commandLine)
{
	g_defaults.LoadEmbedded();
	g_logFile.Open(LogFileName());
	// A screen-saver host runs one copy per screen and ends each one itself; a snapshot draws
	// into a file, not on the screen, so it may run beside the saver.
	if (!g_host.Active() && !g_snapshot.Active())
	{
		EndIfAnotherCopyRuns();
	}
	g_settings.SetBuiltIns();
	g_settings.Load();
	g_mediaStore.Open();

	InstallQuitSignals();
	// Content that cannot be decoded ends any mode the way it ends the saver: with the display
	// given back.
	Sys_SetFatalExitHandler(ExitSaver);
	SetRunMode(ParseCommandLine(commandLine));
	if (GetRunMode() == RunMode::Configure)
	{
		RunOptionsDialog();
	}
	if (GetRunMode() == RunMode::Saver)
	{
		RunSaver();
	}
	if (GetRunMode() == RunMode::Preview)
	{
		RunPreview();
	}
	return static_cast<int>(ModeExitStatus());
}
