#include "tests/tools/ContentFiles.h"

#include "media/RarLayout.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path)
{
	std::ifstream in(path, std::ios::binary);
	return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ArchiveContents ReadArchive(const std::vector<uint8_t>& bytes)
{
	using namespace RarLayout;
	ArchiveContents contents;
	if (bytes.size() < kMarkerSize + kArchiveHeaderSize ||
	    !std::equal(std::begin(kMarker), std::end(kMarker), bytes.begin()))
	{
		return contents;
	}
	size_t position = kMarkerSize + kArchiveHeaderSize;
	while (bytes.size() - position >= 7)
	{
		const uint8_t* block = bytes.data() + position;
		if (block[kTypeOffset] == kEndBlock)
		{
			contents.valid = true;
			break;
		}
		if (block[kTypeOffset] != kFileBlock || bytes.size() - position < kBlockHeaderSize)
		{
			break;
		}
		const uint16_t headerSize = ReadU16(block + kHeaderSizeOffset);
		const uint32_t packed = ReadU32(block + kPackedSizeOffset);
		const uint16_t nameSize = ReadU16(block + kNameSizeOffset);
		if (headerSize < kBlockHeaderSize + nameSize ||
		    bytes.size() - position < headerSize + static_cast<size_t>(packed))
		{
			break;
		}
		std::string name(reinterpret_cast<const char*>(block + kNameOffset), nameSize);
		std::replace(name.begin(), name.end(), '\\', '/');
		if (ReadU32(block + kAttributesOffset) & kFolderAttribute)
		{
			contents.folders.push_back(name);
		}
		else
		{
			contents.files[name].assign(block + headerSize, block + headerSize + packed);
		}
		position += headerSize + static_cast<size_t>(packed);
	}
	return contents;
}

namespace
{
CheckedPicture Failed(const std::string& problem)
{
	CheckedPicture picture;
	picture.problem = problem;
	return picture;
}

uint16_t Le16(const std::vector<uint8_t>& bytes, size_t at)
{
	return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at)
{
	return static_cast<uint32_t>(Le16(bytes, at)) | (static_cast<uint32_t>(Le16(bytes, at + 2)) << 16);
}
} // namespace

CheckedPicture CheckTga(const std::vector<uint8_t>& bytes)
{
	if (bytes.size() < 18)
	{
		return Failed("shorter than a TGA header");
	}
	CheckedPicture picture;
	picture.imageType = bytes[2];
	picture.width = Le16(bytes, 12);
	picture.height = Le16(bytes, 14);
	picture.bitsPerPixel = bytes[16];
	if (picture.imageType != 2 && picture.imageType != 10)
	{
		return Failed("not a true-colour TGA");
	}
	if (picture.bitsPerPixel != 24 && picture.bitsPerPixel != 32)
	{
		return Failed("not 24 or 32 bits");
	}
	const size_t channels = static_cast<size_t>(picture.bitsPerPixel / 8);
	const size_t pixelCount = static_cast<size_t>(picture.width) * picture.height;
	size_t position = 18 + bytes[0];
	if (picture.imageType == 2)
	{
		if (bytes.size() < position + pixelCount * channels)
		{
			return Failed("pixel data cut short");
		}
		picture.pixels.assign(bytes.begin() + static_cast<long>(position),
		                      bytes.begin() + static_cast<long>(position + pixelCount * channels));
	}
	else
	{
		while (picture.pixels.size() < pixelCount * channels)
		{
			if (position >= bytes.size())
			{
				return Failed("run-length data cut short");
			}
			const uint8_t packet = bytes[position++];
			const size_t count = (packet & 0x7F) + 1u;
			const size_t stored = packet >= 128 ? 1 : count;
			if (bytes.size() - position < stored * channels ||
			    picture.pixels.size() + count * channels > pixelCount * channels)
			{
				return Failed("run-length packet runs past the data or the picture");
			}
			for (size_t i = 0; i < count; ++i)
			{
				const size_t from = position + (packet >= 128 ? 0 : i * channels);
				picture.pixels.insert(picture.pixels.end(), bytes.begin() + static_cast<long>(from),
				                      bytes.begin() + static_cast<long>(from + channels));
			}
			position += stored * channels;
		}
		if (position != bytes.size())
		{
			return Failed("bytes left after the last packet");
		}
	}
	picture.valid = true;
	return picture;
}

CheckedPicture CheckBmp(const std::vector<uint8_t>& bytes)
{
	if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
	{
		return Failed("not a BMP");
	}
	CheckedPicture picture;
	picture.width = static_cast<int>(Le32(bytes, 18));
	picture.height = static_cast<int>(Le32(bytes, 22));
	picture.bitsPerPixel = Le16(bytes, 28);
	const size_t rowBytes = (static_cast<size_t>(picture.width) * 3 + 3) & ~size_t{3};
	if (picture.bitsPerPixel != 24 || Le32(bytes, 30) != 0)
	{
		return Failed("not uncompressed 24-bit");
	}
	if (Le32(bytes, 2) != bytes.size() ||
	    bytes.size() < Le32(bytes, 10) + rowBytes * static_cast<size_t>(picture.height))
	{
		return Failed("sizes in the header do not match the file");
	}
	picture.valid = true;
	return picture;
}

CheckedPicture CheckJpeg(const std::vector<uint8_t>& bytes)
{
	// The default error manager would end the process on a bad stream; a failed check is
	// enough here, so errors jump back.
	struct Errors
	{
		jpeg_error_mgr manager;
		jmp_buf back;
	};
	jpeg_decompress_struct info{};
	Errors errors{};
	info.err = jpeg_std_error(&errors.manager);
	errors.manager.error_exit = [](j_common_ptr common)
	{ longjmp(reinterpret_cast<Errors*>(common->err)->back, 1); };
	CheckedPicture picture;
	std::vector<uint8_t> row;
	if (setjmp(errors.back))
	{
		jpeg_destroy_decompress(&info);
		return Failed("libjpeg rejected the stream");
	}
	jpeg_create_decompress(&info);
	jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
	jpeg_read_header(&info, TRUE);
	jpeg_start_decompress(&info);
	picture.width = static_cast<int>(info.output_width);
	picture.height = static_cast<int>(info.output_height);
	picture.bitsPerPixel = info.output_components * 8;
	row.resize(static_cast<size_t>(info.output_width) * info.output_components);
	while (info.output_scanline < info.output_height)
	{
		JSAMPROW rows[1] = {row.data()};
		jpeg_read_scanlines(&info, rows, 1);
		picture.pixels.insert(picture.pixels.end(), row.begin(), row.end());
	}
	jpeg_finish_decompress(&info);
	jpeg_destroy_decompress(&info);
	picture.valid = true;
	return picture;
}
