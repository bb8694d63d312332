#include "tools/content/ContentOutput.h"

namespace fs = std::filesystem;

ContentOutput::ContentOutput(fs::path staging) : staging(std::move(staging)) {}

void ContentOutput::Record(const std::string& path, const Image& image, SheetLook look)
{
	pictures.push_back({path, image, look});
}

void ContentOutput::Tga(const std::string& path, const Canvas& picture, int bitsPerPixel, TgaKind kind,
                        SheetLook look)
{
	const Image image = picture.ToImage();
	WriteTga(staging / path, image, bitsPerPixel, kind);
	Record(path, image, look);
}

void ContentOutput::Jpeg(const std::string& path, const Canvas& picture, int quality)
{
	const Image image = picture.ToImage();
	WriteJpeg(staging / path, image, quality);
	Record(path, image, SheetLook::Picture);
}

void ContentOutput::Bmp(const std::string& path, const Canvas& picture)
{
	const Image image = picture.ToImage();
	WriteBmp(staging / path, image);
	Record(path, image, SheetLook::Picture);
}

void ContentOutput::Bytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
	WriteFileBytes(staging / path, bytes);
}
