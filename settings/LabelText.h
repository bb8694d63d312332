#pragma once

#include <string>
#include <string_view>
#include <vector>

// One entry of the dialog label text: its tag line ("#Window_Title#") and its text.
struct LabelEntry
{
	std::string tag;
	std::string text;
};

// The label text is a list of entries: a tag line that begins with "#", then the entry's text
// lines. Each text line is appended as one blank followed by the line, so every text begins with
// a blank and a text of two lines comes out joined by a blank. Lines end in CR LF or LF; lines
// before the first tag belong to no entry. Entries come back in file order.
std::vector<LabelEntry> ParseLabelText(std::string_view text);

// The label text linked into the program; empty when there is none.
std::string_view EmbeddedLabelText();
