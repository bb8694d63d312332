#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The compact note text the carols are written in.
//
// A melody is a list of tokens separated by spaces:
//   c5:1  a note: letter a-g, an optional '#' (sharp) or 'b' (flat), an optional octave digit
//         (middle C is c4) and an optional ':' with its length in beats
//   r:2   a rest
//   |     a bar line: the notes so far must fill whole bars (spaces around it are optional)
// Octave and length carry over from the note before, so "f4:1 g a bb c5:2" is five notes.
//
// A chord line uses chord names instead of notes, with the same lengths and bar lines:
//   F:4 | Bb:2 C7:2 | Dm7 ...   (qualities: none, m, 7, m7, maj7, 6, sus4, dim)
// A chord repeated without change is held, not struck again.

class NotationError : public std::runtime_error
{
public:
	using std::runtime_error::runtime_error;
};

struct MelodyNote
{
	double beat = 0.0;  // from the start of the line
	double beats = 0.0; // length
	int midi = 0;       // MIDI note number (c4 = 60)
};

struct Melody
{
	std::vector<MelodyNote> notes;
	double beats = 0.0; // the whole line, rests included
};

struct ChordSpan
{
	double beat = 0.0;
	double beats = 0.0;
	int root = 0;               // pitch class, C = 0
	std::vector<int> intervals; // semitones above the root, the root (0) first
};

struct ChordLine
{
	std::vector<ChordSpan> chords;
	double beats = 0.0;
};

Melody ParseMelody(std::string_view text, int beatsPerBar);
ChordLine ParseChords(std::string_view text, int beatsPerBar);
