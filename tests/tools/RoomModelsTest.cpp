// The room's models as they are built: where they stand, how the rounded generators follow
// their paths, and the model sheet.

#include "tools/room/ModelSheet.h"
#include "tools/room/Models.h"
#include "tools/room/RoomScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace
{
const ModelDraft& Model(const std::vector<ModelDraft>& models, const std::string& name)
{
	for (const ModelDraft& model : models)
	{
		if (model.name == name)
		{
			return model;
		}
	}
	throw std::runtime_error("no model " + name);
}

// The model's box in the room, at each of its places.
std::vector<Bounds> Placed(const RoomLayout& layout, const ModelDraft& model)
{
	Bounds extent;
	for (const ModelPart& part : model.parts)
	{
		const Bounds b = part.mesh.Extent();
		extent.Add(b.min);
		extent.Add(b.max);
	}
	std::vector<Bounds> places;
	for (const ModelPlacement& placement : layout.placements)
	{
		if (placement.model == model.name)
		{
			places.push_back({extent.min + placement.position, extent.max + placement.position});
		}
	}
	return places;
}

bool IsBackground(const uint8_t* pixel)
{
	return std::abs(pixel[0] - 143) <= 2 && std::abs(pixel[1] - 145) <= 2 && std::abs(pixel[2] - 150) <= 2;
}
} // namespace

// Things set on other things stand on them, inside their edges and clear of what else stands
// there: nothing floats, sinks in or pokes through.
TEST(RoomModels, SmallThingsStandOnTheirFurniture)
{
	const std::vector<ModelDraft> models = BuildModels();
	const RoomLayout layout = BuildRoom(models);
	// The tray on the side table (a round top of radius 28 at (165, 280), 61 high), beside the
	// candle in the middle of it (its foot is 5 across).
	const std::vector<Bounds> trays = Placed(layout, Model(models, "teatray"));
	ASSERT_EQ(trays.size(), 1u);
	const Bounds tray = trays[0];
	EXPECT_NEAR(tray.min.z, 61.0f, 0.01f);
	for (float x : {tray.min.x, tray.max.x})
	{
		for (float y : {tray.min.y, tray.max.y})
		{
			EXPECT_LT(std::hypot(x - 165.0f, y - 280.0f), 28.0f);
		}
	}
	EXPECT_GT(tray.min.y - 280.0f, 5.0f);
	// The books on the mantel shelf (x 35 to 56 in front of the chimney breast, 123 high),
	// between the candles at y 204 and 346 and under the picture's frame at 144.
	const Bounds books = Placed(layout, Model(models, "mantelbooks")).at(0);
	EXPECT_NEAR(books.min.z, 123.0f, 0.01f);
	EXPECT_GT(books.min.x, 35.0f);
	EXPECT_LT(books.max.x, 56.0f);
	EXPECT_GT(books.min.y, 204.0f + 5.0f);
	EXPECT_LT(books.max.y, 346.0f - 5.0f);
	EXPECT_LT(books.max.z, 144.0f);
	// The stockings hang in front of the mantel's face (x 56) and below its top (123).
	for (const char* name : {"stocking", "stocking2"})
	{
		for (const Bounds& stocking : Placed(layout, Model(models, name)))
		{
			EXPECT_GE(stocking.min.x, 56.0f) << name;
			EXPECT_LT(stocking.max.z, 123.0f) << name;
			EXPECT_GT(stocking.min.z, 60.0f) << name;
		}
	}
	// The basket stands on the floor, off the hearth (x below 100 from y 195) and the lamp's foot.
	const Bounds basket = Placed(layout, Model(models, "logbasket")).at(0);
	EXPECT_NEAR(basket.min.z, 0.0f, 0.01f);
	EXPECT_LT(basket.max.y, 195.0f);
	EXPECT_GT(std::hypot(std::fmax(basket.min.x - 80.0f, 0.0f), basket.min.y - 80.0f), 16.0f);
}

// The star is small beside the tree, and its points stand out of its plane.
TEST(RoomModels, StarHasDepthAndStaysSmall)
{
	const std::vector<ModelDraft> models = BuildModels();
	const ModelDraft& fir = Model(models, "fir");
	for (const ModelPart& part : fir.parts)
	{
		if (part.name != "star")
		{
			continue;
		}
		const Bounds box = part.mesh.Extent();
		EXPECT_LT(box.max.z - box.min.z, 20.0f);
		// Faceted: the faces of one side meet at an apex off the plane of the points.
		std::vector<Vec3> normals;
		for (const Triangle& t : part.mesh.triangles)
		{
			normals.push_back(t.corners[0].normal);
		}
		ASSERT_GE(normals.size(), 20u);
		EXPECT_LT(Dot(normals[0], normals[1]), 0.99f);
		return;
	}
	FAIL() << "the fir has no star";
}

// A swept section turns with its path without twisting about it: a tube bent from down to
// forwards in one plane keeps its thickness across that plane.
TEST(RoomModels, SweptSectionTurnsWithoutTwisting)
{
	std::vector<Vec3> path;
	std::vector<Vec2> radii;
	for (int i = 0; i <= 10; ++i)
	{
		const float angle = i * kPi / 20.0f;
		path.push_back({4.0f, 10.0f - 10.0f * std::cos(angle), -10.0f * std::sin(angle)});
		radii.push_back({6.0f, 2.0f});
	}
	path.push_back({4.0f, 12.0f, -10.0f});
	radii.push_back({6.0f, 2.0f});
	Mesh tube;
	const std::vector<Vec3> last = tube.Sweep(path, radii, {0.0f, 1.0f, 0.0f}, 12, 10.0f);
	ASSERT_FALSE(tube.triangles.empty());
	for (const Triangle& t : tube.triangles)
	{
		for (const Corner& c : t.corners)
		{
			EXPECT_LE(std::fabs(c.position.x - 4.0f), 2.0f + 1e-3f);
		}
	}
	// At the end the path runs along +y, so the wide side of the section stands upright.
	ASSERT_EQ(last.size(), 12u);
	float top = -1e9f, bottom = 1e9f;
	for (const Vec3& p : last)
	{
		top = std::max(top, p.z);
		bottom = std::min(bottom, p.z);
		EXPECT_NEAR(p.y, 12.0f, 1e-3f);
	}
	EXPECT_NEAR(top - bottom, 12.0f, 1e-3f);
}

// Every piece shows in each of its three views, inside its own cell, on the plain background.
TEST(RoomModels, ModelSheetShowsEveryPieceInEveryView)
{
	const std::vector<ModelDraft> all = BuildModels();
	const std::vector<ModelDraft> models{Model(all, "candle"), Model(all, "teddy"), Model(all, "Clock")};
	TextureSet textures;
	textures.PaintAll();
	const Image sheet = DrawModelSheet(models, RoomLayout{}, textures, 2);
	ASSERT_EQ(sheet.width, 1200);
	ASSERT_EQ(sheet.height, 2 * 222);
	for (size_t piece = 0; piece < models.size(); ++piece)
	{
		for (int view = 0; view < 3; ++view)
		{
			const int left = static_cast<int>(piece % 2) * 600 + view * 200, top = static_cast<int>(piece / 2) * 222 + 22;
			int covered = 0;
			for (int y = 0; y < 200; ++y)
			{
				for (int x = 0; x < 200; ++x)
				{
					covered += IsBackground(sheet.Pixel(left + x, top + y)) ? 0 : 1;
				}
			}
			EXPECT_GT(covered, 200 * 200 / 50) << models[piece].name << " view " << view;
			// Fitted with a margin: the cell's corners stay background.
			EXPECT_TRUE(IsBackground(sheet.Pixel(left + 1, top + 1))) << models[piece].name;
			EXPECT_TRUE(IsBackground(sheet.Pixel(left + 198, top + 198))) << models[piece].name;
		}
	}
}
