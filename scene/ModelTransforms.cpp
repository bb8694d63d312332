// Where a placed model's meshes stand: each mesh's turn about its pivot, down the mesh tree, and
// the anchors it carries; and the tree drawn with those transforms.
#include "scene/DrawPasses.h"
#include "scene/MaterialLayers.h"
#include "scene/Model.h"

#include <GL/glew.h>

#include <cmath>

namespace
{
// Model angles turn into rotations with the content's pi.
constexpr float kHalfDegreeToRadian = static_cast<float>(kContentPi / 360.0);

Mat4 RotationMatrix(const Quat& q)
{
	Mat4 m = kMat4Identity;
	QuatToMatrix(q, m);
	return m;
}

Quat AxisHalfTurn(float degrees, int axis)
{
	const float half = degrees * kHalfDegreeToRadian;
	Quat q{0.0f, 0.0f, 0.0f, std::cos(half)};
	(axis == 0 ? q.x : (axis == 1 ? q.y : q.z)) = std::sin(half);
	return q;
}
} // namespace

void StaticModel::UpdateNode(int index, const Quat& parentRotation, const Vec3& parentPivot,
                             const Vec3& parentWorld)
{
	ModelMesh& mesh = meshes[static_cast<size_t>(index)];
	const Quat qx = AxisHalfTurn(mesh.angles[0], 0);
	const Quat qy = AxisHalfTurn(mesh.angles[1], 1);
	const Quat qz = AxisHalfTurn(mesh.angles[2], 2);
	mesh.localRotation = QuatMultiply(QuatMultiply(qy, qz), qx);
	mesh.worldRotation = QuatMultiply(parentRotation, mesh.localRotation);
	// The matrix conversion is laid out for OpenGL's column reading, which turns by the
	// conjugate: the local matrix built from the conjugate therefore turns by localRotation.
	mesh.localMatrix = RotationMatrix(mesh.localRotation.Conjugate());
	mesh.inverseMatrix = RotationMatrix(mesh.localRotation);
	const Vec3 offset =
	    RotateVector(parentRotation, {mesh.pivot.x - parentPivot.x, mesh.pivot.y - parentPivot.y,
	                                  mesh.pivot.z - parentPivot.z});
	mesh.worldPosition = {parentWorld.x + offset.x, parentWorld.y + offset.y, parentWorld.z + offset.z};
	for (const int32_t child : mesh.children)
	{
		UpdateNode(child, mesh.worldRotation, mesh.pivot, mesh.worldPosition);
	}
}

void StaticModel::RefreshAnchors(int index, float frameTime)
{
	ModelMesh& mesh = meshes[static_cast<size_t>(index)];
	const Quat turn = orientation.Conjugate();
	for (ModelAnchor& anchor : mesh.anchors)
	{
		// The train's steam point is placed by the train animation.
		if (anchor.name == "emit locosteam")
		{
			continue;
		}
		const Vec3 local = RotateVector(turn, anchor.localPosition);
		anchor.worldPosition = {position.x + mesh.worldPosition.x + local.x,
		                        position.y + mesh.worldPosition.y + local.y,
		                        position.z + mesh.worldPosition.z + local.z};
	}
	for (const int chosen : AnchorsToEmit(mesh.anchors, emitCursor, frameTime))
	{
		EmitAnchor(mesh.anchors[static_cast<size_t>(chosen)]);
	}
	for (const int32_t child : mesh.children)
	{
		RefreshAnchors(child, frameTime);
	}
}

void StaticModel::Update(float frameTime)
{
	const int hull = FindHull();
	if (hull < 0)
	{
		return;
	}
	UpdateNode(hull, kQuatIdentity, kVec3Zero, kVec3Zero);
	RefreshAnchors(hull, frameTime);
	for (ModelMesh& mesh : meshes)
	{
		mesh.scrollOffset[0] += frameTime * 0.03f * mesh.material.scrollU;
		mesh.scrollOffset[1] += frameTime * 0.03f * mesh.material.scrollV;
	}
}

void StaticModel::DrawNode(int index, const Vec3& parentPivot) const
{
	const ModelMesh& mesh = meshes[static_cast<size_t>(index)];
	glTranslatef(mesh.pivot.x - parentPivot.x, mesh.pivot.y - parentPivot.y, mesh.pivot.z - parentPivot.z);
	glMultMatrixf(mesh.localMatrix.m);
	DrawMesh(mesh);
	for (const int32_t child : mesh.children)
	{
		DrawNode(child, mesh.pivot);
	}
	glMultMatrixf(mesh.inverseMatrix.m);
	glTranslatef(parentPivot.x - mesh.pivot.x, parentPivot.y - mesh.pivot.y, parentPivot.z - mesh.pivot.z);
}

void StaticModel::Draw() const
{
	const int hull = FindHull();
	if (hull < 0)
	{
		return;
	}
	glTranslatef(position.x, position.y, position.z);
	glMultMatrixf(RotationMatrix(orientation).m);
	DrawNode(hull, meshes[static_cast<size_t>(hull)].pivot);
	glMultMatrixf(RotationMatrix(orientation.Conjugate()).m);
	glTranslatef(-position.x, -position.y, -position.z);
}
