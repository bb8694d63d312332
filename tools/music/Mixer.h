#pragma once

#include "tools/music/Audio.h"
#include "tools/music/Instruments.h"

#include <vector>

// Plays every note into a loop of the given length: whatever rings on past the end (a last
// chord, the room) sounds over the start instead, exactly as it will when the player jumps
// back, so the seam cannot be heard.
StereoBuffer RenderLoop(const std::vector<NoteEvent>& notes, size_t frames);

struct MasterLevels
{
	double gainDb = 0.0;
	double loudness = 0.0; // LUFS after the gain
	double truePeakDb = 0.0;
};

// Sets the loop to the target loudness; when its peaks would then pass the ceiling, the gain
// is lowered to keep them under it instead (a gentle piece has peaks to spare, so this is a
// guard, not a limiter).
MasterLevels Master(StereoBuffer& audio, double targetLufs, double ceilingDb);
