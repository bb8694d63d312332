// A lookup is a scan of block headers: the cost of reaching the last of 200 entries in a 30 MB
// archive, the size of the primary archive.
#include "media/ArchiveReader.h"
#include "media/RarWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace
{
constexpr int kEntryCount = 200;
constexpr uint32_t kEntrySize = 150 * 1024;

std::string EntryName(int index)
{
	char name[32];
	std::snprintf(name, sizeof(name), "Textures\\tex_%03d.tga", index);
	return name;
}

const std::vector<uint8_t>& LargeArchive()
{
	static const std::vector<uint8_t> bytes = []
	{
		RarWriter writer;
		writer.WriteMarkerAndArchiveHeader();
		std::vector<uint8_t> contents(kEntrySize);
		for (int i = 0; i < kEntryCount; ++i)
		{
			std::fill(contents.begin(), contents.end(), static_cast<uint8_t>(i));
			writer.WriteFile(EntryName(i), contents);
		}
		writer.WriteEndBlock();
		return writer.Bytes();
	}();
	return bytes;
}

void RunLookups(benchmark::State& state, const std::string& name)
{
	const std::vector<uint8_t>& archive = LargeArchive();
	ArchiveView view{archive.data(), static_cast<uint32_t>(archive.size()), 0};
	for (auto _ : state)
	{
		uint8_t* data = nullptr;
		uint32_t size = 0;
		benchmark::DoNotOptimize(ArchiveReader::Extract(name, view, data, size));
		delete[] data;
	}
	state.counters["archive_MB"] = static_cast<double>(archive.size()) / 1e6;
}

// A name that sorts after the last entry: every header is read, nothing is checked or copied.
void BM_ArchiveScanPastLastOf200(benchmark::State& state)
{
	RunLookups(state, "Textures/tex_999.tga");
}
BENCHMARK(BM_ArchiveScanPastLastOf200);

// The last entry itself: the same scan plus its checksum and copy (150 KiB).
void BM_ArchiveExtractLastOf200(benchmark::State& state)
{
	static_assert(kEntryCount == 200);
	RunLookups(state, "textures/TEX_199.tga");
}
BENCHMARK(BM_ArchiveExtractLastOf200);
} // namespace
