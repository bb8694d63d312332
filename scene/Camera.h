#pragma once

#include "render/Math.h"

#include <cstdint>
#include <vector>

struct BssCamera;

// A view by eye, look and up vectors and the vertical field of view.
struct CameraView
{
	Vec3 position;
	Vec3 direction;
	Vec3 up;
	float fovDegrees = 45.0f;
};

// One recorded camera flight and the view it gives: keys of position, rotation and field of
// view, blended linearly along the segment being played.
class Camera
{
public:
	// Takes one flight of the scene file. Rotations are stored conjugated; a flight with keys
	// starts at its first key.
	void Load(const BssCamera& record);
	void Init(const Vec3& startAt);
	void Restart();
	// One path step, then the view vectors.
	void Update(float dt);
	// The view from a key of the flight, leaving the flight's progress alone.
	void ShowKey(int32_t key);
	// Projection and view into OpenGL, then the view frustum.
	void Apply() const;
	// The view is `view` instead of the flight's, until the next step.
	void ShowView(const CameraView& view);
	// The arrow keys: an offset in the camera's own frame, scaled by the frame step.
	void MoveLocal(const Vec3& offset, float dt);

	int32_t KeyCount() const { return static_cast<int32_t>(keyPositions.size()); }

	Vec3 position;
	Vec3 up{0.0f, 1.0f, 0.0f};
	Vec3 direction{1.0f, 0.0f, 0.0f};
	Vec3 startPosition;
	Quat orientation;
	Quat startOrientation;
	float fovDegrees = 45.0f;
	std::vector<Vec3> keyPositions;
	std::vector<Quat> keyRotations;
	std::vector<float> keyFovs; // radians
	int32_t keyIndex = 0;
	bool followsPath = false;
	bool finished = false;
	// Set by the step that began the flight's last played segment, cleared by the next step.
	bool lastSegmentBegan = false;

private:
	void ReturnToFirstKey();
	void PoseBetweenKeys(int32_t key, float t);
	void UpdateViewVectors();
};

// The blend parameter of the segment being played, shared by every flight; only the current
// camera moves it.
extern float g_cameraPathT;
