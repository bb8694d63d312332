#include "tools/music/Notation.h"

#include <cctype>
#include <cmath>

namespace
{
// Lengths are written in beats with at most a few decimals; anything longer than this many
// bars in one note is a typing slip, not music.
constexpr double kLongestNote = 64.0;
constexpr double kBarTolerance = 1e-6;

struct Token
{
	std::string_view text;
	size_t offset = 0;
};

// Tokens are separated by spaces; a bar line stands on its own even without them.
std::vector<Token> SplitTokens(std::string_view text)
{
	std::vector<Token> tokens;
	size_t i = 0;
	while (i < text.size())
	{
		while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
		{
			++i;
		}
		const size_t start = i;
		if (i < text.size() && text[i] == '|')
		{
			++i;
		}
		else
		{
			while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '|')
			{
				++i;
			}
		}
		if (i > start)
		{
			tokens.push_back({text.substr(start, i - start), start});
		}
	}
	return tokens;
}

[[noreturn]] void Fail(const Token& token, const std::string& why)
{
	throw NotationError("'" + std::string(token.text) + "' at " + std::to_string(token.offset) + ": " + why);
}

// Reads "digits[.digits]" from the whole of text.
double ParseLength(const Token& token, std::string_view text)
{
	if (text.empty())
	{
		Fail(token, "missing length after ':'");
	}
	double whole = 0.0;
	double fraction = 0.0;
	double scale = 1.0;
	bool seenPoint = false;
	int digits = 0;
	for (char c : text)
	{
		if (c == '.' && !seenPoint)
		{
			seenPoint = true;
			continue;
		}
		if (!std::isdigit(static_cast<unsigned char>(c)) || ++digits > 6)
		{
			Fail(token, "bad length");
		}
		if (seenPoint)
		{
			scale *= 0.1;
			fraction += (c - '0') * scale;
		}
		else
		{
			whole = whole * 10.0 + (c - '0');
		}
	}
	const double length = whole + fraction;
	if (length <= 0.0 || length > kLongestNote)
	{
		Fail(token, "length out of range");
	}
	return length;
}

// Splits "name:length" and updates the carried length.
std::string_view TakeLength(const Token& token, double& length)
{
	const size_t colon = token.text.find(':');
	if (colon == std::string_view::npos)
	{
		return token.text;
	}
	length = ParseLength(token, token.text.substr(colon + 1));
	return token.text.substr(0, colon);
}

void CheckBar(const Token& token, double beat, int beatsPerBar)
{
	const double bars = beat / beatsPerBar;
	if (std::fabs(bars - std::round(bars)) > kBarTolerance)
	{
		Fail(token, "the bar is not full (beat " + std::to_string(beat) + ")");
	}
}

// Semitones of the natural notes above C.
int NaturalPitchClass(char letter)
{
	static constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
	return kSemitones[letter - 'a'];
}

int ReadAccidental(std::string_view name, size_t& at)
{
	if (at < name.size() && name[at] == '#')
	{
		++at;
		return 1;
	}
	if (at < name.size() && name[at] == 'b')
	{
		++at;
		return -1;
	}
	return 0;
}

int ParsePitch(const Token& token, std::string_view name, int& octave)
{
	const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
	if (letter < 'a' || letter > 'g')
	{
		Fail(token, "not a note");
	}
	size_t at = 1;
	const int accidental = ReadAccidental(name, at);
	if (at < name.size())
	{
		if (at + 1 != name.size() || !std::isdigit(static_cast<unsigned char>(name[at])) || name[at] > '8')
		{
			Fail(token, "bad octave");
		}
		octave = name[at] - '0';
	}
	return (octave + 1) * 12 + NaturalPitchClass(letter) + accidental;
}

struct ChordQuality
{
	std::string_view name;
	std::vector<int> intervals;
};

const std::vector<int>& ParseQuality(const Token& token, std::string_view name)
{
	static const ChordQuality kQualities[] = {
	    {"", {0, 4, 7}},         {"m", {0, 3, 7}},    {"7", {0, 4, 7, 10}}, {"m7", {0, 3, 7, 10}},
	    {"maj7", {0, 4, 7, 11}}, {"6", {0, 4, 7, 9}}, {"sus4", {0, 5, 7}},  {"dim", {0, 3, 6}},
	};
	for (const ChordQuality& quality : kQualities)
	{
		if (quality.name == name)
		{
			return quality.intervals;
		}
	}
	Fail(token, "unknown chord quality");
}

// Walks the timed tokens of a line (notes, rests or chords), checking the bar lines on the way,
// and hands each one to the visitor with the beat it starts on and its length. Returns the
// length of the whole line in beats.
template <typename Visitor> double WalkLine(std::string_view text, int beatsPerBar, Visitor visit)
{
	double beat = 0.0;
	double length = 1.0;
	for (const Token& token : SplitTokens(text))
	{
		if (token.text == "|")
		{
			CheckBar(token, beat, beatsPerBar);
			continue;
		}
		const std::string_view name = TakeLength(token, length);
		if (name.empty())
		{
			Fail(token, "missing note or chord before ':'");
		}
		visit(token, name, beat, length);
		beat += length;
	}
	return beat;
}
} // namespace

Melody ParseMelody(std::string_view text, int beatsPerBar)
{
	Melody melody;
	int octave = 4;
	melody.beats = WalkLine(text, beatsPerBar,
	                        [&](const Token& token, std::string_view name, double beat, double length)
	                        {
		                        if (name != "r")
		                        {
			                        melody.notes.push_back({beat, length, ParsePitch(token, name, octave)});
		                        }
	                        });
	return melody;
}

ChordLine ParseChords(std::string_view text, int beatsPerBar)
{
	ChordLine line;
	line.beats =
	    WalkLine(text, beatsPerBar,
	             [&](const Token& token, std::string_view name, double beat, double length)
	             {
		             if (name[0] < 'A' || name[0] > 'G')
		             {
			             Fail(token, "not a chord");
		             }
		             size_t at = 1;
		             const int accidental = ReadAccidental(name, at);
		             const int root =
		                 (NaturalPitchClass(static_cast<char>(name[0] - 'A' + 'a')) + accidental + 12) % 12;
		             const std::vector<int>& intervals = ParseQuality(token, name.substr(at));
		             if (!line.chords.empty() && line.chords.back().root == root &&
		                 line.chords.back().intervals == intervals)
		             {
			             line.chords.back().beats += length;
		             }
		             else
		             {
			             line.chords.push_back({beat, length, root, intervals});
		             }
	             });
	return line;
}
