#include "tools/room/Preview.h"

#include "tools/content/ImageWriters.h"
#include "tools/room/RayCaster.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace
{
constexpr int kWidth = 320;
constexpr int kHeight = 240;
const int kKeys[3] = {0, 150, 290};

struct Surface
{
	Triangle triangle;
	std::array<Vec2, 3> lightmapUv{};
	const std::string* texture = nullptr;
	const std::string* glow = nullptr;
	bool lightmapped = false;
};

struct PreviewScene
{
	std::vector<Surface> surfaces;
	std::vector<std::array<Vec3, 3>> triangles;
};

PreviewScene Collect(const RoomLayout& layout, const std::vector<ModelDraft>& models,
                     const Lightmap& lightmap)
{
	PreviewScene scene;
	auto add = [&](const Surface& surface)
	{
		scene.surfaces.push_back(surface);
		const Triangle& t = surface.triangle;
		scene.triangles.push_back({t.corners[0].position, t.corners[1].position, t.corners[2].position});
	};
	for (size_t o = 0; o < layout.objects.size(); ++o)
	{
		const SceneDraft& object = layout.objects[o];
		if (object.mode == LightmapMode::None)
		{
			continue;
		}
		for (size_t r = 0; r < object.runs.size(); ++r)
		{
			const SceneRun& run = object.runs[r];
			for (size_t t = 0; t < run.mesh.triangles.size(); ++t)
			{
				add({run.mesh.triangles[t], lightmap.uvs[o][r][t], &run.texture, nullptr, true});
			}
		}
	}
	for (const ModelPlacement& placement : layout.placements)
	{
		for (const ModelDraft& model : models)
		{
			if (model.name != placement.model)
			{
				continue;
			}
			for (const ModelPart& part : model.parts)
			{
				for (Triangle t : part.mesh.triangles)
				{
					for (Corner& c : t.corners)
					{
						c.position = c.position + placement.position;
					}
					add({t, {}, &part.texture, part.glow.empty() ? nullptr : &part.glow, false});
				}
			}
		}
	}
	return scene;
}

Color SampleLightmap(const Image& atlas, Vec2 uv)
{
	const float x = std::clamp(uv.x * atlas.width - 0.5f, 0.0f, atlas.width - 1.001f);
	const float y = std::clamp((1.0f - uv.y) * atlas.height - 0.5f, 0.0f, atlas.height - 1.001f);
	const int ix = static_cast<int>(x), iy = static_cast<int>(y);
	const float fx = x - ix, fy = y - iy;
	Color c{0.0f, 0.0f, 0.0f, 1.0f};
	for (int k = 0; k < 4; ++k)
	{
		const int dx = k & 1, dy = k >> 1;
		const float w = (dx ? fx : 1.0f - fx) * (dy ? fy : 1.0f - fy);
		const uint8_t* p =
		    atlas.Pixel(std::min(ix + dx, atlas.width - 1), std::min(iy + dy, atlas.height - 1));
		c.r += w * p[0] / 255.0f, c.g += w * p[1] / 255.0f, c.b += w * p[2] / 255.0f;
	}
	return c;
}

Color Shade(const PreviewScene& scene, const RayCaster& caster, const Lightmap& lightmap,
            const TextureSet& textures, const RoomLayout& layout, Vec3 origin, Vec3 direction)
{
	for (int layer = 0; layer < 8; ++layer)
	{
		const RayCaster::Hit hit = caster.Nearest(origin, direction, 3000.0f);
		if (hit.triangle < 0)
		{
			return Color{0.45f, 0.5f, 0.6f, 1.0f}; // fog
		}
		const Surface& surface = scene.surfaces[hit.triangle];
		const float w[3] = {1.0f - hit.u - hit.v, hit.u, hit.v};
		float u = 0.0f, v = 0.0f;
		Vec2 lm{};
		Vec3 normal;
		for (int k = 0; k < 3; ++k)
		{
			u += w[k] * surface.triangle.corners[k].u;
			v += w[k] * surface.triangle.corners[k].v;
			lm = {lm.x + w[k] * surface.lightmapUv[k].x, lm.y + w[k] * surface.lightmapUv[k].y};
			normal = normal + surface.triangle.corners[k].normal * w[k];
		}
		const Color base = textures.Sample(*surface.texture, u, v);
		if (base.a < 0.5f)
		{
			origin = origin + direction * (hit.distance + 0.01f);
			continue;
		}
		Color light;
		if (surface.lightmapped)
		{
			light = SampleLightmap(lightmap.atlas, lm);
		}
		else
		{
			const Vec3 toFire = Normalize(layout.firePosition + Vec3{60.0f, 0.0f, 50.0f} - origin);
			const float diffuse = std::fabs(Dot(Normalize(normal), toFire));
			light = Color{0.32f + 0.6f * diffuse, 0.32f + 0.4f * diffuse, 0.32f + 0.24f * diffuse, 1.0f};
		}
		Color result{base.r * light.r, base.g * light.g, base.b * light.b, 1.0f};
		if (surface.glow)
		{
			const Color glow = textures.Sample(*surface.glow, u, v);
			result = {result.r + glow.r, result.g + glow.g, result.b + glow.b, 1.0f};
		}
		return result;
	}
	return Color{0.0f, 0.0f, 0.0f, 1.0f};
}

Image RenderKey(const PreviewScene& scene, const RayCaster& caster, const Lightmap& lightmap,
                const TextureSet& textures, const RoomLayout& layout, const BssCamera& camera, int key)
{
	const Float3 p = camera.positions[key];
	const Float4 stored = camera.rotations[key];
	const Quat q{-stored.x, -stored.y, -stored.z, stored.w};
	const Vec3 position{p.x, p.y, p.z};
	const Vec3 forward = Rotate(q, {0.0f, 0.0f, -1.0f});
	const Vec3 up = Rotate(q, {0.0f, 1.0f, 0.0f});
	const Vec3 right = Cross(forward, up);
	// The engine's projection: vertical angle = stored radians × 28.648735 degrees, aspect 1.33.
	const float halfHeight = std::tan(camera.fovs[key] * 28.648735f * kPi / 360.0f);
	const float halfWidth = halfHeight * 1.33f;
	Image image(kWidth, kHeight);
	for (int y = 0; y < kHeight; ++y)
	{
		for (int x = 0; x < kWidth; ++x)
		{
			const float sx = ((x + 0.5f) / kWidth * 2.0f - 1.0f) * halfWidth;
			const float sy = (1.0f - (y + 0.5f) / kHeight * 2.0f) * halfHeight;
			const Vec3 direction = Normalize(forward + right * sx + up * sy);
			const Color c = Shade(scene, caster, lightmap, textures, layout, position, direction);
			uint8_t* pixel = image.Pixel(x, y);
			pixel[0] = static_cast<uint8_t>(std::clamp(c.r, 0.0f, 1.0f) * 255.0f);
			pixel[1] = static_cast<uint8_t>(std::clamp(c.g, 0.0f, 1.0f) * 255.0f);
			pixel[2] = static_cast<uint8_t>(std::clamp(c.b, 0.0f, 1.0f) * 255.0f);
			pixel[3] = 255;
		}
	}
	return image;
}
} // namespace

void RenderPreviews(const RoomLayout& layout, const std::vector<ModelDraft>& models, const Lightmap& lightmap,
                    const TextureSet& textures, const std::vector<BssCamera>& cameras,
                    const std::filesystem::path& folder)
{
	const PreviewScene scene = Collect(layout, models, lightmap);
	const RayCaster caster(scene.triangles);
	Image sheet(kWidth * 3, kHeight * static_cast<int>(cameras.size()));
	for (size_t c = 0; c < cameras.size(); ++c)
	{
		for (int column = 0; column < 3; ++column)
		{
			const Image frame =
			    RenderKey(scene, caster, lightmap, textures, layout, cameras[c], kKeys[column]);
			WritePng(folder /
			             ("flight" + std::to_string(c + 1) + "_key" + std::to_string(kKeys[column]) + ".png"),
			         frame);
			for (int y = 0; y < kHeight; ++y)
			{
				std::copy_n(frame.Pixel(0, y), kWidth * 4,
				            sheet.Pixel(column * kWidth, static_cast<int>(c) * kHeight + y));
			}
		}
	}
	WritePng(folder / "preview-sheet.png", sheet);
}
