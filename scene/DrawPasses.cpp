#include "scene/DrawPasses.h"

#include "scene/MaterialLayers.h"
#include "scene/Scene.h"
#include "scene/SharedVertexArray.h"

#include <GL/glew.h>

#include <algorithm>

namespace
{
// Fixed-function OpenGL guarantees eight lights; an object assigned more keeps the first eight.
int ApplyLights(const SceneObject& object)
{
	GLint maxLights = 8;
	glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
	const int count = std::min(static_cast<int>(object.lights.size()), static_cast<int>(maxLights));
	const float specular[4] = {0.21f, 0.21f, 0.21f, 1.0f};
	for (int i = 0; i < count; ++i)
	{
		const SceneLight& light = *object.lights[static_cast<size_t>(i)];
		const GLenum number = GL_LIGHT0 + static_cast<GLenum>(i);
		glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
		glLightfv(number, GL_AMBIENT, light.ambient);
		glLightfv(number, GL_DIFFUSE, light.diffuse);
		glLightfv(number, GL_SPECULAR, light.specular);
		glLightfv(number, GL_POSITION, light.position);
		glLightf(number, GL_SPOT_EXPONENT, 30.0f);
		glLightf(number, GL_LINEAR_ATTENUATION, light.range * 0.000002f);
		glEnable(number);
	}
	glEnable(GL_LIGHTING);
	return count;
}

void ReleaseLights(int count)
{
	for (int i = 0; i < count; ++i)
	{
		glDisable(GL_LIGHT0 + static_cast<GLenum>(i));
	}
	glEnable(GL_LIGHTING);
}
} // namespace

void Scene::DrawList(const std::vector<SceneObject*>& list, float alphaReference, float frameTime,
                     const LocalTime& time)
{
	BindSharedVertices(*this);
	glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
	glEnable(GL_BLEND);
	glDepthMask(GL_TRUE);
	glEnable(GL_ALPHA_TEST);
	glAlphaFunc(GL_GREATER, alphaReference);
	glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
	if (Camera* camera = CurrentCamera())
	{
		camera->Apply();
	}
	for (SceneObject* object : list)
	{
		int lightsOn = 0;
		if (object->hasLightmap)
		{
			glDisable(GL_LIGHTING);
		}
		else
		{
			lightsOn = ApplyLights(*object);
		}
		++drawnObjects;
		if (object->isInstance)
		{
			DrawPlacedModel(*object, frameTime, time);
		}
		else if (object->isAnimated)
		{
			object->animated->Update(frameTime);
			object->animated->Draw();
		}
		else
		{
			for (const SceneSubmesh& submesh : object->submeshes)
			{
				DrawSubmesh(submesh, false);
			}
		}
		if (!object->hasLightmap)
		{
			ReleaseLights(lightsOn);
		}
	}
	UnbindSharedVertices();
}
