#include "tests/tools/ContentFiles.h"

#include "media/ArchiveReader.h"
#include "render/ImageDecoders.h"

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

std::vector<uint8_t> ReadWholeFile(const fs::path& path)
{
	std::ifstream in(path, std::ios::binary);
	return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ArchiveContents ReadArchive(const fs::path& archive, const fs::path& stagingFolder)
{
	ArchiveContents contents;
	const std::vector<uint8_t> bytes = ReadWholeFile(archive);
	ArchiveView view{bytes.data(), static_cast<uint32_t>(bytes.size()), 0};
	contents.valid = !bytes.empty();
	for (const auto& entry : fs::recursive_directory_iterator(stagingFolder))
	{
		const std::string name = fs::relative(entry.path(), stagingFolder).generic_string();
		uint8_t* data = nullptr;
		uint32_t size = 0;
		if (!ArchiveReader::Extract(name, view, data, size))
		{
			contents.valid = false;
			continue;
		}
		if (entry.is_directory())
		{
			contents.folders.push_back(name);
		}
		else
		{
			contents.files[name].assign(data, data + size);
		}
		delete[] data;
	}
	return contents;
}

namespace
{
CheckedPicture Checked(bool decoded, const DecodedImage& image, int bitsPerPixel, const std::string& problem)
{
	CheckedPicture picture;
	picture.valid = decoded;
	picture.problem = decoded ? "" : problem;
	picture.width = image.width;
	picture.height = image.height;
	picture.bitsPerPixel = bitsPerPixel;
	picture.pixels = image.pixels;
	return picture;
}
} // namespace

CheckedPicture CheckTga(const std::vector<uint8_t>& bytes)
{
	DecodedImage image;
	const bool decoded = DecodeTga(bytes, image);
	// The content writes true-colour pictures only: 24 or 32 bits, raw or run-length.
	const bool trueColour = bytes.size() > 16 && (bytes[2] == 2 || bytes[2] == 10) && image.channels >= 3;
	return Checked(decoded && trueColour, image, image.channels * 8, "not a decodable true-colour TGA");
}

CheckedPicture CheckBmp(const std::vector<uint8_t>& bytes)
{
	DecodedImage image;
	const bool decoded = DecodeBmp(bytes, image);
	const int bits = bytes.size() > 29 ? bytes[28] | (bytes[29] << 8) : 0;
	return Checked(decoded && bits == 24, image, bits, "not a decodable 24-bit BMP");
}

CheckedPicture CheckJpeg(const std::vector<uint8_t>& bytes)
{
	DecodedImage image;
	std::string error;
	const bool decoded = DecodeJpeg(bytes, image, error);
	const int bits = image.width > 0 ? image.channels / image.width * 8 : 0;
	return Checked(decoded, image, bits, error);
}
