#include "render/TextureManager.h"

#include "core/LogFile.h"
#include "core/Platform.h"
#include "media/MediaStore.h"
#include "render/ImageDecoders.h"
#include "resources/Resources.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cstdio>

TextureManager g_textures;

namespace
{
constexpr char kDefaultTexture[] = "Textures/tex_default.tga";

// A media-store entry, owned while it is decoded.
class MediaBytes
{
public:
	explicit MediaBytes(const std::string& name) : blob(g_mediaStore.Find(name)) {}
	~MediaBytes() { MediaBlob::Free(blob); }
	MediaBytes(const MediaBytes&) = delete;
	MediaBytes& operator=(const MediaBytes&) = delete;

	bool Found() const { return blob.Found(); }
	std::span<const uint8_t> Bytes() const { return {blob.data, blob.size}; }

private:
	MediaBlob blob;
};

// Decoded pixels are packed without row padding, whatever their width.
uint32_t Upload(const DecodedImage& image, int components, GLenum format)
{
	GLuint texture = 0;
	glGenTextures(1, &texture);
	glBindTexture(GL_TEXTURE_2D, texture);
	glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
	gluBuild2DMipmaps(GL_TEXTURE_2D, components, image.width, image.height, format, GL_UNSIGNED_BYTE,
	                  image.pixels.data());
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
	glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
	return texture;
}

uint32_t LoadTga(const std::string& name, std::span<const uint8_t> bytes)
{
	DecodedImage image;
	if (!DecodeTga(bytes, image))
	{
		Sys_MessageBox("Error", "Unable open " + name);
		Sys_FatalExit();
	}
	return Upload(image, image.channels, image.channels == 4 ? GL_RGBA : GL_RGB);
}

// The upload reads three bytes a pixel; a grey picture is widened to that first.
bool MakeRgb(DecodedImage& image)
{
	const int64_t pixelCount = int64_t{image.width} * image.height;
	if (image.channels == image.width * 3)
	{
		return static_cast<int64_t>(image.pixels.size()) >= pixelCount * 3;
	}
	if (image.channels != image.width || static_cast<int64_t>(image.pixels.size()) < pixelCount)
	{
		return false;
	}
	std::vector<uint8_t> rgb(static_cast<size_t>(pixelCount) * 3);
	for (int64_t i = 0; i < pixelCount; ++i)
	{
		rgb[i * 3] = rgb[i * 3 + 1] = rgb[i * 3 + 2] = image.pixels[i];
	}
	image.pixels.swap(rgb);
	image.channels = image.width * 3;
	return true;
}

// A picture the JPEG library cannot read ends the process with the library's own message and
// exit code.
uint32_t LoadJpeg(const std::string& name, std::span<const uint8_t> bytes)
{
	DecodedImage image;
	std::string error;
	if (!DecodeJpeg(bytes, image, error) || !MakeRgb(image))
	{
		std::fprintf(stderr, "%s: %s\n", name.c_str(),
		             error.empty() ? "unsupported JPEG layout" : error.c_str());
		Sys_FatalExit();
	}
	return Upload(image, 3, GL_RGB);
}

uint32_t LoadBmp(std::span<const uint8_t> bytes)
{
	DecodedImage image;
	if (!DecodeBmp(bytes, image))
	{
		Sys_FatalExit();
	}
	return Upload(image, 4, GL_RGB);
}

std::string ExtensionOf(const std::string& name)
{
	const size_t dot = name.find('.');
	return dot == std::string::npos ? "" : name.substr(dot + 1);
}

std::string StemOf(const std::string& name)
{
	return name.substr(0, name.rfind('.'));
}
} // namespace

uint32_t TextureManager::Get(const std::string&, const std::string& name, int resource)
{
	const auto found = textures.find(name);
	if (found != textures.end() && found->second != 0)
	{
		return found->second;
	}
	Load(name, resource);
	return textures[name];
}

void TextureManager::ReleaseAll()
{
	for (const auto& [name, texture] : textures)
	{
		const GLuint glName = texture;
		glDeleteTextures(1, &glName);
	}
	textures.clear();
}

uint32_t TextureManager::LoadByExtension(const std::string& name, const std::string& extension,
                                         std::span<const uint8_t> bytes)
{
	uint32_t texture = 0;
	if (extension == "bmp" || extension == "BMP")
	{
		texture = LoadBmp(bytes);
	}
	else if (extension == "tga" || extension == "TGA")
	{
		texture = LoadTga(name, bytes);
	}
	else if (extension == "jpg" || extension == "JPG")
	{
		texture = LoadJpeg(name, bytes);
	}
	g_logFile.WriteLine("Texture " + name + " loaded");
	return texture;
}

// The same stem as a BMP, a TGA and a JPEG, in that order; then the default texture.
uint32_t TextureManager::LoadFallback(const std::string& name, const std::string& stem)
{
	for (const char* extension : {"bmp", "tga", "jpg"})
	{
		const std::string candidate = stem + "." + extension;
		g_logFile.WriteLine("Try load " + candidate);
		MediaBytes media(candidate);
		if (media.Found())
		{
			return LoadByExtension(candidate, extension, media.Bytes());
		}
	}
	g_logFile.WriteLine("--Unable load " + name + "-------------------------");
	g_logFile.WriteLine("Loading default texture");
	MediaBytes fallback(kDefaultTexture);
	return LoadTga(kDefaultTexture, fallback.Bytes());
}

void TextureManager::Load(const std::string& name, int resource)
{
	g_logFile.WriteLine("Start load " + name);
	g_logFile.WriteLine("Try load original: " + name);
	uint32_t& entry = textures[name];
	if (resource != kFromMediaStore)
	{
		entry = LoadByExtension(name, ExtensionOf(name), Resources::Find(ResourceId::kCustomData, resource));
		return;
	}
	MediaBytes media(name);
	entry = media.Found() ? LoadByExtension(name, ExtensionOf(name), media.Bytes())
	                      : LoadFallback(name, StemOf(name));
}
