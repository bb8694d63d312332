#pragma once

#include "media/MediaStore.h"

#include <cstdint>
#include <string_view>

// Extracts one named entry from a RAR 2.0 archive that lies complete in memory. There is no
// index and no cache: every call scans the block headers from the start, skipping data areas by
// arithmetic. Names match without regard to ASCII letter case, and "\", "/" and "_" count as one
// character. Only stored entries can be extracted; compressed ones count as absent.
class ArchiveReader
{
public:
	// On success returns true with `data` set to a new heap buffer (released with delete[], or
	// through MediaBlob::Free) of `size` bytes; a folder entry gives a non-null buffer of size 0.
	// On any failure returns false with `data` null, `size` 0 and nothing left allocated. The
	// view's position is reset and moved to each block in turn; its bytes are never written.
	static bool Extract(std::string_view name, ArchiveView& view, uint8_t*& data, uint32_t& size);
};
