#include "settings/RegistryFile.h"

#include "settings/AsciiCase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace
{
constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xef\xbb\xbf";
constexpr size_t kNotFound = static_cast<size_t>(-1);

bool IsBlank(char c)
{
	return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text)
{
	while (!text.empty() && IsBlank(text.front()))
	{
		text.remove_prefix(1);
	}
	while (!text.empty() && IsBlank(text.back()))
	{
		text.remove_suffix(1);
	}
	return text;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
	return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool HoldsLineBreakOrNul(std::string_view text)
{
	return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// A quoted value name with its \" and \\ escapes, at the start of `text`. Returns the position
// after the closing quote, or npos when the quote is never closed.
size_t ParseQuotedName(std::string_view text, std::string& name)
{
	name.clear();
	for (size_t i = 1; i < text.size(); ++i)
	{
		if (text[i] == '"')
		{
			return i + 1;
		}
		if (text[i] == '\\' && i + 1 < text.size())
		{
			++i;
		}
		name += text[i];
	}
	return std::string_view::npos;
}

std::string QuotedName(std::string_view name)
{
	std::string quoted = "\"";
	for (const char c : name)
	{
		if (c == '"' || c == '\\')
		{
			quoted += '\\';
		}
		quoted += c;
	}
	return quoted + '"';
}

// `"name"=data` or `@=data` (the key's default value, whose name is empty).
bool ParseValueLine(std::string_view text, std::string& name, std::string& data)
{
	size_t end = 0;
	if (text.front() == '@')
	{
		name.clear();
		end = 1;
	}
	else if (text.front() == '"')
	{
		end = ParseQuotedName(text, name);
	}
	else
	{
		return false;
	}
	if (end == std::string_view::npos)
	{
		return false;
	}
	const std::string_view rest = Trim(text.substr(end));
	if (rest.empty() || rest.front() != '=')
	{
		return false;
	}
	data = Trim(rest.substr(1));
	return true;
}

// Only "dword:" with one to eight hex digits is a number. The registry call that this replaces
// would also have read any other value of at most four bytes (a short binary or string value)
// as raw bytes; in a text file that only makes sense for dwords, so everything else reads as
// absent.
std::optional<uint32_t> ParseDword(std::string_view data)
{
	constexpr std::string_view kPrefix = "dword:";
	if (!StartsWithIgnoringCase(data, kPrefix))
	{
		return std::nullopt;
	}
	const std::string_view digits = data.substr(kPrefix.size());
	if (digits.empty() || digits.size() > 8)
	{
		return std::nullopt;
	}
	uint32_t value = 0;
	for (const char c : digits)
	{
		const char lower = LowerAscii(c);
		uint32_t digit = 0;
		if (lower >= '0' && lower <= '9')
		{
			digit = static_cast<uint32_t>(lower - '0');
		}
		else if (lower >= 'a' && lower <= 'f')
		{
			digit = static_cast<uint32_t>(lower - 'a' + 10);
		}
		else
		{
			return std::nullopt;
		}
		value = value * 16 + digit;
	}
	return value;
}

// Binary values may run over several lines, each but the last ending in a backslash.
bool ContinuesOnNextLine(std::string_view data)
{
	return StartsWithIgnoringCase(data, "hex") && data.back() == '\\';
}

bool CreateFolders(const std::filesystem::path& folder)
{
	if (folder.empty())
	{
		return true;
	}
	struct stat info = {};
	if (stat(folder.c_str(), &info) == 0)
	{
		errno = S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
		return S_ISDIR(info.st_mode);
	}
	if (!CreateFolders(folder.parent_path()))
	{
		return false;
	}
	// Settings are private to the user, as configuration folders usually are.
	return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, std::string_view text)
{
	while (!text.empty())
	{
		const ssize_t written = write(fd, text.data(), text.size());
		if (written < 0 && errno == EINTR)
		{
			continue;
		}
		if (written <= 0)
		{
			return false;
		}
		text.remove_prefix(static_cast<size_t>(written));
	}
	return true;
}

// Reads at most `limit` + 1 bytes, enough to tell that a file is too large.
bool ReadAtMost(int fd, size_t limit, std::string& text)
{
	char buffer[4096];
	while (text.size() <= limit)
	{
		const ssize_t got = read(fd, buffer, sizeof(buffer));
		if (got < 0 && errno == EINTR)
		{
			continue;
		}
		if (got < 0)
		{
			return false;
		}
		if (got == 0)
		{
			break;
		}
		text.append(buffer, static_cast<size_t>(got));
	}
	return true;
}

// A save killed before its rename leaves its temporary file behind. One that has not changed
// for a minute belongs to no save still running (a save takes milliseconds), so it goes.
void RemoveAbandonedTemporaries(const std::filesystem::path& folder, const std::string& prefix)
{
	constexpr auto kAbandonedAfter = std::chrono::minutes(1);
	std::error_code error;
	const auto now = std::filesystem::file_time_type::clock::now();
	for (const auto& entry : std::filesystem::directory_iterator(folder, error))
	{
		const std::string name = entry.path().filename().string();
		const bool temporary = name.size() == prefix.size() + 6 && name.starts_with(prefix);
		const auto modified = entry.last_write_time(error);
		if (temporary && !error && entry.is_regular_file(error) && now - modified > kAbandonedAfter)
		{
			std::filesystem::remove(entry.path(), error);
		}
	}
}

// The rename is only durable once the folder holding the name is on disk too.
void SyncFolder(const std::filesystem::path& folder)
{
	const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd >= 0)
	{
		fsync(fd);
		close(fd);
	}
}
} // namespace

RegistryFile::RegistryFile()
{
	Clear();
}

RegistryFile::LoadResult RegistryFile::Load(const std::filesystem::path& path)
{
	Clear();
	const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
	{
		// A file standing where a folder of the path should be means there is no registry file
		// either; the save then says what is in the way.
		return (errno == ENOENT || errno == ENOTDIR) ? LoadResult::Missing : LoadResult::Unreadable;
	}
	std::string text;
	const bool read = ReadAtMost(fd, kMaxFileSize, text);
	close(fd);
	if (!read)
	{
		return LoadResult::Unreadable;
	}
	if (text.size() > kMaxFileSize || !Parse(text))
	{
		return LoadResult::Corrupt;
	}
	return LoadResult::Parsed;
}

bool RegistryFile::Save(const std::filesystem::path& path) const
{
	const std::filesystem::path folder = path.parent_path();
	if (!CreateFolders(folder))
	{
		return false;
	}
	const std::string prefix = "." + path.filename().string() + ".";
	RemoveAbandonedTemporaries(folder.empty() ? "." : folder, prefix);
	std::string temporary = (folder / (prefix + "XXXXXX")).string();
	const int fd = mkostemp(temporary.data(), O_CLOEXEC);
	if (fd < 0)
	{
		return false;
	}
	bool written = WriteAll(fd, Text()) && fsync(fd) == 0;
	written = close(fd) == 0 && written;
	if (!written || std::rename(temporary.c_str(), path.c_str()) != 0)
	{
		// The caller reports why; the clean-up must not change the reason.
		const int reason = errno;
		unlink(temporary.c_str());
		errno = reason;
		return false;
	}
	SyncFolder(folder);
	return true;
}

void RegistryFile::Clear()
{
	crLf = false;
	lines.clear();
	lines.push_back(MakeLine(std::string(kHeader)));
	lines.push_back(MakeLine(""));
}

bool RegistryFile::Parse(std::string_view text)
{
	lines.clear();
	crLf = false;
	// A text file holds no NUL; such a file is left unsplit and so fails below.
	const bool isText = text.find('\0') == std::string_view::npos;
	size_t start = 0;
	while (isText && start < text.size())
	{
		size_t end = text.find('\n', start);
		if (end == std::string_view::npos)
		{
			end = text.size();
		}
		Line line;
		line.text = text.substr(start, end - start);
		lines.push_back(std::move(line));
		start = end + 1;
	}
	if (!ClassifyLines())
	{
		Clear();
		return false;
	}
	return true;
}

std::string RegistryFile::Text() const
{
	std::string text;
	for (const Line& line : lines)
	{
		text += line.text;
		text += '\n';
	}
	return text;
}

bool RegistryFile::ClassifyLines()
{
	if (lines.empty())
	{
		return false;
	}
	std::string_view header = Trim(lines[0].text);
	if (header.starts_with(kUtf8Bom))
	{
		header.remove_prefix(kUtf8Bom.size());
	}
	if (header != kHeader)
	{
		return false;
	}
	crLf = lines[0].text.ends_with('\r');

	bool inKey = false;
	bool continuing = false;
	for (size_t i = 1; i < lines.size(); ++i)
	{
		Line& line = lines[i];
		const std::string_view text = Trim(line.text);
		if (continuing)
		{
			line.kind = LineKind::Continuation;
			line.continues = continuing = text.ends_with('\\');
			continue;
		}
		if (text.empty() || text.front() == ';')
		{
			continue;
		}
		if (text.front() == '[')
		{
			if (text.size() < 2 || text.back() != ']')
			{
				return false;
			}
			line.kind = LineKind::Key;
			line.name = Trim(text.substr(1, text.size() - 2));
			inKey = true;
			continue;
		}
		if (!inKey || !ParseValueLine(text, line.name, line.data))
		{
			return false;
		}
		line.kind = LineKind::Value;
		line.continues = continuing = ContinuesOnNextLine(line.data);
	}
	return true;
}

std::optional<uint32_t> RegistryFile::ReadDword(std::string_view key, std::string_view name) const
{
	const size_t line = FindValue(key, name);
	if (line == kNotFound)
	{
		return std::nullopt;
	}
	return ParseDword(lines[line].data);
}

bool RegistryFile::WriteDword(std::string_view key, std::string_view name, uint32_t value)
{
	if (HoldsLineBreakOrNul(key) || HoldsLineBreakOrNul(name))
	{
		return false;
	}
	char data[32];
	std::snprintf(data, sizeof(data), "dword:%08x", value);
	Line valueLine = MakeLine(QuotedName(name) + "=" + data);
	valueLine.kind = LineKind::Value;
	valueLine.name = name;
	valueLine.data = data;

	const size_t existing = FindValue(key, name);
	if (existing != kNotFound)
	{
		lines.erase(lines.begin() + static_cast<ptrdiff_t>(existing + 1),
		            lines.begin() + static_cast<ptrdiff_t>(EndOfValue(existing)));
		lines[existing] = std::move(valueLine);
		return true;
	}
	const size_t keyLine = FindLastKey(key);
	if (keyLine != kNotFound)
	{
		InsertAfterValues(EndOfKeyValues(keyLine), {std::move(valueLine)});
		return true;
	}
	// A new key goes at the end, after a blank line as regedit writes them.
	std::vector<Line> added;
	if (!Trim(lines.back().text).empty())
	{
		added.push_back(MakeLine(""));
	}
	Line keyHeader = MakeLine("[" + std::string(key) + "]");
	keyHeader.kind = LineKind::Key;
	keyHeader.name = Trim(key);
	added.push_back(std::move(keyHeader));
	added.push_back(std::move(valueLine));
	InsertAfterValues(lines.size(), std::move(added));
	return true;
}

// Where a key appears more than once, its values merge and the last one of a name counts, as
// when such a file is imported.
size_t RegistryFile::FindValue(std::string_view key, std::string_view name) const
{
	size_t found = kNotFound;
	bool inKey = false;
	for (size_t i = 0; i < lines.size(); ++i)
	{
		if (lines[i].kind == LineKind::Key)
		{
			inKey = EqualsIgnoringCase(lines[i].name, key);
		}
		else if (inKey && lines[i].kind == LineKind::Value && EqualsIgnoringCase(lines[i].name, name))
		{
			found = i;
		}
	}
	return found;
}

size_t RegistryFile::FindLastKey(std::string_view key) const
{
	size_t found = kNotFound;
	for (size_t i = 0; i < lines.size(); ++i)
	{
		if (lines[i].kind == LineKind::Key && EqualsIgnoringCase(lines[i].name, key))
		{
			found = i;
		}
	}
	return found;
}

// Just after the key's last value, so that blank lines and comments before the next key stay
// where they are.
size_t RegistryFile::EndOfKeyValues(size_t keyLine) const
{
	size_t end = keyLine + 1;
	for (size_t i = keyLine + 1; i < lines.size() && lines[i].kind != LineKind::Key; ++i)
	{
		if (lines[i].kind == LineKind::Value || lines[i].kind == LineKind::Continuation)
		{
			end = i + 1;
		}
	}
	return end;
}

size_t RegistryFile::EndOfValue(size_t valueLine) const
{
	size_t end = valueLine + 1;
	while (end < lines.size() && lines[end].kind == LineKind::Continuation)
	{
		++end;
	}
	return end;
}

// New lines keep the line ends the file already uses.
RegistryFile::Line RegistryFile::MakeLine(std::string text) const
{
	Line line;
	line.text = std::move(text);
	if (crLf)
	{
		line.text += '\r';
	}
	return line;
}

void RegistryFile::InsertAfterValues(size_t position, std::vector<Line> added)
{
	// A binary value left unfinished at that point would swallow the next line; a blank line
	// ends it first.
	if (position > 0 && lines[position - 1].continues)
	{
		Line end = MakeLine("");
		end.kind = LineKind::Continuation;
		added.insert(added.begin(), std::move(end));
	}
	lines.insert(lines.begin() + static_cast<ptrdiff_t>(position), std::make_move_iterator(added.begin()),
	             std::make_move_iterator(added.end()));
}
