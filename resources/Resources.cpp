#include "resources/Resources.h"

#include <strings.h>

// Generated at build time (resources/CMakeLists.txt): one entry per embedded file.
extern const ResourceEntry g_resourceTable[];
extern const int g_resourceCount;

namespace Resources
{
static bool TypeNamesEqual(std::string_view a, const char* b)
{
	return a.size() == __builtin_strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

std::span<const uint8_t> Find(std::string_view type, int id)
{
	for (int i = 0; i < g_resourceCount; ++i)
	{
		const ResourceEntry& entry = g_resourceTable[i];
		if (entry.id == id && TypeNamesEqual(type, entry.type))
		{
			return {entry.begin, static_cast<size_t>(entry.end - entry.begin)};
		}
	}
	return {};
}
} // namespace Resources
