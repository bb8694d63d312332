#include "tools/music/Arrangement.h"

#include "tools/music/Audio.h"
#include "tools/music/Notation.h"

#include <cmath>
#include <map>
#include <string>

namespace
{
// One part of the medley. Patterns hold one bar in eighth notes and repeat every bar:
//   bass      '1' root, '3' third, '5' fifth, '7' seventh (or octave), '8' octave, '.' hold
//   arpeggio  the same chord tones for the harp, an octave higher
//   sleigh    'X' a firm shake, 'x' a light one, '.' nothing
struct Section
{
	const char* name;
	double bpm;
	int beatsPerBar;
	Instrument lead;
	const char* melody;
	Instrument descantInstrument;
	const char* descant;
	const char* chords;
	const char* bass;
	const char* arpeggio;
	const char* sleigh;
};

// Everything is in F major (God Rest Ye in its relative, D minor); the lead is written an
// octave below where it sounds. The last section turns around to the first.
// clang-format off
const Section kSections[] = {
	{
		.name = "intro", .bpm = 96, .beatsPerBar = 4,
		.lead = Instrument::MusicBox,
		.melody = "r:4 | r:4 |",
		.descantInstrument = Instrument::Bell,
		.descant = "f4:4 | r:2 c4:2 |",
		.chords = "F:4 | Bb:2 C7:2 |",
		.bass = "1.......", .arpeggio = "1.3.5.8.", .sleigh = "",
	},
	{
		.name = "Jingle Bells", .bpm = 100, .beatsPerBar = 4,
		.lead = Instrument::Celesta,
		.melody =
			"a4:1 a a:2 | a:1 a a:2 | a:1 c5 f4:1.5 g:0.5 | a:4 |"
			"bb:1 bb bb:1.5 bb:0.5 | bb:1 a a a:0.5 a | a:1 g g a | g:2 c5:2 |"
			"a4:1 a a:2 | a:1 a a:2 | a:1 c5 f4:1.5 g:0.5 | a:4 |"
			"bb:1 bb bb:1.5 bb:0.5 | bb:1 a a a:0.5 a | c5:1 c bb4 g | f:4 |",
		.descantInstrument = Instrument::Glockenspiel,
		.descant =
			"r:4 | r | r | r:2 c6:0.5 a5 f g |"
			"r:4 | r | r | r |"
			"r | r | r | r:2 c6:0.5 a5 f g |"
			"r:4 | r | r | r:2 a5:0.5 g f c |",
		.chords =
			"F:4 | F | F | F | Bb | F | G7 | C7 |"
			"F | F | F | F | Bb | F | C7 | F |",
		.bass = "1...5...", .arpeggio = "", .sleigh = "x.X.x.X.",
	},
	{
		.name = "Deck the Halls", .bpm = 100, .beatsPerBar = 4,
		.lead = Instrument::MusicBox,
		.melody =
			"r:4 |"
			"c5:1.5 bb4:0.5 a:1 g | f g a f | g:0.5 a bb g a:1.5 g:0.5 | f:1 e f:2 |"
			"c5:1.5 bb4:0.5 a:1 g | f g a f | g:0.5 a bb g a:1.5 g:0.5 | f:1 e f:2 |"
			"g:1.5 a:0.5 bb:1 g | a:1.5 bb:0.5 c5:1 g4 | a:0.5 b c5:1 d:0.5 e f:1 | e d c:2 |"
			"c5:1.5 bb4:0.5 a:1 g | f g a f | d5:0.5 d d d c:1.5 bb4:0.5 | a:1 g f:2 |",
		.descantInstrument = Instrument::Glockenspiel,
		.descant =
			"r:4 |"
			"r | r | r | r:2 a5:0.5 c6 f c |"
			"r:4 | r | r | r:2 a5:0.5 c6 f c |"
			"r:4 | r | r | r:2 e5:0.5 g bb c6 |"
			"r:4 | r | r | r:2 c6:1 f5 |",
		.chords =
			"Bb:2 C7:2 |"
			"F:4 | F:1 C7:1 F:2 | C7:2 F:2 | C7:2 F:2 |"
			"F:4 | F:1 C7:1 F:2 | C7:2 F:2 | C7:2 F:2 |"
			"C7:4 | F:2 C7:2 | F:1 C:2 Dm:1 | C:2 C7:2 |"
			"F:4 | F:1 C7:1 F:2 | Bb:2 F:2 | C7:2 F:2 |",
		.bass = "1...5...", .arpeggio = "1.5.8.5.", .sleigh = "..x...x.",
	},
	{
		.name = "O Tannenbaum", .bpm = 84, .beatsPerBar = 3,
		.lead = Instrument::Celesta,
		.melody =
			"r:2 c4:1 |"
			"f:0.75 f:0.25 f:1.5 g:0.5 | a:0.75 a:0.25 a:1.5 a:0.5 | g:1 a:0.5 bb:1 e:0.5 | g:1 f c5 |"
			"c5:1 a4:0.5 d5:1 c5:0.5 | c5:1 bb4 bb | bb:1 g:0.5 c5:1 bb4:0.5 | bb:1 a c4 |"
			"f:0.75 f:0.25 f:1.5 g:0.5 | a:0.75 a:0.25 a:1.5 a:0.5 | g:1 a:0.5 bb:1 e:0.5 | g:1 f:2 |",
		.descantInstrument = Instrument::Bell,
		.descant =
			"r:3 |"
			"f4:3 | r | r | r |"
			"c4:3 | r | r | r |"
			"f4:3 | r | r | r:1 f4:2 |",
		.chords =
			"C7:3 |"
			"F | F | C7 | C7:1 F:2 |"
			"F:3 | C7 | C7 | F:2 C7:1 |"
			"F:3 | F | C7 | C7:1 F:2 |",
		.bass = "1...5.", .arpeggio = "1.5.8.", .sleigh = "",
	},
	{
		.name = "God Rest Ye Merry Gentlemen", .bpm = 88, .beatsPerBar = 4,
		.lead = Instrument::Harp,
		.melody =
			"r:3 d4:1 |"
			"d a a g | f e d c | d e f g | a:3 d:1 |"
			"d a a g | f e d c | d e f g | a:4 |",
		.descantInstrument = Instrument::Bell,
		.descant =
			"r:4 |"
			"d4:4 | r | r | r |"
			"d4:4 | r | r | r:2 a3:2 |",
		.chords =
			"A7:4 |"
			"Dm:4 | Dm:2 C:2 | Dm:2 Gm7:2 | A7:4 |"
			"Dm:4 | Dm:2 C:2 | Dm:2 Gm7:2 | Dm:4 |",
		.bass = "1...5...", .arpeggio = "", .sleigh = "",
	},
	{
		.name = "We Wish You a Merry Christmas", .bpm = 112, .beatsPerBar = 3,
		.lead = Instrument::MusicBox,
		.melody =
			"r:2 c4:1 |"
			"f:1 f:0.5 g f e | d:1 d d | g:1 g:0.5 a g f | e:1 c c |"
			"a:1 a:0.5 bb a g | f:1 d c:0.5 c | d:1 g e | f:2 c:1 |"
			"f:1 f f | e:2 e:1 | f:1 e d | c:2 g:1 |"
			"a:1 g f | c5:1 c4 c:0.5 c | d:1 g e | f:3 |",
		.descantInstrument = Instrument::Glockenspiel,
		.descant =
			"r:3 |"
			"r | r | r | r |"
			"r | r | r | r:1 c6:0.5 a5 f:1 |"
			"r:3 | r | r | r |"
			"r | r | r | r:1 a5:1 c6 |",
		.chords =
			"C7:3 |"
			"F | Bb | G7 | C |"
			"A7 | Dm:2 C7:1 | Bb:1 C7:2 | F:3 |"
			"F | C | G7 | C |"
			"F | Dm7 | Bb:1 C7:2 | F:3 |",
		.bass = "1...5.", .arpeggio = "", .sleigh = "X.x.x.",
	},
	{
		.name = "turnaround", .bpm = 96, .beatsPerBar = 4,
		.lead = Instrument::MusicBox,
		.melody = "a4:1 f d5:2 | bb4:1 g e c |",
		.descantInstrument = Instrument::Bell,
		.descant = "r:4 | c4:4 |",
		.chords = "F:2 Dm:2 | Gm7:2 C7:2 |",
		.bass = "1...5...", .arpeggio = "1.3.5.8.", .sleigh = "",
	},
};
// clang-format on

// How each player sits in the room: loudness, place in the stereo field, timing looseness.
struct Player
{
	float velocity;
	float pan;
	double looseness; // seconds of random timing
};

constexpr Player kLead = {0.9f, 0.05f, 0.006};
constexpr Player kDescant = {0.42f, 0.35f, 0.004};
constexpr Player kBell = {0.38f, -0.3f, 0.0};
constexpr Player kHarp = {0.3f, -0.35f, 0.008};
constexpr Player kStrings = {0.15f, 0.45f, 0.0};
constexpr Player kBass = {0.5f, 0.0f, 0.004};
constexpr Player kSleigh = {1.4f, 0.25f, 0.005};

constexpr int kLeadTranspose = 12;
constexpr int kBassLowest = 36;    // C2
constexpr int kHarpLowest = 48;    // C3
constexpr int kStringsLowest = 55; // G3

class ScoreBuilder
{
public:
	Score Build()
	{
		for (const Section& section : kSections)
		{
			AddSection(section);
		}
		score.seconds = sectionStart;
		return std::move(score);
	}

private:
	void AddSection(const Section& section)
	{
		current = &section;
		const Melody melody = Parse("melody", section.melody);
		const ChordLine chords = ParseChordLine(section.chords);
		const double beats = melody.beats;
		if (std::fabs(chords.beats - beats) > 1e-6)
		{
			Fail("chords", "the chords last " + std::to_string(chords.beats) + " beats, the melody " +
			                   std::to_string(beats));
		}
		AddMelody(melody, section.lead, kLead, kLeadTranspose);
		if (*section.descant)
		{
			const Melody descant = Parse("descant", section.descant);
			if (std::fabs(descant.beats - beats) > 1e-6)
			{
				Fail("descant", "the line does not last as long as the melody");
			}
			const bool bell = section.descantInstrument == Instrument::Bell;
			AddMelody(descant, section.descantInstrument, bell ? kBell : kDescant, 0);
		}
		AddStrings(chords);
		AddChordPattern("bass", section.bass, chords, Instrument::Bass, kBass, kBassLowest);
		AddChordPattern("arpeggio", section.arpeggio, chords, Instrument::Harp, kHarp, kHarpLowest);
		AddSleighBells(section.sleigh, beats);
		sectionStart += Seconds(beats);
	}

	[[noreturn]] void Fail(const char* line, const std::string& why) const
	{
		throw NotationError(std::string(current->name) + ", " + line + ": " + why);
	}

	Melody Parse(const char* line, const char* text) const
	{
		try
		{
			return ParseMelody(text, current->beatsPerBar);
		}
		catch (const NotationError& error)
		{
			Fail(line, error.what());
		}
	}

	ChordLine ParseChordLine(const char* text) const
	{
		try
		{
			return ParseChords(text, current->beatsPerBar);
		}
		catch (const NotationError& error)
		{
			Fail("chords", error.what());
		}
	}

	double Seconds(double beats) const { return beats * 60.0 / current->bpm; }
	double TimeOf(double beat) const { return sectionStart + Seconds(beat); }

	void Add(Instrument instrument, const Player& player, double beat, double beats, double midi,
	         float accent = 1.0f)
	{
		NoteEvent note;
		note.instrument = instrument;
		note.seed = random.Next();
		Random human(note.seed);
		note.start = TimeOf(beat) + player.looseness * human.Range(-1.0, 1.0);
		note.held = Seconds(beats);
		note.midi = midi;
		note.velocity = player.velocity * accent * static_cast<float>(human.Range(0.94, 1.06));
		note.pan = player.pan;
		score.notes.push_back(note);
	}

	// Downbeats lean a little, the rest of the bar a little less.
	float Accent(double beat) const
	{
		const double inBar = std::fmod(beat, current->beatsPerBar);
		if (inBar < 1e-6)
		{
			return 1.08f;
		}
		return std::fabs(inBar - std::round(inBar)) < 1e-6 ? 1.0f : 0.9f;
	}

	void AddMelody(const Melody& melody, Instrument instrument, const Player& player, int transpose)
	{
		for (const MelodyNote& note : melody.notes)
		{
			Add(instrument, player, note.beat, note.beats, note.midi + transpose, Accent(note.beat));
		}
	}

	static int PlaceInOctave(int pitchClass, int lowest)
	{
		return lowest + ((pitchClass - lowest) % 12 + 12) % 12;
	}

	// Held chords, in close position around middle C; notes that two chords share are held
	// over rather than bowed again. Each note is two bows, one to each side.
	void AddStrings(const ChordLine& chords)
	{
		std::map<int, double> sounding; // pitch -> beat it started
		auto release = [&](int pitch, double endBeat)
		{
			for (float side : {-1.0f, 1.0f})
			{
				Player bow = kStrings;
				bow.pan *= side;
				Add(Instrument::Strings, bow, sounding[pitch], endBeat - sounding[pitch], pitch);
			}
			sounding.erase(pitch);
		};
		for (const ChordSpan& chord : chords.chords)
		{
			std::map<int, double> next;
			for (int interval : chord.intervals)
			{
				const int pitch = PlaceInOctave(chord.root + interval, kStringsLowest);
				next[pitch] = sounding.count(pitch) ? sounding[pitch] : chord.beat;
			}
			for (auto it = sounding.begin(); it != sounding.end();)
			{
				const int pitch = (it++)->first;
				if (!next.count(pitch))
				{
					release(pitch, chord.beat);
				}
			}
			sounding = next;
		}
		while (!sounding.empty())
		{
			release(sounding.begin()->first, chords.beats);
		}
	}

	static const ChordSpan& ChordAt(const ChordLine& chords, double beat)
	{
		for (const ChordSpan& chord : chords.chords)
		{
			if (beat < chord.beat + chord.beats - 1e-6)
			{
				return chord;
			}
		}
		return chords.chords.back();
	}

	static int ChordTone(const ChordSpan& chord, char degree, int lowest)
	{
		const int root = PlaceInOctave(chord.root, lowest);
		switch (degree)
		{
		case '3':
			return root + chord.intervals[1];
		case '5':
			return root + chord.intervals[2];
		case '7':
			return root + (chord.intervals.size() > 3 ? chord.intervals[3] : 12);
		case '8':
			return root + 12;
		default:
			return root;
		}
	}

	void CheckPattern(const char* line, const char* pattern, const char* allowed) const
	{
		const std::string text = pattern;
		if (text.size() != static_cast<size_t>(current->beatsPerBar * 2))
		{
			Fail(line, "a pattern holds one bar of eighths");
		}
		if (text.find_first_not_of(allowed) != std::string::npos)
		{
			Fail(line, "unknown pattern step");
		}
	}

	void AddChordPattern(const char* line, const char* pattern, const ChordLine& chords,
	                     Instrument instrument, const Player& player, int lowest)
	{
		if (!*pattern)
		{
			return;
		}
		CheckPattern(line, pattern, "13578.");
		const int steps = current->beatsPerBar * 2;
		for (int step = 0; step * 0.5 < chords.beats - 1e-6; ++step)
		{
			const char degree = pattern[step % steps];
			if (degree == '.')
			{
				continue;
			}
			// A pattern note holds until the pattern's next note or the bar's end.
			int length = 1;
			while ((step + length) % steps != 0 && pattern[(step + length) % steps] == '.')
			{
				++length;
			}
			const double beat = step * 0.5;
			const ChordSpan& chord = ChordAt(chords, beat);
			Add(instrument, player, beat, length * 0.5, ChordTone(chord, degree, lowest), Accent(beat));
		}
	}

	void AddSleighBells(const char* pattern, double beats)
	{
		if (!*pattern)
		{
			return;
		}
		CheckPattern("sleigh", pattern, "Xx.");
		const int steps = current->beatsPerBar * 2;
		for (int step = 0; step * 0.5 < beats - 1e-6; ++step)
		{
			const char shake = pattern[step % steps];
			if (shake != '.')
			{
				Add(Instrument::SleighBells, kSleigh, step * 0.5, 0.5, 0.0, shake == 'X' ? 1.0f : 0.55f);
			}
		}
	}

	Score score;
	const Section* current = nullptr;
	double sectionStart = 0.0;
	Random random{0x6C696D6D65726865ull};
};
} // namespace

Score BuildScore()
{
	ScoreBuilder builder;
	return builder.Build();
}
