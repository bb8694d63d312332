#pragma once

#include "tools/music/Instruments.h"

#include <vector>

// The carols as the band plays them: every note of every player, in seconds. The piece ends
// on the chord that leads back into its first bar, so it can loop for as long as the saver
// runs.
struct Score
{
	std::vector<NoteEvent> notes;
	double seconds = 0.0;
};

// Throws NotationError (naming the section and line) when a line of the arrangement is wrong.
Score BuildScore();
