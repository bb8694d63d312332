#include "render/Math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
void ExpectQuatNear(const Quat& actual, const Quat& expected, float tolerance = 1e-5f)
{
	EXPECT_NEAR(actual.x, expected.x, tolerance);
	EXPECT_NEAR(actual.y, expected.y, tolerance);
	EXPECT_NEAR(actual.z, expected.z, tolerance);
	EXPECT_NEAR(actual.w, expected.w, tolerance);
}

Quat AxisAngle(Vec3 axis, float radians)
{
	const float s = std::sin(radians * 0.5f);
	return {axis.x * s, axis.y * s, axis.z * s, std::cos(radians * 0.5f)};
}

// Row-major, column vectors: p' = M * p.
Vec3 Transform(const Mat4& m, const Vec3& p)
{
	return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
	        m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
}

Mat4 Translation(float x, float y, float z)
{
	Mat4 m = kMat4Identity;
	m[3] = x;
	m[7] = y;
	m[11] = z;
	return m;
}

TEST(Math, NormalizeCutsTinyVectorsToZero)
{
	Vec3 tiny{0.0f, 0.0f, 0.00001f};
	EXPECT_EQ(tiny.Normalize(), 0.0f);
	EXPECT_EQ(tiny.z, 0.0f);

	Vec3 small{0.0f, 0.0f, 0.0001f};
	EXPECT_NEAR(small.Normalize(), 10000.0f, 0.5f);
	EXPECT_NEAR(small.z, 1.0f, 1e-6f);

	Quat zero{0.0f, 0.0f, 0.0f, 0.0f};
	zero.Normalize();
	ExpectQuatNear(zero, {0.0f, 0.0f, 0.0f, 0.0f}, 0.0f);
}

TEST(Math, VectorProducts)
{
	const Vec3 c = Cross(kAxisX, kAxisY);
	EXPECT_EQ(c.z, 1.0f);
	EXPECT_EQ(Dot({1, 2, 3}, {4, -5, 6}), 12.0f);
	EXPECT_FLOAT_EQ(Distance({1, 1, 1}, {4, 5, 1}), 5.0f);
}

TEST(Math, QuaternionProductComposesRotations)
{
	const Quat quarterZ = AxisAngle(kAxisZ, 1.5707963f);
	const Quat half = QuatMultiply(quarterZ, quarterZ);
	ExpectQuatNear(half, AxisAngle(kAxisZ, 3.1415927f));
	ExpectQuatNear(QuatMultiply(quarterZ, quarterZ.Conjugate()), kQuatIdentity);
	// Hamilton's i * j = k.
	ExpectQuatNear(QuatMultiply({1, 0, 0, 0}, {0, 1, 0, 0}), {0, 0, 1, 0});
}

TEST(Math, QuaternionMatrixRoundTrip)
{
	// A quarter turn about z maps x onto y.
	Mat4 m = Translation(7, 8, 9);
	QuatToMatrix(AxisAngle(kAxisZ, 1.5707963f), m);
	const Vec3 p = Transform(m, kAxisX);
	EXPECT_NEAR(p.x, 7.0f, 1e-5f);
	EXPECT_NEAR(p.y, 9.0f, 1e-5f);
	EXPECT_EQ(m[3], 7.0f) << "the translation column is left alone";
	EXPECT_EQ(m[15], 1.0f);

	// Every branch of the conversion: positive trace, and each largest diagonal element.
	for (const Quat& q : {AxisAngle(Normalized({1, 2, 3}), 0.7f), AxisAngle(kAxisX, 3.0f),
	                      AxisAngle(kAxisY, 3.0f), AxisAngle(kAxisZ, 3.0f)})
	{
		Mat4 r = kMat4Identity;
		QuatToMatrix(q, r);
		ExpectQuatNear(MatrixToQuat(r), q);
	}
	// w < 0: the same rotation comes back as -q.
	Quat negative = AxisAngle(kAxisX, 3.0f);
	negative = {-negative.x, -negative.y, -negative.z, -negative.w};
	Mat4 r = kMat4Identity;
	QuatToMatrix(negative, r);
	ExpectQuatNear(MatrixToQuat(r), {-negative.x, -negative.y, -negative.z, -negative.w});
}

TEST(Math, MatrixToQuatTieBreakPicksLowerIndex)
{
	// A half turn about the diagonal of x and y: M(0,0) = M(1,1) = 0, M(2,2) = -1, trace -1.
	Mat4 m = kMat4Identity;
	m[0] = 0.0f;
	m[1] = 1.0f;
	m[4] = 1.0f;
	m[5] = 0.0f;
	m[10] = -1.0f;
	const Quat q = MatrixToQuat(m);
	// Index 0 picked: x = s / 2 with s = sqrt(0 - (0 - 1) + 1).
	EXPECT_FLOAT_EQ(q.x, std::sqrt(2.0f) * 0.5f);
	EXPECT_FLOAT_EQ(q.y, std::sqrt(2.0f) * 0.5f);
	EXPECT_EQ(q.z, 0.0f);
	EXPECT_EQ(q.w, 0.0f);
}

TEST(Math, ConcatAppliesFirstThenSecond)
{
	Mat4 rotation = kMat4Identity;
	QuatToMatrix(AxisAngle(kAxisZ, 1.5707963f), rotation);
	const Mat4 move = Translation(1, 2, 3);
	const Mat4 both = Mat4::Concat(rotation, move);
	const Vec3 p = Transform(both, kAxisX);
	EXPECT_NEAR(p.x, 1.0f, 1e-5f);
	EXPECT_NEAR(p.y, 3.0f, 1e-5f);
	EXPECT_NEAR(p.z, 3.0f, 1e-5f);

	const Vec3 origin = Transform(move, kVec3Zero);
	EXPECT_EQ(origin.x, 1.0f);
	EXPECT_EQ(origin.y, 2.0f);
	EXPECT_EQ(origin.z, 3.0f);
	for (int i = 0; i < 16; ++i)
	{
		EXPECT_EQ(Mat4::Concat(kMat4Identity, both)[i], both[i]);
		EXPECT_EQ(Mat4::Concat(both, kMat4Identity)[i], both[i]);
	}
}

TEST(Math, InverseUndoesTransformAndTransposeSwapsPairs)
{
	Mat4 m = Translation(4, -5, 6);
	QuatToMatrix(AxisAngle(Normalized({1, -2, 0.5f}), 1.1f), m);
	m[0] *= 2.0f; // a non-uniform scale as well
	const Mat4 product = Mat4::Concat(m, m.Inverse());
	for (int i = 0; i < 16; ++i)
	{
		EXPECT_NEAR(product[i], kMat4Identity[i], 1e-5f) << i;
	}

	Mat4 t;
	for (int i = 0; i < 16; ++i)
	{
		t[i] = static_cast<float>(i);
	}
	t.Transpose();
	for (int r = 0; r < 4; ++r)
	{
		for (int c = 0; c < 4; ++c)
		{
			EXPECT_EQ(t[4 * r + c], static_cast<float>(4 * c + r));
		}
	}
}

TEST(Math, SlerpTakesTheShortArc)
{
	const Quat a = AxisAngle(kAxisZ, 0.2f);
	const Quat b = AxisAngle(kAxisZ, 1.0f);
	ExpectQuatNear(Slerp(a, b, 0.0f), a);
	ExpectQuatNear(Slerp(a, b, 1.0f), b);
	ExpectQuatNear(Slerp(a, b, 0.5f), AxisAngle(kAxisZ, 0.6f));
	// -b is the same rotation as b; the way there must not go round the long side.
	const Quat negB{-b.x, -b.y, -b.z, -b.w};
	ExpectQuatNear(Slerp(a, negB, 0.5f), AxisAngle(kAxisZ, 0.6f));
	// Almost equal rotations do not divide by a vanishing sine.
	const Quat c = AxisAngle(kAxisZ, 0.2001f);
	const Quat mid = Slerp(a, c, 0.5f);
	EXPECT_FALSE(std::isnan(mid.w));
	ExpectQuatNear(mid, AxisAngle(kAxisZ, 0.20005f));
}

// A view looking down -z with a symmetric frustum: the OpenGL matrices of
// gluPerspective(90, 1, 1, 100) and an identity modelview, column-major.
Frustum NinetyDegreeView()
{
	const float n = 1.0f;
	const float f = 100.0f;
	const float projection[16] = {
	    1, 0, 0, 0, 0, 1, 0, 0, 0, 0, (f + n) / (n - f), -1, 0, 0, 2 * f * n / (n - f), 0};
	const float modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
	Frustum frustum;
	frustum.ExtractFrom(projection, modelview);
	return frustum;
}

TEST(Math, FrustumPlanesAreUnitAndPointInside)
{
	const Frustum frustum = NinetyDegreeView();
	for (int plane = 0; plane < Frustum::kPlaneCount; ++plane)
	{
		const float* p = frustum.PlaneAt(plane);
		EXPECT_NEAR(p[0] * p[0] + p[1] * p[1] + p[2] * p[2], 1.0f, 1e-5f);
	}
	// The right plane faces left (-x), the near plane faces away from the eye (-z).
	EXPECT_LT(frustum.PlaneAt(Frustum::kRight)[0], 0.0f);
	EXPECT_GT(frustum.PlaneAt(Frustum::kLeft)[0], 0.0f);
	EXPECT_GT(frustum.PlaneAt(Frustum::kBottom)[1], 0.0f);
	EXPECT_LT(frustum.PlaneAt(Frustum::kTop)[1], 0.0f);
	EXPECT_GT(frustum.PlaneAt(Frustum::kFar)[2], 0.0f);
	EXPECT_LT(frustum.PlaneAt(Frustum::kNear)[2], 0.0f);
	EXPECT_NEAR(frustum.PlaneAt(Frustum::kNear)[3], -1.0f, 1e-5f);
}

// Identity matrices: the view is the cube from -1 to 1, with exact plane numbers.
Frustum UnitCubeView()
{
	Frustum frustum;
	frustum.ExtractFrom(kMat4Identity.m, kMat4Identity.m);
	return frustum;
}

TEST(Math, SphereTestRejectsAtExactlyMinusRadius)
{
	const Frustum frustum = UnitCubeView();
	EXPECT_TRUE(frustum.SphereVisible(0, 0, 0, 0.5f));
	// The near plane is z = -1: a sphere centred at z = -3 lies at distance -2 from it.
	EXPECT_FALSE(frustum.SphereVisible(0, 0, -3, 2.0f));
	EXPECT_TRUE(frustum.SphereVisible(0, 0, -3, 2.001f));
	EXPECT_FALSE(NinetyDegreeView().SphereVisible(0, 0, -200, 50));
	EXPECT_TRUE(NinetyDegreeView().SphereVisible(0, 0, -50, 1));
}

TEST(Math, CubeTestNeedsACornerStrictlyInside)
{
	const Frustum frustum = UnitCubeView();
	EXPECT_TRUE(frustum.CubeVisible(0, 0, 0, 0.5f));
	// Nearest corners exactly on the near plane z = -1: rejected.
	EXPECT_FALSE(frustum.CubeVisible(0, 0, -2, 1.0f));
	EXPECT_TRUE(frustum.CubeVisible(0, 0, -2, 1.01f));
	const Frustum perspective = NinetyDegreeView();
	EXPECT_TRUE(perspective.CubeVisible(0, 0, -50, 1));
	// Outside near an edge of the view, beyond both the right and the far plane, yet no
	// single plane has every corner behind it: reported visible.
	// (x from 101 to 109, z from -107 to -99: no point has both z >= -100 and x <= -z.)
	EXPECT_TRUE(perspective.CubeVisible(105, 0, -103, 4.0f));
	EXPECT_FALSE(perspective.CubeVisible(120, 0, -103, 4.0f));
}

TEST(Math, ZeroFrustumSeesEverySphereAndNoCube)
{
	const Frustum unset;
	EXPECT_TRUE(unset.SphereVisible(1000, -1000, 5, 0.001f));
	EXPECT_FALSE(unset.CubeVisible(0, 0, 0, 10));
}
} // namespace
