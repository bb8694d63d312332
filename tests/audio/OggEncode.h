#pragma once

#include <cstdint>
#include <vector>

// Test sounds: a sine tone, and Ogg Vorbis made from interleaved samples with libvorbisenc.
std::vector<float> SineWave(double frequency, double seconds, double amplitude, int rate, int channels);
std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& interleaved, int channels, int rate);
