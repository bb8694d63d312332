#include "effects/ParticleSystem.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
ParticleFormat::LayerParams SpriteLayer(int32_t count)
{
	ParticleFormat::LayerParams params;
	params.particleCount = count;
	params.baseSize = {1.0f, 0.0f, 0.0f};
	params.startAlpha = 100.0f;
	params.peakAlpha = 1000.0f;
	params.frameCount = 1;
	return params;
}

ParticleEmitter Effect(std::vector<ParticleFormat::LayerParams> layers, uint32_t texture = 7)
{
	ParticleEmitter emitter;
	for (const auto& params : layers)
	{
		emitter.layers.push_back({params, texture});
	}
	return emitter;
}

// The blinking fir-tree light: up from 19 % to the peak of 100 %, down at 5.3824 % a step.
ParticleFormat::LayerParams FirLight()
{
	ParticleFormat::LayerParams params = SpriteLayer(1);
	params.startAlpha = 19.0f;
	params.peakAlpha = 100.0f;
	params.fadeRate = 5.3824f;
	return params;
}

EmitPoint At(const std::string& tag, Vec3 position = {})
{
	return {tag, position, kQuatIdentity};
}

// The alpha of the first quad written by the last step, or NaN when nothing was written.
float FirstAlpha(const ParticleSystem& system)
{
	return system.Vertices().empty() ? NAN : system.Vertices()[0].a;
}
} // namespace

TEST(ParticleSystem, FirLightFadesUpAndDownInAbout15And19Units)
{
	for (const float dt : {1.0f, 3.0f})
	{
		ParticleSystem system;
		system.AddEmitter("light", Effect({FirLight()}));
		system.Emit(At("light"));
		const float stepLength = std::max(dt, ParticleSystem::kFixedStep);
		std::vector<float> alphas;
		for (int frame = 0; frame < 200; ++frame)
		{
			const float before = system.Accumulator();
			system.Update(dt);
			if (before == 0.0f && system.VerticesWritten() > 0)
			{
				alphas.push_back(FirstAlpha(system));
			}
		}
		ASSERT_GT(alphas.size(), 3u);
		EXPECT_FLOAT_EQ(alphas.front(), 0.19f);
		const size_t peak =
		    static_cast<size_t>(std::max_element(alphas.begin(), alphas.end()) - alphas.begin());
		const float rising = static_cast<float>(peak) * stepLength;
		const float falling = static_cast<float>(alphas.size() - 1 - peak) * stepLength;
		EXPECT_NEAR(rising, 15.0f, stepLength + 0.5f) << "dt " << dt;
		// The fall starts from wherever the last rising step overshot the peak.
		EXPECT_NEAR(falling, 19.5f, 2.0f * stepLength) << "dt " << dt;
		// The last quad is written once with its alpha already below zero, then the burst goes.
		EXPECT_LT(alphas.back(), 0.0f);
		EXPECT_TRUE(system.Groups()[0].bursts.empty());
	}
}

TEST(ParticleSystem, StepsRunOncePerFixedStepOrEveryFrameWhenFramesAreLong)
{
	ParticleFormat::LayerParams moving = SpriteLayer(1);
	moving.baseVelocity = {100.0f, 0.0f, 0.0f}; // one unit per step unit
	{
		ParticleSystem system;
		system.AddEmitter("move", Effect({moving}));
		system.Emit(At("move"));
		// At 0.5 units a frame the accumulator passes 1.5 on every fourth frame.
		int steps = 0;
		for (int frame = 0; frame < 40; ++frame)
		{
			steps += system.Accumulator() == 0.0f ? 1 : 0;
			system.Update(0.5f);
		}
		EXPECT_EQ(steps, 10);
		// The last step drew the particle where nine steps of 1.5 units had moved it.
		EXPECT_NEAR(system.Vertices()[0].x + 1.0f, 9 * 1.5f, 1e-4f);
	}
	{
		ParticleSystem system;
		system.AddEmitter("move", Effect({moving}));
		system.Emit(At("move"));
		for (int frame = 0; frame < 4; ++frame)
		{
			EXPECT_EQ(system.Accumulator(), 0.0f);
			system.Update(4.0f);
		}
		EXPECT_NEAR(system.Vertices()[0].x + 1.0f, 3 * 4.0f, 1e-4f);
	}
}

TEST(ParticleSystem, EmissionWaitsForAStepFrame)
{
	ParticleSystem system;
	system.AddEmitter("one", Effect({SpriteLayer(1)}));
	system.Update(1.0f); // a step ran; the accumulator now holds 1
	system.Emit(At("one"));
	EXPECT_TRUE(system.Groups().empty());
	system.Update(1.0f); // 2 > 1.5: back to 0
	system.Emit(At("one"));
	ASSERT_EQ(system.Groups().size(), 1u);
	EXPECT_EQ(system.Groups()[0].bursts.size(), 1u);
}

TEST(ParticleSystem, EmissionStopsAt80000VerticesUntilParticlesDie)
{
	ParticleFormat::LayerParams crowd = SpriteLayer(20000);
	crowd.fadeRate = 50.0f; // dies within a few steps
	crowd.peakAlpha = 100.0f;
	ParticleSystem system;
	system.AddEmitter("crowd", Effect({crowd}));
	system.AddEmitter("one", Effect({SpriteLayer(1)}, 9));
	system.Emit(At("crowd"));
	system.Update(2.0f);
	EXPECT_EQ(system.VerticesWritten(), 80000);
	system.Emit(At("one"));
	EXPECT_EQ(system.Groups().size(), 1u) << "no burst while the array is full";
	for (int frame = 0; frame < 10; ++frame)
	{
		system.Update(2.0f);
	}
	EXPECT_EQ(system.VerticesWritten(), 0);
	system.Emit(At("one"));
	EXPECT_EQ(system.Groups().size(), 2u);
}

TEST(ParticleSystem, StripLoopsOrEndsTheParticle)
{
	ParticleFormat::LayerParams strip = SpriteLayer(1);
	strip.frameCount = 4;
	strip.frameRate = 50.0f; // half a frame per unit of dt: one frame per step of 2
	ParticleSystem system;
	system.AddEmitter("strip", Effect({strip}));
	system.Emit(At("strip"));
	const float expectedU[] = {0.0f, 0.25f, 0.5f, 0.75f, 0.0f, 0.25f};
	for (const float u : expectedU)
	{
		system.Update(2.0f);
		ASSERT_EQ(system.VerticesWritten(), 4);
		EXPECT_FLOAT_EQ(system.Vertices()[0].u, u);
		EXPECT_FLOAT_EQ(system.Vertices()[1].u, u + 0.25f);
	}

	// One frame that ends the particle after 1 / (25 * 0.01) = 4 units: two steps of 2.
	ParticleFormat::LayerParams once = SpriteLayer(1);
	once.frameRate = 25.0f;
	once.dieAfterStrip = 1;
	ParticleSystem ending;
	ending.AddEmitter("once", Effect({once}));
	ending.Emit(At("once"));
	ending.Update(2.0f);
	ending.Update(2.0f);
	EXPECT_EQ(ending.VerticesWritten(), 4) << "drawn in the step that ends the strip";
	EXPECT_EQ(ending.Groups()[0].bursts[0].aliveCount, 0);
	ending.Update(2.0f);
	EXPECT_EQ(ending.VerticesWritten(), 0);
	EXPECT_TRUE(ending.Groups()[0].bursts.empty());

	once.dieAfterStrip = 0;
	ParticleSystem looping;
	looping.AddEmitter("loop", Effect({once}));
	looping.Emit(At("loop"));
	for (int step = 0; step < 20; ++step)
	{
		looping.Update(2.0f);
	}
	EXPECT_EQ(looping.VerticesWritten(), 4);
}

TEST(ParticleSystem, BurstsShareOneContiguousRunPerTexture)
{
	ParticleSystem system;
	system.AddEmitter("a", Effect({SpriteLayer(2)}, 1));
	system.AddEmitter("b", Effect({SpriteLayer(3)}, 2));
	system.Emit(At("a"));
	system.Emit(At("b"));
	system.Emit(At("a"));
	system.Update(2.0f);
	ASSERT_EQ(system.Groups().size(), 2u);
	const SpriteGroup& first = system.Groups()[0];
	EXPECT_EQ(first.texture, 1u);
	EXPECT_EQ(first.vertexCount, 16);
	EXPECT_EQ(first.bursts[0].firstVertex, 0);
	EXPECT_EQ(first.bursts[1].firstVertex, 8);
	EXPECT_EQ(system.Groups()[1].bursts[0].firstVertex, 16);
	EXPECT_EQ(system.VerticesWritten(), 28);
}

TEST(ParticleSystem, QuadsFaceTheCameraOfTheLastDraw)
{
	ParticleSystem system;
	system.SetCameraVectors({1, 0, 0}, {0, 0, 1}); // looking along +y
	system.AddEmitter("one", Effect({SpriteLayer(1)}));
	system.Emit(At("one", {10, 20, 30}));
	system.Update(2.0f);
	const auto v = system.Vertices();
	ASSERT_EQ(v.size(), 4u);
	EXPECT_FLOAT_EQ(v[0].x, 9.0f);
	EXPECT_FLOAT_EQ(v[0].z, 29.0f);
	EXPECT_FLOAT_EQ(v[2].x, 11.0f);
	EXPECT_FLOAT_EQ(v[2].z, 31.0f);
	EXPECT_FLOAT_EQ(v[1].y, 20.0f);

	// A streak along its axis: back extent behind, length ahead, width to the sides.
	ParticleFormat::LayerParams streak;
	streak.kind = ParticleFormat::kKindStreak;
	streak.particleCount = 1;
	streak.baseSize = {2.0f, 0.5f, 0.0f};
	streak.backExtent = 1;
	streak.velocitySpread = {0.0f, 0.0f, 1.0f};
	streak.startAlpha = 100.0f;
	streak.peakAlpha = 1000.0f;
	ParticleSystem streaks;
	streaks.AddEmitter("s", Effect({streak}));
	// Looking along +x, so the side of a streak along z runs along y.
	streaks.SetCameraVectors({0, 0, 1}, {0, 1, 0});
	streaks.Emit(At("s"));
	streaks.Update(2.0f);
	const auto s = streaks.Vertices();
	ASSERT_EQ(s.size(), 4u);
	EXPECT_FLOAT_EQ(s[0].z, -2.0f);
	EXPECT_FLOAT_EQ(s[2].z, 2.0f);
	EXPECT_FLOAT_EQ(std::fabs(s[0].y - s[1].y), 1.0f);
}

TEST(ParticleSystem, MissingOrMalformedFilesGiveEmptyEffects)
{
	ParticleSystem system;
	EXPECT_TRUE(system.FindEmitter("no such effect").layers.empty());
	system.Emit(At("no such effect"));
	system.Update(2.0f);
	EXPECT_TRUE(system.Groups().empty());

	ParticleEmitter emitter;
	std::vector<std::string> names;
	std::vector<ParticleFormat::Layer> layers(7, {"Sprites\\fir_redlight.tga", FirLight()});
	layers[0].params.particleCount = 2000000000;
	const auto bytes = ParticleFormat::WriteFile(layers);
	ASSERT_TRUE(emitter.Parse(bytes, names));
	EXPECT_EQ(emitter.layers.size(), 5u);
	EXPECT_EQ(names[0], "fir_redlight.tga");
	EXPECT_EQ(emitter.layers[0].params.particleCount, ParticleSystem::kVertexCapacity / 4);
	EXPECT_FALSE(emitter.Parse(std::span(bytes).first(bytes.size() / 2), names));
}

// However many particles the layers of a file ask for, one emission spawns no more than the vertex
// array can show: the layers share that many in file order.
TEST(ParticleSystem, AnEffectHoldsNoMoreParticlesThanTheArrayShows)
{
	constexpr int32_t kQuads = ParticleSystem::kVertexCapacity / 4;
	std::vector<ParticleFormat::Layer> layers(5, {"fir_redlight.tga", SpriteLayer(2000000000)});
	layers[0].params.particleCount = kQuads - 10;
	layers[2].params.particleCount = -5;
	ParticleEmitter emitter;
	std::vector<std::string> names;
	ASSERT_TRUE(emitter.Parse(ParticleFormat::WriteFile(layers), names));
	ASSERT_EQ(emitter.layers.size(), 5u);
	const int32_t expected[] = {kQuads - 10, 10, 0, 0, 0};
	for (size_t i = 0; i < 5; ++i)
	{
		EXPECT_EQ(emitter.layers[i].params.particleCount, expected[i]) << "layer " << i;
	}

	ParticleSystem system;
	system.AddEmitter("heavy", emitter);
	system.Emit(At("heavy"));
	system.Update(2.0f);
	EXPECT_EQ(system.LiveParticles(), kQuads);
	EXPECT_EQ(system.VerticesWritten(), ParticleSystem::kVertexCapacity);
}
