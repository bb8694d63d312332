// The TGA, BMP and JPEG decoders on pictures built byte by byte, including ones that lie.
#include "render/ImageDecoders.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

namespace
{
using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t v)
{
	out.push_back(static_cast<uint8_t>(v));
	out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& out, uint32_t v)
{
	Put16(out, v & 0xFFFF);
	Put16(out, v >> 16);
}

void Append(Bytes& out, std::initializer_list<uint8_t> bytes)
{
	out.insert(out.end(), bytes);
}

// ---- TGA ----

Bytes TgaHeader(uint8_t type, uint32_t width, uint32_t height, uint8_t bits, uint8_t identificationLength = 0)
{
	Bytes out = {identificationLength, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
	Put16(out, width);
	Put16(out, height);
	out.push_back(bits);
	out.push_back(0);
	out.insert(out.end(), identificationLength, 'x');
	return out;
}

TEST(DecodeTga, UncompressedSwapsBlueAndRedAndKeepsRowOrder)
{
	Bytes file = TgaHeader(2, 2, 2, 32, 3);
	Append(file, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
	DecodedImage image;
	ASSERT_TRUE(DecodeTga(file, image));
	EXPECT_EQ(image.channels, 4);
	EXPECT_EQ(image.width, 2);
	EXPECT_EQ(image.height, 2);
	EXPECT_EQ(image.pixels, Bytes({3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12, 15, 14, 13, 16}));

	file = TgaHeader(2, 2, 1, 24);
	Append(file, {1, 2, 3, 4, 5, 6});
	ASSERT_TRUE(DecodeTga(file, image));
	EXPECT_EQ(image.channels, 3);
	EXPECT_EQ(image.pixels, Bytes({3, 2, 1, 6, 5, 4}));
}

TEST(DecodeTga, SixteenBitPixelsBecomeThreeChannels)
{
	Bytes file = TgaHeader(2, 5, 1, 16);
	for (const uint32_t v : {0x7C00u, 0x03E0u, 0x001Fu, 0x8000u, 0x7FFFu})
	{
		Put16(file, v);
	}
	DecodedImage image;
	ASSERT_TRUE(DecodeTga(file, image));
	EXPECT_EQ(image.channels, 3);
	EXPECT_EQ(image.pixels, Bytes({0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0xF8, 0xF8, 0xF8}));
}

TEST(DecodeTga, RunLengthRepeatsAndLiteralPackets)
{
	Bytes file = TgaHeader(10, 4, 2, 24);
	Append(file, {0x83, 1, 2, 3});
	Append(file, {0x03, 10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41, 42});
	DecodedImage image;
	ASSERT_TRUE(DecodeTga(file, image));
	EXPECT_EQ(image.channels, 3);
	EXPECT_EQ(image.pixels,
	          Bytes({3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 12, 11, 10, 22, 21, 20, 32, 31, 30, 42, 41, 40}));

	file = TgaHeader(10, 1, 2, 32);
	Append(file, {0x81, 1, 2, 3, 4});
	ASSERT_TRUE(DecodeTga(file, image));
	EXPECT_EQ(image.channels, 4);
	EXPECT_EQ(image.pixels, Bytes({3, 2, 1, 4, 3, 2, 1, 4}));
}

// A packet that runs past the picture's end is cut there, run or literal.
TEST(DecodeTga, PacketsLongerThanThePictureAreCut)
{
	Bytes file = TgaHeader(10, 2, 1, 24);
	Append(file, {0xFF, 1, 2, 3});
	DecodedImage image;
	ASSERT_TRUE(DecodeTga(file, image));
	EXPECT_EQ(image.pixels, Bytes({3, 2, 1, 3, 2, 1}));

	file = TgaHeader(10, 1, 1, 24);
	Append(file, {0x7F, 1, 2, 3});
	ASSERT_TRUE(DecodeTga(file, image));
	EXPECT_EQ(image.pixels, Bytes({3, 2, 1}));
}

TEST(DecodeTga, BrokenOrLyingFilesFailAndLeaveNoPicture)
{
	Bytes truncatedRun = TgaHeader(10, 4, 1, 24);
	Append(truncatedRun, {0x81, 1, 2, 3, 0x01, 1, 2});
	Bytes shortRaw = TgaHeader(2, 2, 2, 32);
	Append(shortRaw, {1, 2, 3, 4});
	Bytes identificationPastEnd = TgaHeader(2, 1, 1, 24);
	identificationPastEnd[0] = 200;
	Bytes hugeRunClaim = TgaHeader(10, 65535, 65535, 32);
	Append(hugeRunClaim, {0xFF, 1, 2, 3, 4});
	Bytes sixteenBitRun = TgaHeader(10, 1, 1, 16);
	Append(sixteenBitRun, {0x80, 1, 2});
	Bytes eightBit = TgaHeader(2, 1, 1, 8);
	Append(eightBit, {1});
	Bytes zeroWidth = TgaHeader(2, 0, 5, 24);
	Bytes headerOnly = TgaHeader(2, 1, 1, 24);
	headerOnly.resize(17);

	for (const Bytes* file : {&truncatedRun, &shortRaw, &identificationPastEnd, &hugeRunClaim, &sixteenBitRun,
	                          &eightBit, &zeroWidth, &headerOnly})
	{
		DecodedImage image;
		image.pixels.assign(4, 1);
		EXPECT_FALSE(DecodeTga(*file, image)) << "case " << (file - &truncatedRun);
		EXPECT_TRUE(image.pixels.empty());
		EXPECT_EQ(image.width, 0);
	}
	DecodedImage image;
	EXPECT_FALSE(DecodeTga({}, image));
}

// ---- BMP ----

// A BITMAPINFOHEADER file; a negative height stores rows top first. The rows are given as
// stored, padding included; the palette as B, G, R, 0 per entry.
Bytes MakeBmp(int32_t width, int32_t height, uint16_t bits, const Bytes& rows, const Bytes& palette = {},
              uint32_t compression = 0)
{
	Bytes out = {'B', 'M'};
	const uint32_t pixelOffset = 14 + 40 + static_cast<uint32_t>(palette.size());
	Put32(out, pixelOffset + static_cast<uint32_t>(rows.size()));
	Put32(out, 0);
	Put32(out, pixelOffset);
	Put32(out, 40);
	Put32(out, static_cast<uint32_t>(width));
	Put32(out, static_cast<uint32_t>(height));
	Put16(out, 1);
	Put16(out, bits);
	Put32(out, compression);
	Put32(out, static_cast<uint32_t>(rows.size()));
	Put32(out, 2835);
	Put32(out, 2835);
	Put32(out, static_cast<uint32_t>(palette.size() / 4));
	Put32(out, 0);
	out.insert(out.end(), palette.begin(), palette.end());
	out.insert(out.end(), rows.begin(), rows.end());
	return out;
}

// A 3 × 2 picture: its bottom row is red, green, blue; its top row white, grey, black.
const Bytes kBottomRow24 = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0xEE, 0xEE, 0xEE};
const Bytes kTopRow24 = {255, 255, 255, 128, 128, 128, 0, 0, 0, 0xEE, 0xEE, 0xEE};
const Bytes kPictureBottomFirst = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 128, 128, 128, 0, 0, 0};

Bytes Joined(const Bytes& first, const Bytes& second)
{
	Bytes out = first;
	out.insert(out.end(), second.begin(), second.end());
	return out;
}

TEST(DecodeBmp, TwentyFourBitRowsComeBottomFirstWithoutPadding)
{
	DecodedImage image;
	ASSERT_TRUE(DecodeBmp(MakeBmp(3, 2, 24, Joined(kBottomRow24, kTopRow24)), image));
	EXPECT_EQ(image.channels, 3);
	EXPECT_EQ(image.width, 3);
	EXPECT_EQ(image.height, 2);
	EXPECT_EQ(image.pixels, kPictureBottomFirst);

	ASSERT_TRUE(DecodeBmp(MakeBmp(3, -2, 24, Joined(kTopRow24, kBottomRow24)), image));
	EXPECT_EQ(image.height, 2);
	EXPECT_EQ(image.pixels, kPictureBottomFirst);
}

TEST(DecodeBmp, ThirtyTwoBitDropsTheFourthByte)
{
	const Bytes rows = {0,   0,   255, 9, 0,   255, 0,   9, 255, 0, 0, 9,
	                    255, 255, 255, 9, 128, 128, 128, 9, 0,   0, 0, 9};
	DecodedImage image;
	ASSERT_TRUE(DecodeBmp(MakeBmp(3, 2, 32, rows), image));
	EXPECT_EQ(image.channels, 3);
	EXPECT_EQ(image.pixels, kPictureBottomFirst);
}

TEST(DecodeBmp, PalettisedPicturesLookUpTheirColours)
{
	const Bytes palette = {0,   0,   255, 0, 0,   255, 0,   0, 255, 0, 0, 0,
	                       255, 255, 255, 0, 128, 128, 128, 0, 0,   0, 0, 0};
	DecodedImage image;
	ASSERT_TRUE(DecodeBmp(MakeBmp(3, 2, 8, {0, 1, 2, 0xEE, 3, 4, 5, 0xEE}, palette), image));
	EXPECT_EQ(image.pixels, kPictureBottomFirst);

	ASSERT_TRUE(
	    DecodeBmp(MakeBmp(3, 2, 4, {0x01, 0x2E, 0xEE, 0xEE, 0x34, 0x5E, 0xEE, 0xEE}, palette), image));
	EXPECT_EQ(image.pixels, kPictureBottomFirst);

	// Indices past the palette's entries show black.
	ASSERT_TRUE(DecodeBmp(MakeBmp(2, 1, 8, {0, 200, 0, 0}, {1, 2, 3, 0}), image));
	EXPECT_EQ(image.pixels, Bytes({3, 2, 1, 0, 0, 0}));
}

TEST(DecodeBmp, BrokenOrLyingFilesFail)
{
	const Bytes good = MakeBmp(3, 2, 24, Joined(kBottomRow24, kTopRow24));
	DecodedImage image;
	ASSERT_TRUE(DecodeBmp(good, image));

	Bytes truncated = good;
	truncated.resize(good.size() - 1);
	Bytes notBmp = good;
	notBmp[0] = 'X';
	Bytes runLength = MakeBmp(3, 2, 8, Bytes(8), Bytes(1024), 1);
	Bytes sixteenBit = MakeBmp(2, 2, 16, Bytes(8));
	Bytes coreHeader = good;
	coreHeader[14] = 12;
	Bytes infoPastEnd = good;
	infoPastEnd[17] = 0x7F;
	Bytes pixelsPastEnd = good;
	pixelsPastEnd[13] = 0x7F;
	Bytes mostNegativeHeight = MakeBmp(1, INT32_MIN, 24, Bytes(4));
	Bytes hugeWidth = MakeBmp(0x7FFFFFFF, 1, 24, Bytes(4));
	Bytes zeroHeight = MakeBmp(1, 0, 24, Bytes(4));

	for (const Bytes* file : {&truncated, &notBmp, &runLength, &sixteenBit, &coreHeader, &infoPastEnd,
	                          &pixelsPastEnd, &mostNegativeHeight, &hugeWidth, &zeroHeight})
	{
		EXPECT_FALSE(DecodeBmp(*file, image)) << "case " << (file - &truncated);
		EXPECT_TRUE(image.pixels.empty());
	}
	EXPECT_FALSE(DecodeBmp({}, image));
}

// ---- JPEG ----

// A picture of four flat quadrants: red top left, green top right, blue bottom left, white
// bottom right; `components` 1 makes a grey picture.
Bytes EncodeJpeg(int width, int height, int components)
{
	jpeg_compress_struct info{};
	jpeg_error_mgr errors{};
	info.err = jpeg_std_error(&errors);
	jpeg_create_compress(&info);
	unsigned char* buffer = nullptr;
	unsigned long size = 0;
	jpeg_mem_dest(&info, &buffer, &size);
	info.image_width = static_cast<JDIMENSION>(width);
	info.image_height = static_cast<JDIMENSION>(height);
	info.input_components = components;
	info.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
	jpeg_set_defaults(&info);
	jpeg_set_quality(&info, 95, TRUE);
	jpeg_start_compress(&info, TRUE);
	const uint8_t quadrants[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
	Bytes row(static_cast<size_t>(width * components));
	while (info.next_scanline < info.image_height)
	{
		for (int x = 0; x < width; ++x)
		{
			const int quadrant =
			    (static_cast<int>(info.next_scanline) >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0);
			for (int c = 0; c < components; ++c)
			{
				row[static_cast<size_t>(x * components + c)] =
				    components == 3 ? quadrants[quadrant][c] : uint8_t(quadrant * 80);
			}
		}
		JSAMPROW rowPointer = row.data();
		jpeg_write_scanlines(&info, &rowPointer, 1);
	}
	jpeg_finish_compress(&info);
	jpeg_destroy_compress(&info);
	Bytes out(buffer, buffer + size);
	std::free(buffer);
	return out;
}

void ExpectPixelNear(const DecodedImage& image, int x, int y, std::initializer_list<int> colour)
{
	const uint8_t* pixel = &image.pixels[static_cast<size_t>(y * image.channels + x * 3)];
	int c = 0;
	for (const int expected : colour)
	{
		EXPECT_NEAR(pixel[c++], expected, 12) << "at " << x << "," << y;
	}
}

TEST(DecodeJpeg, RoundTripDeliversRgbRowsTopFirst)
{
	DecodedImage image;
	std::string error;
	ASSERT_TRUE(DecodeJpeg(EncodeJpeg(32, 16, 3), image, error)) << error;
	EXPECT_EQ(image.width, 32);
	EXPECT_EQ(image.height, 16);
	EXPECT_EQ(image.channels, 32 * 3);
	ASSERT_EQ(image.pixels.size(), 32u * 16u * 3u);
	ExpectPixelNear(image, 3, 2, {255, 0, 0});
	ExpectPixelNear(image, 28, 2, {0, 255, 0});
	ExpectPixelNear(image, 3, 13, {0, 0, 255});
	ExpectPixelNear(image, 28, 13, {255, 255, 255});
}

TEST(DecodeJpeg, GreyPicturesAreWidenedToRgb)
{
	DecodedImage image;
	std::string error;
	ASSERT_TRUE(DecodeJpeg(EncodeJpeg(16, 16, 1), image, error)) << error;
	EXPECT_EQ(image.channels, 16 * 3);
	ASSERT_EQ(image.pixels.size(), 16u * 16u * 3u);
	ExpectPixelNear(image, 12, 12, {240, 240, 240});
	ExpectPixelNear(image, 12, 2, {80, 80, 80});
}

TEST(DecodeJpeg, CorruptStreamsFailWithTheLibraryMessage)
{
	const Bytes good = EncodeJpeg(16, 16, 3);
	Bytes headerCut(good.begin(), good.begin() + 20);
	Bytes notJpeg = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
	Bytes badMarker = good;
	badMarker[3] = 0xD9; // the end of the image before any frame

	for (const Bytes* stream : {&headerCut, &notJpeg, &badMarker})
	{
		DecodedImage image;
		std::string error;
		EXPECT_FALSE(DecodeJpeg(*stream, image, error)) << "case " << (stream - &headerCut);
		EXPECT_FALSE(error.empty());
		EXPECT_TRUE(image.pixels.empty());
	}
	DecodedImage image;
	std::string error;
	EXPECT_FALSE(DecodeJpeg({}, image, error));
	EXPECT_NE(error.find("Empty"), std::string::npos) << error;
}

// The position of the first `marker` (0xFF, code) in a stream.
size_t MarkerAt(const Bytes& stream, uint8_t code)
{
	const uint8_t marker[] = {0xFF, code};
	return static_cast<size_t>(
	    std::search(stream.begin(), stream.end(), std::begin(marker), std::end(marker)) - stream.begin());
}

// The library would make up the rest of a picture whose data breaks off, and decode it all: a
// header claiming 16384 x 2048 pixels over a few hundred bytes would cost 100 MB and a quarter
// second. Such pictures are refused.
TEST(DecodeJpeg, PicturesWhoseDataBreaksOffAreRefused)
{
	const Bytes good = EncodeJpeg(256, 256, 3);
	const size_t scan = MarkerAt(good, 0xDA);
	ASSERT_LT(scan + 100, good.size());
	const size_t midScan = (scan + good.size()) / 2;
	const Bytes cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(midScan));
	Bytes strayMarker = good;
	strayMarker[midScan] = 0xFF;
	strayMarker[midScan + 1] = 0xD9;
	// The frame header claims a far larger picture than its scan holds.
	Bytes claimsMore = good;
	const size_t frame = MarkerAt(claimsMore, 0xC0);
	ASSERT_LT(frame, scan);
	claimsMore[frame + 5] = 2048 >> 8;
	claimsMore[frame + 6] = 2048 & 0xFF;
	claimsMore[frame + 7] = 16384 >> 8;
	claimsMore[frame + 8] = 16384 & 0xFF;

	const std::pair<const Bytes*, const char*> cases[] = {{&cut, "Premature end of JPEG file"},
	                                                      {&strayMarker, "premature end of data segment"},
	                                                      {&claimsMore, "premature end of data segment"}};
	for (const auto& [stream, message] : cases)
	{
		DecodedImage image;
		std::string error;
		EXPECT_FALSE(DecodeJpeg(*stream, image, error)) << message;
		EXPECT_NE(error.find(message), std::string::npos) << error;
		EXPECT_TRUE(image.pixels.empty());
	}
}
} // namespace
