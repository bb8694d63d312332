#pragma once

#include <cstdint>
#include <string>

// One archive held in memory: the executable's own resource bytes, never owned by the view.
struct ArchiveView
{
	const uint8_t* data = nullptr;
	uint32_t size = 0;
	uint32_t position = 0;
};

// A content file found by name. A found entry is a new heap buffer owned by the caller and
// released with MediaBlob::Free; {null, 0} means not found. A found empty entry (a folder) has
// a non-null pointer and size 0.
struct MediaBlob
{
	uint8_t* data = nullptr;
	uint32_t size = 0;

	bool Found() const { return data != nullptr; }
	static void Free(MediaBlob& blob);
};

// Named access to the content files in the two embedded archives (primary first).
class MediaStore
{
public:
	void Open();
	// name: relative path with "/" or "\" separators, such as "Models/test.BSS".
	MediaBlob Find(const std::string& name);

private:
	ArchiveView primary;
	ArchiveView secondary;
};

extern MediaStore g_mediaStore;
