#include "app/Entry.h"

#include "app/LogFile.h"

#include <cstdio>

// Saver mode and the preview are built in later steps; until then each
// mode writes what it writes so far and says that it is not there yet.

void RunSaver()
{
	g_log.WriteLine("Starting...");
	g_log.WriteLine("Starting init OpenGL");
	std::fprintf(stderr, "glimmerhearth: the saver itself is not built yet; start-up ends here.\n");
}

void RunPreview()
{
	std::fprintf(stderr, "glimmerhearth: the preview is not built yet; start-up ends here.\n");
}
