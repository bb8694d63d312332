#include "app/CommandLine.h"
#include "app/Entry.h"
#include "app/HostOptions.h"
#include "app/Snapshot.h"
#include "core/RunMode.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
	std::vector<std::string> arguments(argv + 1, argv + argc);
	// Options of this port and of a screen-saver host come out before the screen-saver switch is
	// read; a snapshot run and a run in a host's window are always saver runs.
	std::string error;
	if (!g_snapshot.TakeOptions(arguments, error) || !g_host.TakeOptions(arguments, error))
	{
		std::fprintf(stderr, "glimmerhearth: %s\n", error.c_str());
		return static_cast<int>(ExitStatus::BadOption);
	}
	if (g_snapshot.Active() && g_host.Active())
	{
		std::fprintf(stderr, "glimmerhearth: a snapshot is drawn in a window of its own, not a host's\n");
		return static_cast<int>(ExitStatus::BadOption);
	}
	if (g_snapshot.Active() || g_host.Active())
	{
		arguments = {"/s"};
	}
	return RunEntry(RebuildCommandLine(argv[0], arguments));
}
