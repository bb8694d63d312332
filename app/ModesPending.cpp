#include "app/Entry.h"

#include "app/LogFile.h"

#include <cstdio>

// Saver mode is built in a later step; until then it writes what it writes so far and says that
// it is not there yet.

void RunSaver()
{
	g_log.WriteLine("Starting...");
	g_log.WriteLine("Starting init OpenGL");
	std::fprintf(stderr, "glimmerhearth: the saver itself is not built yet; start-up ends here.\n");
}
