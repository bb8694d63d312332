#include "app/CommandLine.h"
#include "app/Entry.h"
#include "app/Snapshot.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
	std::vector<std::string> arguments(argv + 1, argv + argc);
	// Options of this port come out before the screen-saver switch is read; a snapshot run is
	// always a saver run.
	std::string error;
	if (!g_snapshot.TakeOptions(arguments, error))
	{
		std::fprintf(stderr, "glimmerhearth: %s\n", error.c_str());
		return 2;
	}
	if (g_snapshot.Active())
	{
		arguments = {"/s"};
	}
	return RunEntry(RebuildCommandLine(argv[0], arguments));
}
