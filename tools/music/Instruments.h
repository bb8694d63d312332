#pragma once

#include <cstdint>
#include <vector>

// The players of the little band. Every one is additive (sums of sine partials, or wavetables
// holding only harmonics below the audible top), so nothing aliases, and every note has an
// attack and release ramp, so nothing clicks.
enum class Instrument
{
	Celesta,
	MusicBox,
	Glockenspiel,
	Bell,
	Harp,
	Strings,
	Bass,
	SleighBells,
};

struct NoteEvent
{
	Instrument instrument = Instrument::Celesta;
	double start = 0.0; // seconds from the start of the piece
	double held = 0.0;  // seconds the key is held
	double midi = 60.0; // pitch as a MIDI note number; fractions detune
	float velocity = 1.0f;
	float pan = 0.0f;  // -1 left, +1 right
	uint64_t seed = 0; // for the small random details of this one note
};

// One note, mono and dry, from its start until it has died away (after the release of a
// damped instrument, or when an undamped one has rung out).
std::vector<float> RenderNote(const NoteEvent& note);

// How much of an instrument goes to the reverb, 0 to 1.
float ReverbSend(Instrument instrument);
