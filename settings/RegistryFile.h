#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One REGEDIT4 text file standing in for the per-user registry:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Quillfen\Glimmerhearth]
//   "Resolution:"=dword:00000003
//
// The file is kept line by line, so that whatever this program does not know (other keys,
// other value types, comments, CR LF line ends) is written back exactly as it was read. Keys
// and value names compare without regard to the case of A-Z, as the registry does.
class RegistryFile
{
public:
	enum class LoadResult
	{
		Parsed,     // a REGEDIT4 file, now held in memory
		Missing,    // no file: an empty document
		Corrupt,    // a file that is not REGEDIT4 as far as we can tell: an empty document
		Unreadable, // a file that exists but cannot be read: it must not be replaced
	};

	// Files beyond this size are taken as corrupt: this program writes a few hundred bytes, and
	// each line held costs about a hundred bytes of memory, so a file of line feeds stays small.
	static constexpr size_t kMaxFileSize = 64 * 1024;

	RegistryFile();

	LoadResult Load(const std::filesystem::path& path);
	// Replaces the file atomically: a new file beside it, flushed to disk, renamed over it.
	// Missing folders are created. False when any step fails, with errno telling why; the old
	// file is then untouched.
	bool Save(const std::filesystem::path& path) const;

	// The in-memory part. Parse fails on anything that is not a REGEDIT4 file and then leaves
	// an empty document.
	void Clear();
	bool Parse(std::string_view text);
	std::string Text() const;

	// The value as a number when it is a dword; nothing when the key or the value is missing or
	// the value holds another type.
	std::optional<uint32_t> ReadDword(std::string_view key, std::string_view name) const;
	// Replaces the value, or adds it at the end of its key, or adds the key at the end of the
	// file. A name holding a line break or NUL is refused (false).
	bool WriteDword(std::string_view key, std::string_view name, uint32_t value);

private:
	enum class LineKind
	{
		Other,        // the header, blank lines, comments
		Key,          // [key]
		Value,        // "name"=data or @=data
		Continuation, // the rest of a hex value written across lines
	};

	struct Line
	{
		std::string text; // without its line feed; a CR before it stays
		LineKind kind = LineKind::Other;
		std::string name;       // the key, or the unescaped value name
		std::string data;       // a value's text after the equals sign
		bool continues = false; // a hex value going on in the next line
	};

	bool ClassifyLines();
	size_t FindValue(std::string_view key, std::string_view name) const;
	size_t FindLastKey(std::string_view key) const;
	size_t EndOfKeyValues(size_t keyLine) const;
	size_t EndOfValue(size_t valueLine) const;
	Line MakeLine(std::string text) const;
	void InsertAfterValues(size_t position, std::vector<Line> added);

	std::vector<Line> lines;
	bool crLf = false;
};
