// Model anchors and their hand-over to the particle system; no display needed.
#include "scene/Model.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
std::vector<ModelAnchor> Emitters(int count)
{
	std::vector<ModelAnchor> anchors(static_cast<size_t>(count));
	for (ModelAnchor& anchor : anchors)
	{
		anchor.kind = 2;
	}
	return anchors;
}

TEST(ModelAnchors, TagIsTheTextAfterTheFirstSpace)
{
	EXPECT_EQ(AnchorTag("emit locosteam"), "locosteam");
	EXPECT_EQ(AnchorTag("emit red firlight"), "red firlight");
	EXPECT_EQ(AnchorTag("lonely"), "lonely");
	EXPECT_EQ(AnchorTag(""), "");
}

// Up to 20 anchors every emitter goes each frame and the cursor stays; above 20 one anchor per
// frame, whatever its kind, in turn at frame time x 0.4.
TEST(ModelAnchors, HandOverRegimes)
{
	float cursor = 0.0f;
	std::vector<ModelAnchor> nineteen = Emitters(19);
	nineteen[4].kind = 1;
	EXPECT_EQ(AnchorsToEmit(nineteen, cursor, 1.0f).size(), 18u);
	EXPECT_EQ(AnchorsToEmit(Emitters(20), cursor, 1.0f).size(), 20u);
	EXPECT_EQ(cursor, 0.0f);

	std::vector<ModelAnchor> many = Emitters(72);
	many[0].kind = 1;
	std::vector<int> handed;
	for (int frame = 0; frame < 200; ++frame)
	{
		const std::vector<int> chosen = AnchorsToEmit(many, cursor, 1.0f);
		ASSERT_EQ(chosen.size(), 1u);
		handed.push_back(chosen[0]);
	}
	EXPECT_EQ(handed[0], 0) << "kind does not matter in this regime";
	EXPECT_EQ(handed[3], 1);
	EXPECT_EQ(handed[179], 71);
	EXPECT_EQ(handed[180], 0) << "the cursor wraps once it reaches the anchor count";
}

TEST(ModelAnchors, BrokenCursorStartsOver)
{
	float cursor = -5.0f;
	EXPECT_EQ(AnchorsToEmit(Emitters(30), cursor, 1.0f), std::vector<int>{0});
	cursor = 1e30f;
	EXPECT_EQ(AnchorsToEmit(Emitters(30), cursor, 1.0f), std::vector<int>{0});
}
} // namespace
