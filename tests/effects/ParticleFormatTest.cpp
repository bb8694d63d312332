// The emitter file layout, checked against bytes put together by hand from the table of the
// 133-byte block, so that a mistake shared by the writer and the reader cannot hide.

#include "effects/ParticleFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
void PutInt(std::vector<uint8_t>& bytes, size_t at, int32_t v)
{
	bytes[at] = static_cast<uint8_t>(v);
	bytes[at + 1] = static_cast<uint8_t>(v >> 8);
	bytes[at + 2] = static_cast<uint8_t>(v >> 16);
	bytes[at + 3] = static_cast<uint8_t>(v >> 24);
}

void PutFloat(std::vector<uint8_t>& bytes, size_t at, float v)
{
	int32_t raw = 0;
	std::memcpy(&raw, &v, 4);
	PutInt(bytes, at, raw);
}

// One layer "tex_snowflake.tga" with a distinct value in every field.
std::vector<uint8_t> HandMadeSnowfall()
{
	const std::string name = "tex_snowflake.tga";
	std::vector<uint8_t> bytes(4 + 4 + name.size() + 133, 0);
	PutInt(bytes, 0, 1);
	PutInt(bytes, 4, static_cast<int32_t>(name.size()));
	std::memcpy(&bytes[8], name.data(), name.size());
	const size_t b = 8 + name.size();
	for (int i = 0; i < 9; ++i)
	{
		PutFloat(bytes, b + 4 * i, 1.0f + static_cast<float>(i)); // velocities and position spread
	}
	PutInt(bytes, b + 36, 3);
	PutFloat(bytes, b + 40, 0.9f);
	PutFloat(bytes, b + 52, 90.0f);
	PutFloat(bytes, b + 64, 0.25f);
	PutFloat(bytes, b + 76, 1.2f);
	PutFloat(bytes, b + 80, -0.5f);
	bytes[b + 84] = 1;
	PutInt(bytes, b + 85, 770);
	PutInt(bytes, b + 89, 1);
	PutFloat(bytes, b + 93, 30.0f);
	PutFloat(bytes, b + 97, 90.0f);
	PutFloat(bytes, b + 101, 1.2f);
	PutFloat(bytes, b + 105, 7.0f);
	bytes[b + 109] = 1;
	bytes[b + 110] = 1;
	PutFloat(bytes, b + 111, 2.5f);
	PutInt(bytes, b + 115, 4);
	PutFloat(bytes, b + 119, 2.0f);
	bytes[b + 123] = 1;
	bytes[b + 124] = 1;
	PutFloat(bytes, b + 125, 15.0f);
	PutInt(bytes, b + 129, 0);
	return bytes;
}

TEST(ParticleFormat, ReadsEveryFieldAtItsOffset)
{
	const std::vector<uint8_t> bytes = HandMadeSnowfall();
	ASSERT_EQ(bytes.size(), 158u);
	std::vector<ParticleFormat::Layer> layers;
	ASSERT_TRUE(ParticleFormat::ReadFile(bytes, layers));
	ASSERT_EQ(layers.size(), 1u);
	EXPECT_EQ(layers[0].spriteName, "tex_snowflake.tga");
	const ParticleFormat::LayerParams& p = layers[0].params;
	EXPECT_EQ(p.baseVelocity.x, 1.0f);
	EXPECT_EQ(p.baseVelocity.z, 3.0f);
	EXPECT_EQ(p.velocitySpread.y, 5.0f);
	EXPECT_EQ(p.positionSpread.z, 9.0f);
	EXPECT_EQ(p.particleCount, 3);
	EXPECT_EQ(p.baseSize.x, 0.9f);
	EXPECT_EQ(p.sizeSpread.x, 90.0f);
	EXPECT_EQ(p.shrinkRate.x, 0.25f);
	EXPECT_EQ(p.gravity, -0.5f);
	EXPECT_EQ(p.alongAxis, 1);
	EXPECT_EQ(p.srcBlend, 770);
	EXPECT_EQ(p.dstBlend, 1);
	EXPECT_EQ(p.startAlpha, 30.0f);
	EXPECT_EQ(p.peakAlpha, 90.0f);
	EXPECT_EQ(p.fadeRate, 1.2f);
	EXPECT_EQ(p.startAlphaSpread, 7.0f);
	EXPECT_EQ(p.backExtent, 1);
	EXPECT_EQ(p.randomAxis, 1);
	EXPECT_EQ(p.pullToCamera, 2.5f);
	EXPECT_EQ(p.frameCount, 4);
	EXPECT_EQ(p.frameRate, 2.0f);
	EXPECT_EQ(p.dieAfterStrip, 1);
	EXPECT_EQ(p.spin, 1);
	EXPECT_EQ(p.spinSpeed, 15.0f);
	EXPECT_EQ(p.kind, 0);

	// Written back, the same bytes come out (the ignored field repeats the fade rate).
	EXPECT_EQ(ParticleFormat::WriteFile(layers), bytes);
}

TEST(ParticleFormat, OddFilesStayInsideTheirBytes)
{
	std::vector<uint8_t> bytes = HandMadeSnowfall();
	std::vector<ParticleFormat::Layer> layers;

	// A count above five reads five layers: here the second is missing, so reading stops.
	PutInt(bytes, 0, 7);
	EXPECT_FALSE(ParticleFormat::ReadFile(bytes, layers));
	EXPECT_EQ(layers.size(), 1u);

	// A name length past the end, or negative, reads nothing of the layer.
	PutInt(bytes, 0, 1);
	PutInt(bytes, 4, 1 << 30);
	EXPECT_FALSE(ParticleFormat::ReadFile(bytes, layers));
	EXPECT_TRUE(layers.empty());
	PutInt(bytes, 4, -4);
	EXPECT_FALSE(ParticleFormat::ReadFile(bytes, layers));

	// A block one byte short.
	bytes = HandMadeSnowfall();
	bytes.pop_back();
	EXPECT_FALSE(ParticleFormat::ReadFile(bytes, layers));
	EXPECT_FALSE(ParticleFormat::ReadFile({}, layers));

	// A path before the sprite name is dropped.
	ParticleFormat::Layer layer{"Sprites\\\\fx/fir_redlight.tga", {}};
	ASSERT_TRUE(ParticleFormat::ReadFile(ParticleFormat::WriteFile({layer}), layers));
	EXPECT_EQ(layers[0].spriteName, "fir_redlight.tga");

	// Zero layers is a valid, empty effect.
	EXPECT_TRUE(ParticleFormat::ReadFile(std::vector<uint8_t>(4, 0), layers));
	EXPECT_TRUE(layers.empty());
}
} // namespace
