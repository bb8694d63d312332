#pragma once

#include "tools/music/Audio.h"

// Programme loudness as broadcasters measure it (ITU-R BS.1770): K-weighting, 400 ms blocks
// overlapping by three quarters, an absolute gate at -70 LUFS and a relative gate 10 LU below
// the ungated mean. Returns LUFS; silence gives -70 or less.
double IntegratedLoudness(const StereoBuffer& audio);

// The highest level between the samples as well as on them: the signal is oversampled four
// times before its peak is taken, as a converter would reconstruct it. The audio is taken as a
// loop: its end runs on into its start. Linear, 1.0 = 0 dBFS.
double TruePeak(const StereoBuffer& audio);

double ToDecibels(double linear);
double FromDecibels(double decibels);
