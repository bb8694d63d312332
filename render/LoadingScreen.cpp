#include "render/LoadingScreen.h"

#include "render/Draw2D.h"
#include "render/TextureManager.h"
#include "resources/Resources.h"

#include <GL/glew.h>

namespace
{
struct LoadingPicture
{
	const char* name;
	int resource;
	// Which corner: -1 left or bottom, +1 right or top, 0 the whole screen.
	int cornerX;
	int cornerY;
};

// The background first, so that the corner pictures lie over it.
constexpr LoadingPicture kLoadingPictures[] = {
    {"Notification/loading.jpg", ResourceId::kLoadingPicture, 0, 0},
    {"Logo/4loader_ld.tga", ResourceId::kLoaderLeftDown, -1, -1},
    {"Logo/4loader_lu.tga", ResourceId::kLoaderLeftUp, -1, 1},
    {"Logo/4loader_rd.tga", ResourceId::kLoaderRightDown, 1, -1},
    {"Logo/4loader_ru.tga", ResourceId::kLoaderRightUp, 1, 1},
};

void DrawLoadingPicture(const LoadingPicture& picture, float width, float height)
{
	const uint32_t texture = g_textures.Get("", picture.name, picture.resource);
	if (picture.cornerX == 0)
	{
		// The background is stored top row first: a negative half-height shows it upright.
		DrawScreenQuad(0.0f, 0.0f, 1.0f, -1.0f, texture);
		return;
	}
	const float halfWidth = 256.0f / width;
	const float halfHeight = 128.0f / height;
	DrawScreenQuad(static_cast<float>(picture.cornerX) * (1.0f - halfWidth),
	               static_cast<float>(picture.cornerY) * (1.0f - halfHeight), halfWidth, halfHeight, texture);
}
} // namespace

void DrawLoadingScreen(int screenWidth, int screenHeight)
{
	glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
	glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
	Begin2D();
	const auto width = static_cast<float>(screenWidth);
	const auto height = static_cast<float>(screenHeight);
	for (const LoadingPicture& picture : kLoadingPictures)
	{
		DrawLoadingPicture(picture, width, height);
	}
	End2D();
}
