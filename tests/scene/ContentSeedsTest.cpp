// The fuzz seeds of the content readers are the sample records as the content builder's
// writer saves them, and a cut of the real room. Run with GLIMMER_WRITE_SEEDS=1 (after a build
// of the content) to write them anew into the source tree.
#include "tests/fuzz/BsaPair.h"
#include "tests/scene/ContentSamples.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tools/formats/ContentFiles.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

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

template <typename T> void KeepFirst(std::vector<T>& items, int32_t& count, size_t keep)
{
	items.resize(std::min(items.size(), keep));
	count = static_cast<int32_t>(items.size());
}

// A flight or a path cut to its first keys.
template <typename Keyed> void KeepFirstKeys(Keyed& keyed, size_t keys)
{
	keyed.positions.resize(std::min(keyed.positions.size(), keys));
	keyed.rotations.resize(keyed.positions.size());
	keyed.keyCount = static_cast<int32_t>(keyed.positions.size());
}

// The built room, small enough for a seed: its three smallest objects that have faces, two
// portals (the room has none yet), the first flight's first keys, one anchor of each kind and
// two lights, every record as the room has it.
BssFile CutRoomScene(BssFile room)
{
	std::erase_if(room.objects, [](const BssObject& object) { return object.faces.empty(); });
	std::stable_sort(room.objects.begin(), room.objects.end(),
	                 [](const BssObject& a, const BssObject& b) { return a.faceCount < b.faceCount; });
	KeepFirst(room.objects, room.objectCount, 3);
	KeepFirst(room.portals, room.portalCount, 2);
	KeepFirst(room.cameras, room.cameraCount, 1);
	for (BssCamera& camera : room.cameras)
	{
		camera.fovs.resize(std::min(camera.fovs.size(), size_t{12}));
		KeepFirstKeys(camera, camera.fovs.size());
	}
	std::set<int32_t> kinds;
	std::erase_if(room.anchors,
	              [&kinds](const BssAnchor& anchor) { return !kinds.insert(anchor.kind).second; });
	room.anchorCount = static_cast<int32_t>(room.anchors.size());
	for (BssAnchor& anchor : room.anchors)
	{
		KeepFirstKeys(anchor, 4);
	}
	KeepFirst(room.lights, room.lightCount, 2);
	return room;
}

TEST(ContentSeeds, RoomCutReadsWhole)
{
	const fs::path cut = fs::path(SourceDir()) / "tests/fuzz/corpus/bss/room_cut.BSS";
	const fs::path room = fs::path(BinaryDir()) / "content/primary/Models/test.BSS";
	if (std::getenv("GLIMMER_WRITE_SEEDS") != nullptr && fs::exists(room))
	{
		BssFile built;
		ASSERT_TRUE(ReadContentFile(FileBytes(room), built));
		SaveContentFile(cut, CutRoomScene(built));
	}
	const std::vector<uint8_t> bytes = FileBytes(cut);
	EXPECT_LT(bytes.size(), 64u * 1024u);
	BssFile scene;
	ASSERT_TRUE(ReadContentFile(bytes, scene));
	EXPECT_EQ(scene.objects.size(), 3u);
	EXPECT_FALSE(scene.objects[0].faces.empty());
	EXPECT_FALSE(scene.objects[0].materials.empty());
	ASSERT_EQ(scene.cameras.size(), 1u);
	EXPECT_GT(scene.cameras[0].keyCount, 1);
	EXPECT_GE(scene.anchors.size(), 3u);
	EXPECT_FALSE(scene.lights.empty());
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
