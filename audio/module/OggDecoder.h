#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Decodes a whole Ogg Vorbis file held in memory into interleaved 16-bit stereo frames at the
// output frequency: mono is spread to both sides, other rates are resampled. Files of more than
// two channels, of links that differ in rate or channels, rates outside 8 to 192 kHz, damaged
// files and files that would decode to more than `maxFrames` are refused (false).
bool DecodeOggVorbis(std::span<const uint8_t> file, int outputFrequency, size_t maxFrames,
                     std::vector<int16_t>& stereoFrames);
