#pragma once

#include "tools/music/Audio.h"

#include <cstdint>
#include <vector>

// Encodes the audio as one Ogg Vorbis stream at the given VBR quality (0..1). The stream's
// serial number is fixed, so the same samples always give the same bytes.
std::vector<uint8_t> EncodeVorbis(const StereoBuffer& audio, float quality);
