#include "scene/ContentStream.h"

#include <bit>
#include <string_view>

namespace
{
uint32_t LoadUint32(const uint8_t* p)
{
	return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
	       (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::string_view CutAtNul(std::string_view text)
{
	return text.substr(0, text.find('\0'));
}

std::string_view AfterLastSeparator(std::string_view text)
{
	const size_t separator = text.find_last_of("\\/");
	return separator == std::string_view::npos ? text : text.substr(separator + 1);
}
} // namespace

const uint8_t* ContentReader::Take(size_t count)
{
	if (failed || count > Remaining())
	{
		Fail();
		return nullptr;
	}
	const uint8_t* taken = bytes.data() + position;
	position += count;
	return taken;
}

void ContentReader::Value(int32_t& value)
{
	const uint8_t* p = Take(4);
	value = p ? static_cast<int32_t>(LoadUint32(p)) : 0;
}

void ContentReader::Value(float& value)
{
	const uint8_t* p = Take(4);
	value = p ? std::bit_cast<float>(LoadUint32(p)) : 0.0f;
}

void ContentReader::Value(uint8_t& value)
{
	const uint8_t* p = Take(1);
	value = p ? *p : 0;
}

void ContentReader::Value(std::string& text)
{
	text.clear();
	int32_t length = 0;
	Value(length);
	// A negative length or one past the engine's string buffer is refused, not clamped: what
	// follows it could not be found reliably anyway.
	if (length < 0 || length > kMaxContentString)
	{
		Fail();
		return;
	}
	const uint8_t* p = Take(static_cast<size_t>(length));
	if (p != nullptr)
	{
		const std::string_view raw(reinterpret_cast<const char*>(p), static_cast<size_t>(length));
		text = AfterLastSeparator(CutAtNul(raw));
	}
}

void ContentReader::Require(bool condition)
{
	if (!condition)
	{
		Fail();
	}
}

std::optional<size_t> IndexFromReal(float stored, size_t count)
{
	// Compared as doubles, which hold every count a table in memory can have exactly. Written as
	// "not inside" so that NaN, which fails every comparison, is refused too. Reals in (-1, 0)
	// truncate to 0 and are kept, as a plain truncating conversion would keep them.
	const double value = stored;
	if (!(value > -1.0 && value < static_cast<double>(count)))
	{
		return std::nullopt;
	}
	return static_cast<size_t>(value);
}
