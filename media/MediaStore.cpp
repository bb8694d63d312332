#include "media/MediaStore.h"

#include "core/LogFile.h"
#include "media/ArchiveReader.h"
#include "resources/Resources.h"

#include <cstdio>

MediaStore g_mediaStore;

namespace
{
// The loose files of the original installation are only looked for, never read: their absence
// is worth a log line for whoever troubleshoots, nothing more.
void LogIfMissing(const char* path, const char* line)
{
	std::FILE* file = std::fopen(path, "rb");
	if (file == nullptr)
	{
		g_logFile.WriteLine(line);
		return;
	}
	std::fclose(file);
}

ArchiveView ViewOf(std::span<const uint8_t> bytes)
{
	ArchiveView view;
	if (!bytes.empty() && bytes.size() <= UINT32_MAX)
	{
		view.data = bytes.data();
		view.size = static_cast<uint32_t>(bytes.size());
	}
	return view;
}

MediaBlob ExtractFrom(ArchiveView& view, const std::string& name)
{
	MediaBlob blob;
	ArchiveReader::Extract(name, view, blob.data, blob.size);
	return blob;
}
} // namespace

void MediaBlob::Free(MediaBlob& blob)
{
	delete[] blob.data;
	blob.data = nullptr;
	blob.size = 0;
}

void MediaStore::Open()
{
	LogIfMissing("Base/Data.pak", "Data.pak not found");
	LogIfMissing("Base/Base.rar", "Base.rar not found");
	Map(Resources::Find(ResourceId::kMediaData, ResourceId::kPrimaryArchive),
	    Resources::Find(ResourceId::kMediaData, ResourceId::kSecondaryArchive));
}

void MediaStore::Map(std::span<const uint8_t> primaryArchive, std::span<const uint8_t> secondaryArchive)
{
	primary = ViewOf(primaryArchive);
	secondary = ViewOf(secondaryArchive);
}

MediaBlob MediaStore::Find(const std::string& name)
{
	MediaBlob blob = ExtractFrom(primary, name);
	if (!blob.Found())
	{
		blob = ExtractFrom(secondary, name);
	}
	return blob;
}
