// The fuzz seeds of the content readers are the sample records as the content builder's
// writer saves them. Run with GLIMMER_WRITE_SEEDS=1 to write them anew into the source tree.
#include "tests/fuzz/BsaPair.h"
#include "tests/scene/ContentSamples.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tools/formats/ContentFiles.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace
{
namespace fs = std::filesystem;

std::vector<uint8_t> FileBytes(const fs::path& path)
{
	std::ifstream file(path, std::ios::binary);
	return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Saves every seed into `folder`, laid out like tests/fuzz/corpus.
void SaveSeeds(const fs::path& folder)
{
	SaveContentFile(folder / "bsm/sample.BSM", SampleModel());
	SaveContentFile(folder / "bss/sample.BSS", SampleScene());
	const TempDir scratch;
	SaveContentFile(scratch.Path() / "fire.BSA", SampleAnimatedMesh());
	SaveContentFile(scratch.Path() / "fire_anim.BSA", SampleAnimation());
	SaveBytes(folder / "bsa/sample.pair", JoinBsaPair(FileBytes(scratch.Path() / "fire.BSA"),
	                                                  FileBytes(scratch.Path() / "fire_anim.BSA")));
}

TEST(ContentSeeds, AreWhatTheWriterSaves)
{
	const fs::path corpus = fs::path(SourceDir()) / "tests/fuzz/corpus";
	if (std::getenv("GLIMMER_WRITE_SEEDS") != nullptr)
	{
		SaveSeeds(corpus);
	}
	const TempDir saved;
	SaveSeeds(saved.Path());
	for (const char* seed : {"bsm/sample.BSM", "bss/sample.BSS", "bsa/sample.pair"})
	{
		const std::vector<uint8_t> expected = FileBytes(saved.Path() / seed);
		EXPECT_FALSE(expected.empty());
		EXPECT_EQ(FileBytes(corpus / seed), expected) << seed;
	}
	const std::vector<uint8_t> pair = FileBytes(saved.Path() / "bsa/sample.pair");
	const BsaPair split = SplitBsaPair(pair);
	BsaMeshFile mesh;
	BsaAnimFile animation;
	EXPECT_TRUE(ReadContentFile(split.mesh, mesh));
	EXPECT_TRUE(ReadContentFile(split.animation, animation));
}

TEST(SaveContentFile, RefusesRecordsThatBreakTheLayout)
{
	const TempDir folder;
	BsmFile model = SampleModel();
	model.meshes[0].baseTexture = std::string(3001, 't');
	EXPECT_THROW(SaveContentFile(folder.Path() / "Models/bad.BSM", model), std::runtime_error);
	EXPECT_FALSE(fs::exists(folder.Path() / "Models/bad.BSM"));
}
} // namespace
