// The order of the room's camera flights: a shuffle bag that shows every flight once per cycle.
#include "core/Platform.h"
#include "scene/Scene.h"

#include <cstddef>
#include <cstdlib>

void Scene::RefillCameraBag()
{
	cameraBag.clear();
	for (int32_t i = 0; i < static_cast<int32_t>(cameras.size()); ++i)
	{
		cameraBag.push_back(i);
	}
	std::srand(fixedCameraSeed ? *fixedCameraSeed : Sys_Milliseconds());
}

// The bag's last entry is taken only when it is the only one left.
void Scene::PickCamera()
{
	const size_t m = cameraBag.size();
	if (m == 0)
	{
		currentCamera = 0;
		return;
	}
	const size_t position = m == 1 ? 0 : static_cast<size_t>(std::rand()) % (m - 1);
	currentCamera = cameraBag[position];
	cameraBag.erase(cameraBag.begin() + static_cast<std::ptrdiff_t>(position));
	if (currentCamera < 0 || currentCamera >= static_cast<int32_t>(cameras.size()))
	{
		currentCamera = 0;
	}
	if (cameraBag.empty())
	{
		RefillCameraBag();
	}
}

void Scene::PickFirstCamera()
{
	RefillCameraBag();
	PickCamera();
}

void Scene::SwitchCameraIfFinished(float dt)
{
	Camera* camera = CurrentCamera();
	if (camera == nullptr || !camera->finished)
	{
		return;
	}
	camera->finished = false;
	PickCamera();
	Camera& next = cameras[static_cast<size_t>(currentCamera)];
	next.finished = false;
	next.Restart();
	next.Update(dt);
}

Camera* Scene::CurrentCamera()
{
	return cameras.empty() ? nullptr : &cameras[static_cast<size_t>(currentCamera)];
}
