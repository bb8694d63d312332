#pragma once

#include <cstdint>
#include <span>
#include <string>

// One archive held in memory: the executable's own resource bytes, never owned by the view.
// A view with no data and size 0 stands for an archive that is not there.
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
	// Releases the buffer and leaves the blob empty; an empty blob is left as it is.
	static void Free(MediaBlob& blob);
};

// Named access to the content files in the two embedded archives (primary first). Not
// re-entrant: one lookup at a time, on the window thread.
class MediaStore
{
public:
	// Maps the two "MediaData" archives (148 primary, 150 secondary) linked into the program.
	void Open();
	// Maps two archives given as memory that outlives the store; an empty span is a missing one.
	void Map(std::span<const uint8_t> primaryArchive, std::span<const uint8_t> secondaryArchive);
	// name: relative path with "/" or "\" separators, such as "Models/test.BSS". The first
	// archive that yields the entry wins; a miss logs nothing.
	MediaBlob Find(const std::string& name);

private:
	ArchiveView primary;
	ArchiveView secondary;
};

extern MediaStore g_mediaStore;
