#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

// Every texture of the saver, by the exact (case-sensitive) name it was asked for. The first
// request for a name finds the picture in the media store (or among the program's built-in
// pictures), decodes it and uploads it with a full mipmap chain; the texture then stays for the
// whole run. A name that resolves to nothing gets its own copy of the default texture.
class TextureManager
{
public:
	static constexpr int kFromMediaStore = -1;

	// group: unused, kept for the callers that name one ("Sprites"); only the name and the
	// resource take part in the lookup. resource: the number of a built-in "CustomData" picture,
	// or kFromMediaStore.
	uint32_t Get(const std::string& group, const std::string& name, int resource = kFromMediaStore);
	// Deletes every texture; the GL context must still be current.
	void ReleaseAll();

	size_t Count() const { return textures.size(); }

private:
	void Load(const std::string& name, int resource);
	uint32_t LoadByExtension(const std::string& name, const std::string& extension,
	                         std::span<const uint8_t> bytes);
	uint32_t LoadFallback(const std::string& name, const std::string& stem);

	std::map<std::string, uint32_t> textures;
};

extern TextureManager g_textures;
