#include "scene/Camera.h"

#include "scene/BssFile.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <SDL.h>

#include <algorithm>

float g_cameraPathT = 0.0f;

namespace
{
// Radians to degrees with pi taken as 3.1415, halved: the stored fields of view are twice the
// angle the projection wants.
constexpr float kFovToDegrees = 28.648735f;
constexpr float kPathRate = 0.075f;
// The window's shape does not matter: the view is always drawn for a 4:3 screen.
constexpr double kAspect = 1.33;
} // namespace

void Camera::Load(const BssCamera& record)
{
	keyPositions.clear();
	keyRotations.clear();
	keyFovs.clear();
	for (const Float3& p : record.positions)
	{
		keyPositions.push_back({p.x, p.y, p.z});
	}
	for (const Float4& r : record.rotations)
	{
		keyRotations.push_back(Quat{r.x, r.y, r.z, r.w}.Conjugate());
	}
	keyFovs = record.fovs;
	// A damaged file may give fewer rotations or fields of view than positions; the flight is
	// as long as its shortest array, so every key has all three.
	const size_t keys = std::min({keyPositions.size(), keyRotations.size(), keyFovs.size()});
	keyPositions.resize(keys);
	keyRotations.resize(keys);
	keyFovs.resize(keys);
	keyIndex = 0;
	if (keys > 0)
	{
		Init(keyPositions[0]);
		orientation = keyRotations[0];
	}
}

void Camera::Init(const Vec3& startAt)
{
	position = startPosition = startAt;
	up = kAxisY;
	direction = kAxisX;
	fovDegrees = 45.0f;
	orientation = startOrientation = kQuatIdentity;
	finished = false;
	keyIndex = 0;
	if (SDL_GL_GetCurrentContext() != nullptr)
	{
		Apply();
	}
	followsPath = true;
}

void Camera::ReturnToFirstKey()
{
	keyIndex = 0;
	position = keyPositions[0];
	orientation = keyRotations[0];
	fovDegrees = keyFovs[0] * kFovToDegrees;
}

void Camera::Restart()
{
	// A flight without keys was never initialised and has nowhere to return to.
	if (!keyPositions.empty())
	{
		ReturnToFirstKey();
	}
}

void Camera::Update(float dt)
{
	const int32_t n = KeyCount();
	if (n == 0)
	{
		// Nothing to play: the flight ends at once so the scene picks another.
		finished = true;
		return;
	}
	PoseBetweenKeys(keyIndex, g_cameraPathT);
	g_cameraPathT += dt * kPathRate;
	bool segmentBegins = g_cameraPathT == 0.0f;
	if (g_cameraPathT > 1.0f)
	{
		g_cameraPathT = 0.0f;
		++keyIndex;
		segmentBegins = true;
	}
	// The last played segment begins: the frame composer freezes a frame to cover the cut.
	lastSegmentBegan = segmentBegins && keyIndex == n - 3;
	if (keyIndex >= n - 2)
	{
		g_cameraPathT = 0.0f;
		ReturnToFirstKey();
		finished = true;
	}
	UpdateViewVectors();
}

void Camera::PoseBetweenKeys(int32_t key, float t)
{
	const int32_t last = KeyCount() - 1;
	const auto here = static_cast<size_t>(std::clamp(key, 0, last));
	const auto next = static_cast<size_t>(std::clamp(key + 1, 0, last));
	const Vec3& a = keyPositions[here];
	const Vec3& b = keyPositions[next];
	position = {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)};
	orientation = Slerp(keyRotations[here], keyRotations[next], t);
	fovDegrees = ((1.0f - t) * keyFovs[here] + t * keyFovs[next]) * kFovToDegrees;
}

void Camera::ShowKey(int32_t key)
{
	if (keyPositions.empty())
	{
		return;
	}
	PoseBetweenKeys(key, 0.0f);
	UpdateViewVectors();
}

void Camera::UpdateViewVectors()
{
	direction = RotateVector(orientation, kAxisNegZ);
	up = RotateVector(orientation, kAxisY);
}

void Camera::Apply() const
{
	glMatrixMode(GL_PROJECTION);
	glLoadIdentity();
	gluPerspective(fovDegrees, kAspect, 1.0, 3000.0);
	glMatrixMode(GL_MODELVIEW);
	glLoadIdentity();
	gluLookAt(position.x, position.y, position.z, position.x + direction.x, position.y + direction.y,
	          position.z + direction.z, up.x, up.y, up.z);
	glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
	g_frustum.Extract();
}

void Camera::ShowView(const CameraView& view)
{
	position = view.position;
	direction = view.direction;
	up = view.up;
	fovDegrees = view.fovDegrees;
}

void Camera::MoveLocal(const Vec3& offset, float dt)
{
	const Vec3 moved = RotateVector(orientation, offset);
	position = {position.x + dt * moved.x, position.y + dt * moved.y, position.z + dt * moved.z};
}
