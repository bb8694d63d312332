#include "app/Entry.h"

#include "app/CommandLine.h"
#include "app/HostOptions.h"
#include "app/LogFile.h"
#include "app/Platform.h"
#include "app/RunMode.h"
#include "app/Signals.h"
#include "app/Snapshot.h"
#include "media/MediaStore.h"
#include "settings/DefaultsTable.h"
#include "settings/Settings.h"

#include <cstdlib>

volatile std::sig_atomic_t g_runMode = static_cast<std::sig_atomic_t>(RunMode::None);
bool g_modeFailed = false;

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
