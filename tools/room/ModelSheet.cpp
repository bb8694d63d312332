#include "tools/room/ModelSheet.h"

#include "tools/content/Fonts.h"
#include "tools/room/RayCaster.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

namespace
{
constexpr int kCell = 200;         // one view, square
constexpr int kLabel = 22;         // the strip with the names above a row of views
constexpr int kPiecesPerRow = 2;   // three views each
constexpr int kSamples = 2;        // per pixel and axis
const char* const kRoomPieces[] = {"armchair01", "footstool", "presents"};
// Where the viewer stands, seen from the piece: the front, the side, above at three quarters.
const Vec3 kViews[3] = {{1.0f, 0.0f, 0.12f}, {0.0f, 1.0f, 0.12f}, {0.8f, 0.9f, 0.9f}};
const Color kBackground{0.56f, 0.57f, 0.59f, 1.0f};

struct Layer
{
	const Mesh* mesh;
	const std::string* texture;
	const std::string* glow;
};

struct Piece
{
	std::string name;
	std::vector<Layer> layers;
};

std::vector<Piece> Pieces(const std::vector<ModelDraft>& models, const RoomLayout& layout)
{
	std::vector<Piece> pieces;
	for (const ModelDraft& model : models)
	{
		Piece piece{model.name, {}};
		for (const ModelPart& part : model.parts)
		{
			piece.layers.push_back({&part.mesh, &part.texture, part.glow.empty() ? nullptr : &part.glow});
		}
		pieces.push_back(piece);
	}
	for (const char* name : kRoomPieces)
	{
		for (const SceneDraft& object : layout.objects)
		{
			if (object.name != name)
			{
				continue;
			}
			Piece piece{object.name, {}};
			for (const SceneRun& run : object.runs)
			{
				piece.layers.push_back({&run.mesh, &run.texture, nullptr});
			}
			pieces.push_back(piece);
		}
	}
	return pieces;
}

// One piece ready for rays: its triangles with the layer each came from.
struct Target
{
	std::vector<std::array<Vec3, 3>> triangles;
	std::vector<std::pair<const Triangle*, const Layer*>> sources;
	Bounds bounds;
};

Target Gather(const Piece& piece)
{
	Target target;
	for (const Layer& layer : piece.layers)
	{
		for (const Triangle& t : layer.mesh->triangles)
		{
			target.triangles.push_back({t.corners[0].position, t.corners[1].position, t.corners[2].position});
			target.sources.push_back({&t, &layer});
			for (const Corner& c : t.corners)
			{
				target.bounds.Add(c.position);
			}
		}
	}
	return target;
}

Color Shade(const Target& target, const RayCaster& caster, const TextureSet& textures, Vec3 origin,
            Vec3 direction, Vec3 light)
{
	// Cut-out cards (the fir's needles) let the ray on through their clear texels.
	for (int layer = 0; layer < 12; ++layer)
	{
		const RayCaster::Hit hit = caster.Nearest(origin, direction, 1e6f);
		if (hit.triangle < 0)
		{
			return kBackground;
		}
		const auto [triangle, source] = target.sources[hit.triangle];
		const float w[3] = {1.0f - hit.u - hit.v, hit.u, hit.v};
		float u = 0.0f, v = 0.0f;
		Vec3 normal;
		for (int k = 0; k < 3; ++k)
		{
			u += w[k] * triangle->corners[k].u;
			v += w[k] * triangle->corners[k].v;
			normal = normal + triangle->corners[k].normal * w[k];
		}
		const Color base = textures.Sample(*source->texture, u, v);
		if (base.a < 0.5f)
		{
			origin = origin + direction * (hit.distance + 0.01f);
			continue;
		}
		normal = Normalize(normal);
		if (Dot(normal, direction) > 0.0f)
		{
			normal = -normal;
		}
		const float lit = 0.36f + 0.7f * std::max(Dot(normal, light), 0.0f);
		Color result{base.r * lit, base.g * lit, base.b * lit, 1.0f};
		if (source->glow)
		{
			const Color glow = textures.Sample(*source->glow, u, v);
			result = {result.r + glow.r * 0.7f, result.g + glow.g * 0.7f, result.b + glow.b * 0.7f, 1.0f};
		}
		return result;
	}
	return kBackground;
}

// One view of a piece, orthographic, fitted to the piece's bounds, drawn into the sheet at
// (left, top).
void RenderView(const Target& target, const RayCaster& caster, const TextureSet& textures, Vec3 from,
                Image& sheet, int left, int top)
{
	const Vec3 toViewer = Normalize(from);
	const Vec3 forward = -toViewer;
	const Vec3 right = Normalize(Cross(forward, {0.0f, 0.0f, 1.0f}));
	const Vec3 up = Cross(right, forward);
	const Vec3 centre = (target.bounds.min + target.bounds.max) * 0.5f;
	const float radius = Length(target.bounds.max - target.bounds.min) * 0.5f;
	// The light comes from over the viewer's left shoulder.
	const Vec3 light = Normalize(toViewer + up * 0.9f - right * 0.6f);
	for (int y = 0; y < kCell; ++y)
	{
		for (int x = 0; x < kCell; ++x)
		{
			Color sum{0.0f, 0.0f, 0.0f, 1.0f};
			for (int k = 0; k < kSamples * kSamples; ++k)
			{
				const float sx = ((x + (k % kSamples + 0.5f) / kSamples) / kCell * 2.0f - 1.0f) * radius;
				const float sy = (1.0f - (y + (k / kSamples + 0.5f) / kSamples) / kCell * 2.0f) * radius;
				const Vec3 origin = centre + toViewer * (radius * 4.0f) + right * sx + up * sy;
				const Color c = Shade(target, caster, textures, origin, forward, light);
				sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, 1.0f};
			}
			const float share = 1.0f / (kSamples * kSamples);
			uint8_t* pixel = sheet.Pixel(left + x, top + y);
			pixel[0] = static_cast<uint8_t>(std::clamp(sum.r * share, 0.0f, 1.0f) * 255.0f + 0.5f);
			pixel[1] = static_cast<uint8_t>(std::clamp(sum.g * share, 0.0f, 1.0f) * 255.0f + 0.5f);
			pixel[2] = static_cast<uint8_t>(std::clamp(sum.b * share, 0.0f, 1.0f) * 255.0f + 0.5f);
			pixel[3] = 255;
		}
	}
}

void DrawLabel(Image& sheet, const std::string& text, int left, int top)
{
	const TextInk ink = Fonts::Sans().Render(text, 14.0f, 1.0f, 1);
	for (int y = 0; y < ink.mask.height && top + y < sheet.height; ++y)
	{
		for (int x = 0; x < ink.mask.width && left + x < sheet.width; ++x)
		{
			const float cover = ink.mask.At(x, y);
			uint8_t* pixel = sheet.Pixel(left + x, top + y);
			for (int c = 0; c < 3; ++c)
			{
				pixel[c] = static_cast<uint8_t>(pixel[c] * (1.0f - cover) + 24.0f * cover);
			}
		}
	}
}
} // namespace

Image DrawModelSheet(const std::vector<ModelDraft>& models, const RoomLayout& layout, const TextureSet& textures,
                     int threads)
{
	const std::vector<Piece> pieces = Pieces(models, layout);
	const int rows = (static_cast<int>(pieces.size()) + kPiecesPerRow - 1) / kPiecesPerRow;
	Image sheet(kPiecesPerRow * 3 * kCell, rows * (kLabel + kCell));
	sheet.Fill(208, 210, 214, 255);
	std::atomic<size_t> next{0};
	auto work = [&]
	{
		for (size_t i = next++; i < pieces.size(); i = next++)
		{
			const Target target = Gather(pieces[i]);
			const RayCaster caster(target.triangles);
			const int left = static_cast<int>(i % kPiecesPerRow) * 3 * kCell;
			const int top = static_cast<int>(i / kPiecesPerRow) * (kLabel + kCell);
			for (int view = 0; view < 3; ++view)
			{
				RenderView(target, caster, textures, kViews[view], sheet, left + view * kCell, top + kLabel);
			}
		}
	};
	std::vector<std::thread> pool;
	for (int t = 0; t < std::max(threads, 1); ++t)
	{
		pool.emplace_back(work);
	}
	for (std::thread& thread : pool)
	{
		thread.join();
	}
	// The names go on after the views, one thread only: the font is not shared between threads.
	for (size_t i = 0; i < pieces.size(); ++i)
	{
		DrawLabel(sheet, pieces[i].name, static_cast<int>(i % kPiecesPerRow) * 3 * kCell + 6,
		          static_cast<int>(i / kPiecesPerRow) * (kLabel + kCell) + 3);
	}
	return sheet;
}
