#include "app/Entry.h"

#include <cstdio>

// The preview and the Options dialog are built in later steps; until then each
// mode writes what it writes so far and says that it is not there yet.

void RunPreview()
{
	std::fprintf(stderr, "glimmerhearth: the preview is not built yet; start-up ends here.\n");
}

void RunOptionsDialog()
{
	std::fprintf(stderr, "glimmerhearth: the Options dialog is not built yet; start-up ends here.\n");
}
