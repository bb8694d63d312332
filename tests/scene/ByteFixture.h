#pragma once

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

// Assembles a content file by hand, field by field, without the engine's writer: a fixture built
// this way catches a mistake that the reader and writer share.
class ByteFixture
{
public:
	ByteFixture& Int(int32_t value)
	{
		const uint32_t bits = static_cast<uint32_t>(value);
		bytes.insert(bytes.end(), {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
		                           static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)});
		return *this;
	}
	ByteFixture& Reals(std::initializer_list<float> values)
	{
		for (float value : values)
		{
			Int(std::bit_cast<int32_t>(value));
		}
		return *this;
	}
	ByteFixture& Byte(uint8_t value)
	{
		bytes.push_back(value);
		return *this;
	}
	// A counted string exactly as given, NULs and separators included.
	ByteFixture& Text(std::string_view raw)
	{
		Int(static_cast<int32_t>(raw.size()));
		bytes.insert(bytes.end(), raw.begin(), raw.end());
		return *this;
	}

	std::span<const uint8_t> Bytes() const { return bytes; }
	size_t Size() const { return bytes.size(); }

private:
	std::vector<uint8_t> bytes;
};
