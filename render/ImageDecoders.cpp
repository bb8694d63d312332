#include "render/ImageDecoders.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace
{
// No picture this program shows comes near these sizes; a header that claims more is taken as
// corrupt rather than trusted with an allocation.
constexpr int64_t kMaxSide = 16384;
constexpr int64_t kMaxPixels = int64_t(1) << 25;

bool IsSaneSize(int64_t width, int64_t height)
{
	return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

// Little-endian fields; the caller has checked that they lie inside the bytes.
uint32_t ReadU16(std::span<const uint8_t> bytes, size_t offset)
{
	return bytes[offset] | static_cast<uint32_t>(bytes[offset + 1]) << 8;
}

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t offset)
{
	return ReadU16(bytes, offset) | ReadU16(bytes, offset + 2) << 16;
}

void StartImage(DecodedImage& image, int channels, int width, int height)
{
	image.channels = channels;
	image.width = width;
	image.height = height;
	image.pixels.assign(
	    static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels), 0);
}

// Both TGA and BMP store B, G, R(, A); pictures here are R, G, B(, A).
void CopyStoredPixel(const uint8_t* stored, uint8_t* picture, int channels)
{
	picture[0] = stored[2];
	picture[1] = stored[1];
	picture[2] = stored[0];
	if (channels == 4)
	{
		picture[3] = stored[3];
	}
}

// ---- TGA ----

constexpr size_t kTgaHeaderSize = 18;
constexpr uint8_t kTgaRunLength = 10;

bool DecodeTgaRunLength(std::span<const uint8_t> data, int bits, DecodedImage& image)
{
	// Channels are bits ÷ 8, and a pixel is written as three or four bytes; a 16-bit (or any
	// other) run-length image has no such layout and is refused.
	if (bits != 24 && bits != 32)
	{
		return false;
	}
	const size_t channels = static_cast<size_t>(bits / 8);
	const size_t pixelCount = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
	// A packet takes at least 1 + channels bytes and yields at most 128 pixels, so a header that
	// claims more pixels than the data could ever hold is refused before anything is allocated.
	if (pixelCount / 128 > data.size() / (1 + channels))
	{
		return false;
	}
	StartImage(image, static_cast<int>(channels), image.width, image.height);

	size_t produced = 0;
	size_t at = 0;
	while (produced < pixelCount)
	{
		if (at >= data.size())
		{
			return false; // the data end before the picture is complete
		}
		const uint8_t packet = data[at++];
		const bool repeated = packet >= 128;
		// A packet longer than the pixels still missing is cut at the picture's end.
		const size_t count = std::min<size_t>(repeated ? packet - 127u : packet + 1u, pixelCount - produced);
		const size_t storedBytes = (repeated ? 1 : count) * channels;
		if (data.size() - at < storedBytes)
		{
			return false;
		}
		for (size_t i = 0; i < count; ++i)
		{
			const uint8_t* stored = &data[at + (repeated ? 0 : i * channels)];
			CopyStoredPixel(stored, &image.pixels[(produced + i) * channels], static_cast<int>(channels));
		}
		at += storedBytes;
		produced += count;
	}
	return true;
}

// 16-bit pixels are A1R5G5B5; the top bit is dropped and there is no alpha.
void ExpandTga16(std::span<const uint8_t> data, size_t pixelCount, DecodedImage& image)
{
	for (size_t i = 0; i < pixelCount; ++i)
	{
		const uint32_t v = ReadU16(data, i * 2);
		uint8_t* picture = &image.pixels[i * 3];
		picture[0] = static_cast<uint8_t>((v >> 7) & 0xF8);
		picture[1] = static_cast<uint8_t>((v >> 2) & 0xF8);
		picture[2] = static_cast<uint8_t>((v << 3) & 0xFF);
	}
}

bool DecodeTgaUncompressed(std::span<const uint8_t> data, int bits, DecodedImage& image)
{
	if (bits != 16 && bits != 24 && bits != 32)
	{
		return false;
	}
	const size_t bytesPerPixel = static_cast<size_t>(bits / 8);
	const size_t pixelCount = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
	// Data that end early would leave part of the picture unknown: the file is taken as broken.
	if (data.size() / bytesPerPixel < pixelCount)
	{
		return false;
	}
	if (bits == 16)
	{
		StartImage(image, 3, image.width, image.height);
		ExpandTga16(data, pixelCount, image);
		return true;
	}
	const int channels = static_cast<int>(bytesPerPixel);
	StartImage(image, channels, image.width, image.height);
	for (size_t i = 0; i < pixelCount; ++i)
	{
		CopyStoredPixel(&data[i * bytesPerPixel], &image.pixels[i * bytesPerPixel], channels);
	}
	return true;
}

// ---- BMP ----

constexpr size_t kBmpFileHeaderSize = 14;
// BITMAPINFOHEADER; the later V4 and V5 headers are longer but begin the same way.
constexpr uint32_t kBmpInfoHeaderSize = 40;
constexpr uint32_t kBmpUncompressed = 0;

struct BmpLayout
{
	int width = 0;
	int height = 0;
	bool topDown = false;
	int bits = 0;
	size_t stride = 0;
	size_t pixelOffset = 0;
	size_t paletteOffset = 0;
	size_t paletteCount = 0;
};

bool ReadBmpLayout(std::span<const uint8_t> bytes, BmpLayout& layout)
{
	if (bytes.size() < kBmpFileHeaderSize + kBmpInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
	{
		return false;
	}
	const uint32_t infoSize = ReadU32(bytes, 14);
	if (infoSize < kBmpInfoHeaderSize || infoSize > bytes.size() - kBmpFileHeaderSize)
	{
		return false;
	}
	const int64_t width = static_cast<int32_t>(ReadU32(bytes, 18));
	const int64_t storedHeight = static_cast<int32_t>(ReadU32(bytes, 22));
	const int bits = static_cast<int>(ReadU16(bytes, 28));
	const uint32_t compression = ReadU32(bytes, 30);
	const uint32_t coloursUsed = ReadU32(bytes, 46);
	// A negative height marks rows stored top row first.
	const int64_t height = storedHeight < 0 ? -storedHeight : storedHeight;
	const bool knownDepth = bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
	if (compression != kBmpUncompressed || !knownDepth || !IsSaneSize(width, height))
	{
		return false;
	}

	layout.width = static_cast<int>(width);
	layout.height = static_cast<int>(height);
	layout.topDown = storedHeight < 0;
	layout.bits = bits;
	layout.stride = static_cast<size_t>((width * bits + 31) / 32 * 4); // rows are padded to 4 bytes
	layout.pixelOffset = ReadU32(bytes, 10);
	if (layout.pixelOffset > bytes.size() ||
	    (bytes.size() - layout.pixelOffset) / layout.stride < static_cast<size_t>(height))
	{
		return false;
	}

	// The palette follows the info header; a count of 0 means the full table of the depth. Only
	// the entries that lie inside the bytes are read, and indices past them show black.
	layout.paletteOffset = kBmpFileHeaderSize + infoSize;
	if (bits <= 8)
	{
		const size_t fullTable = size_t(1) << bits;
		const size_t stated = coloursUsed != 0 ? coloursUsed : fullTable;
		const size_t present = (bytes.size() - layout.paletteOffset) / 4;
		layout.paletteCount = std::min({stated, fullTable, present});
	}
	return true;
}

using BmpPalette = std::array<std::array<uint8_t, 3>, 256>;

BmpPalette ReadBmpPalette(std::span<const uint8_t> bytes, const BmpLayout& layout)
{
	BmpPalette palette = {};
	for (size_t i = 0; i < layout.paletteCount; ++i)
	{
		CopyStoredPixel(&bytes[layout.paletteOffset + i * 4], palette[i].data(), 3);
	}
	return palette;
}

uint32_t PaletteIndex(const uint8_t* row, int x, int bits)
{
	const size_t bitOffset = static_cast<size_t>(x) * static_cast<size_t>(bits);
	const int shift = 8 - bits - static_cast<int>(bitOffset % 8);
	return (row[bitOffset / 8] >> shift) & ((1u << bits) - 1);
}

void ConvertBmpRow(const uint8_t* row, const BmpLayout& layout, const BmpPalette& palette, uint8_t* picture)
{
	const int storedBytes = layout.bits / 8;
	for (int x = 0; x < layout.width; ++x, picture += 3)
	{
		if (layout.bits <= 8)
		{
			const auto& colour = palette[PaletteIndex(row, x, layout.bits)];
			std::copy(colour.begin(), colour.end(), picture);
		}
		else
		{
			// 32-bit pixels carry an unused fourth byte; the picture keeps three channels.
			CopyStoredPixel(row + x * storedBytes, picture, 3);
		}
	}
}
} // namespace

bool DecodeTga(std::span<const uint8_t> bytes, DecodedImage& image)
{
	image = DecodedImage();
	// Fewer bytes than a header (none at all included) read as a header of zeros, which fails.
	if (bytes.size() < kTgaHeaderSize)
	{
		return false;
	}
	const size_t identificationLength = bytes[0];
	const uint8_t imageType = bytes[2];
	const uint32_t width = ReadU16(bytes, 12);
	const uint32_t height = ReadU16(bytes, 14);
	const int bits = bytes[16];
	const size_t dataStart = kTgaHeaderSize + identificationLength;
	// A picture without pixels is no usable picture either.
	if (dataStart > bytes.size() || !IsSaneSize(width, height))
	{
		return false;
	}
	image.width = static_cast<int>(width);
	image.height = static_cast<int>(height);
	const std::span<const uint8_t> data = bytes.subspan(dataStart);
	const bool decoded = imageType == kTgaRunLength ? DecodeTgaRunLength(data, bits, image)
	                                                : DecodeTgaUncompressed(data, bits, image);
	if (!decoded)
	{
		image = DecodedImage();
	}
	return decoded;
}

bool DecodeBmp(std::span<const uint8_t> bytes, DecodedImage& image)
{
	image = DecodedImage();
	BmpLayout layout;
	if (!ReadBmpLayout(bytes, layout))
	{
		return false;
	}
	const BmpPalette palette = ReadBmpPalette(bytes, layout);
	StartImage(image, 3, layout.width, layout.height);
	const size_t pictureRowBytes = static_cast<size_t>(layout.width) * 3;
	for (int y = 0; y < layout.height; ++y)
	{
		// The picture's first row is the bottom one; a top-down file stores it last.
		const int storedRow = layout.topDown ? layout.height - 1 - y : y;
		const uint8_t* row = &bytes[layout.pixelOffset + static_cast<size_t>(storedRow) * layout.stride];
		ConvertBmpRow(row, layout, palette, &image.pixels[static_cast<size_t>(y) * pictureRowBytes]);
	}
	return true;
}

namespace
{
// ---- JPEG ----

// The library's errors jump back here instead of ending the process; the caller decides what a
// broken picture means.
struct JpegErrorManager
{
	jpeg_error_mgr standard; // first, so the library's pointer to it points at the whole record
	void (*standardWarning)(j_common_ptr, int) = nullptr;
	std::jmp_buf escape;
	char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void EscapeFromJpegError(j_common_ptr info)
{
	auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
	errors->standard.format_message(info, errors->message);
	std::longjmp(errors->escape, 1);
}

// Where the data breaks off (the end of the file, or a marker inside a scan) the library makes up
// the rest of the picture and decodes it all the same: a few hundred bytes would cost the work
// and memory of the largest picture a header may claim. Such a picture is refused instead; the
// library's other warnings keep their usual handling.
void EscapeFromMissingData(j_common_ptr info, int level)
{
	const int code = info->err->msg_code;
	if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
	{
		EscapeFromJpegError(info);
	}
	reinterpret_cast<JpegErrorManager*>(info->err)->standardWarning(info, level);
}

struct JpegDecoder
{
	jpeg_decompress_struct info = {};
	JpegErrorManager errors = {};
};

// The library's work arrays (a progressive picture keeps every coefficient) stay below this;
// a picture that would need more is refused by the library with its own message.
constexpr long kJpegWorkMemory = 128L << 20;

// The library may jump out of this function at any call; nothing in it or below it owns
// memory of its own, so nothing is skipped by the jump.
bool DecodeJpegGuarded(JpegDecoder& decoder, std::span<const uint8_t> bytes, DecodedImage& image)
{
	jpeg_decompress_struct& info = decoder.info;
	if (setjmp(decoder.errors.escape) != 0)
	{
		return false;
	}
	jpeg_create_decompress(&info);
	info.mem->max_memory_to_use = kJpegWorkMemory;
	jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
	jpeg_read_header(&info, TRUE);
	if (!IsSaneSize(info.image_width, info.image_height))
	{
		std::snprintf(decoder.errors.message, sizeof(decoder.errors.message), "Picture too large (%u x %u)",
		              info.image_width, info.image_height);
		return false;
	}
	// Grey pictures are widened to RGB as well: every user reads three bytes a pixel.
	info.out_color_space = JCS_RGB;
	jpeg_start_decompress(&info);

	const size_t rowBytes =
	    static_cast<size_t>(info.output_width) * static_cast<size_t>(info.output_components);
	image.channels = static_cast<int>(rowBytes);
	image.width = static_cast<int>(info.output_width);
	image.height = static_cast<int>(info.output_height);
	image.pixels.resize(rowBytes * info.output_height);
	while (info.output_scanline < info.output_height)
	{
		JSAMPROW row = &image.pixels[rowBytes * info.output_scanline];
		jpeg_read_scanlines(&info, &row, 1);
	}
	jpeg_finish_decompress(&info);
	return true;
}
} // namespace

bool DecodeJpeg(std::span<const uint8_t> bytes, DecodedImage& image, std::string& error)
{
	image = DecodedImage();
	JpegDecoder decoder;
	decoder.info.err = jpeg_std_error(&decoder.errors.standard);
	decoder.errors.standard.error_exit = EscapeFromJpegError;
	decoder.errors.standardWarning = decoder.errors.standard.emit_message;
	decoder.errors.standard.emit_message = EscapeFromMissingData;
	const bool decoded = DecodeJpegGuarded(decoder, bytes, image);
	jpeg_destroy_decompress(&decoder.info);
	if (!decoded)
	{
		error = decoder.errors.message;
		image = DecodedImage();
	}
	return decoded;
}
