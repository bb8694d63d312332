#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The byte layer of the model, scene and animated-model files. These files are little-endian
// int32 counts, 32-bit floats, single bytes and counted strings, with no signature, no version
// and no padding.
//
// Each file layout is written once, as a template `Transfer(stream, record)` that visits the
// fields in file order. The same template reads (with ContentReader) and writes (with
// ContentWriter), so a field can never be in one order for the engine and in another for the
// content builder. Both streams offer the same operations:
//   Value(x)                   one int32, float, byte or string
//   Count(count, size)         a count field: read it, or write the size of the array it counts
//   Array(items, count, keep)  count elements; the reader keeps the first `keep` of them
//   Require(condition)         a rule of the layout; breaking it fails the stream

// Strings longer than this are refused by both streams; the engine's string buffers hold 3000
// bytes.
inline constexpr int32_t kMaxContentString = 3000;

// Three floats: positions, normals, uvs (u, v and an unused w) and the corner indices of a
// face, which the files store as integral reals.
struct Float3
{
	static constexpr size_t kMinBytes = 12;
	float x = 0.0f;
	float y = 0.0f;
	float z = 0.0f;

	bool operator==(const Float3&) const = default;
};

// Four floats: a rotation quaternion x, y, z, w.
struct Float4
{
	static constexpr size_t kMinBytes = 16;
	float x = 0.0f;
	float y = 0.0f;
	float z = 0.0f;
	float w = 0.0f;

	bool operator==(const Float4&) const = default;
};

// The fewest bytes an element can take in a file. Readers multiply a count by it to refuse,
// before allocating, counts the rest of the file cannot hold.
template <typename T> inline constexpr size_t kWireMinBytes = T::kMinBytes;
template <> inline constexpr size_t kWireMinBytes<float> = 4;
template <> inline constexpr size_t kWireMinBytes<std::string> = 4;

template <typename Stream> void Transfer(Stream& s, float& value)
{
	s.Value(value);
}
template <typename Stream> void Transfer(Stream& s, std::string& text)
{
	s.Value(text);
}

template <typename Stream> void Transfer(Stream& s, Float3& v)
{
	s.Value(v.x);
	s.Value(v.y);
	s.Value(v.z);
}

template <typename Stream> void Transfer(Stream& s, Float4& v)
{
	s.Value(v.x);
	s.Value(v.y);
	s.Value(v.z);
	s.Value(v.w);
}

// A flag byte and, only when the flag is non-zero, a string right after it. With a zero flag
// the string is absent from the file altogether.
template <typename Stream> void TransferOptionalString(Stream& s, uint8_t& present, std::string& text)
{
	s.Value(present);
	if (present != 0)
	{
		s.Value(text);
	}
}

// A count followed at once by the elements it counts.
template <typename Stream, typename T>
void TransferCounted(Stream& s, int32_t& count, std::vector<T>& items,
                     size_t keep = std::numeric_limits<size_t>::max())
{
	s.Count(count, items.size());
	s.Array(items, count, keep);
}

// Reads content bytes and never looks outside them. A read that would pass the end, a count
// the remaining bytes cannot hold, a negative count, an overlong string or a broken layout
// rule sets a sticky failure: from then on every read gives zero or empty and every array
// comes back empty, so a damaged file ends parsing cleanly after at most a few cheap steps.
class ContentReader
{
public:
	explicit ContentReader(std::span<const uint8_t> bytes) : bytes(bytes) {}

	void Value(int32_t& value);
	void Value(float& value);
	void Value(uint8_t& value);
	// An int32 length and that many bytes. The text ends at the first NUL among them, and of
	// that only the part after the last "\" or "/" is kept: exporters wrote texture names as
	// absolute paths on the artist's disk, and the engine looks them up by bare file name.
	void Value(std::string& text);

	void Count(int32_t& count, size_t) { Value(count); }
	void Require(bool condition);

	template <typename T, typename TransferItem>
	void Array(std::vector<T>& items, int64_t count, size_t keep, TransferItem transferItem);
	template <typename T>
	void Array(std::vector<T>& items, int64_t count, size_t keep = std::numeric_limits<size_t>::max())
	{
		Array(items, count, keep, [this](T& item) { Transfer(*this, item); });
	}

	bool Failed() const { return failed; }
	size_t Remaining() const { return bytes.size() - position; }

private:
	// The next `count` bytes, or null (and failure) when fewer remain.
	const uint8_t* Take(size_t count);
	void Fail() { failed = true; }

	std::span<const uint8_t> bytes;
	size_t position = 0;
	bool failed = false;
};

// Appends content bytes. It fails, instead of writing a file the engine would read differently,
// when a string is too long for the engine, an array's size differs from the count the layout
// gives it, or a layout rule is broken. It lives wholly in this header so that the build-time
// tools can write content files without linking the engine.
class ContentWriter
{
public:
	void Value(int32_t value) { PutUint32(static_cast<uint32_t>(value)); }
	void Value(float value) { PutUint32(std::bit_cast<uint32_t>(value)); }
	void Value(uint8_t value) { bytes.push_back(value); }
	// Written as given: no NUL is added and no path is cut.
	void Value(const std::string& text)
	{
		Require(text.size() <= static_cast<size_t>(kMaxContentString));
		if (!failed)
		{
			Value(static_cast<int32_t>(text.size()));
			bytes.insert(bytes.end(), text.begin(), text.end());
		}
	}

	// The count written is always the size of the array it counts, so the two cannot disagree.
	void Count(int32_t& count, size_t size)
	{
		Require(size <= static_cast<size_t>(std::numeric_limits<int32_t>::max()));
		count = failed ? 0 : static_cast<int32_t>(size);
		Value(count);
	}
	void Require(bool condition) { failed = failed || !condition; }

	template <typename T, typename TransferItem>
	void Array(std::vector<T>& items, int64_t count, size_t, TransferItem transferItem)
	{
		if (count < 0 || items.size() != static_cast<uint64_t>(count))
		{
			failed = true;
			return;
		}
		for (T& item : items)
		{
			transferItem(item);
		}
	}
	template <typename T> void Array(std::vector<T>& items, int64_t count, size_t keep = 0)
	{
		Array(items, count, keep, [this](T& item) { Transfer(*this, item); });
	}

	bool Failed() const { return failed; }
	const std::vector<uint8_t>& Bytes() const { return bytes; }

private:
	void PutUint32(uint32_t value)
	{
		for (int shift = 0; shift < 32; shift += 8)
		{
			bytes.push_back(static_cast<uint8_t>(value >> shift));
		}
	}

	std::vector<uint8_t> bytes;
	bool failed = false;
};

template <typename T, typename TransferItem>
void ContentReader::Array(std::vector<T>& items, int64_t count, size_t keep, TransferItem transferItem)
{
	items.clear();
	if (failed)
	{
		return;
	}
	// Every element takes at least kWireMinBytes<T> bytes, so a count the rest of the file cannot
	// hold is a lie; refusing it here keeps a few bytes from asking for gigabytes.
	if (count < 0 || static_cast<uint64_t>(count) > Remaining() / kWireMinBytes<T>)
	{
		Fail();
		return;
	}
	const uint64_t total = static_cast<uint64_t>(count);
	items.reserve(static_cast<size_t>(std::min<uint64_t>(total, keep)));
	// Elements past `keep` are still read, so that the fields after them stay in step, but they
	// are not stored: the engine's tables end there.
	T beyondTable;
	for (uint64_t i = 0; i < total && !failed; ++i)
	{
		if (i < keep)
		{
			transferItem(items.emplace_back());
		}
		else
		{
			beyondTable = T{};
			transferItem(beyondTable);
		}
	}
}

// Parses a whole file into `record`, starting from an empty one. False when the bytes ran out
// or broke a rule of the layout; the record then holds what was read before that point, with
// everything later zero or empty, and its counts may exceed its arrays. Bytes after the last
// field are ignored.
template <typename Record> bool ReadContentFile(std::span<const uint8_t> bytes, Record& record)
{
	record = Record{};
	ContentReader reader(bytes);
	Transfer(reader, record);
	return !reader.Failed();
}

// The bytes of a whole file, or nothing when the record breaks a rule of the layout. Count
// fields are taken from the arrays, so the record is passed by value.
template <typename Record> std::optional<std::vector<uint8_t>> WriteContentBytes(Record record)
{
	ContentWriter writer;
	Transfer(writer, record);
	if (writer.Failed())
	{
		return std::nullopt;
	}
	return writer.Bytes();
}

// Faces store their corner indices as integral reals. This gives the index a stored real names
// in a table of `count` entries: the real truncated toward zero, as a plain conversion to integer gives
// it, or nothing when that names no entry (negative, too large, NaN, infinite). The range test runs
// on the real before any conversion, so no stored value can make the conversion undefined.
std::optional<size_t> IndexFromReal(float stored, size_t count);

// The loaders' rule for corners that point nowhere: such a corner gets a zero element (the
// origin, a zero normal, uv (0, 0)) instead of losing its triangle. The triangle collapses and
// draws nothing, but the corner count stays as the file says, and with it the vertex ranges
// and material runs that count corners. The same rule covers a uv-face array shorter than
// the face array and arrays cut short by a failed read: past its end every element is zero.
template <typename T> T ElementAt(const std::vector<T>& table, size_t position)
{
	return position < table.size() ? table[position] : T{};
}

template <typename T> T ElementAtReal(const std::vector<T>& table, float stored)
{
	return ElementAt(table, IndexFromReal(stored, table.size()).value_or(table.size()));
}
