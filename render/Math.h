#pragma once

// Single-precision math shared by everything that places, animates or culls geometry.
//
// Mat4 is row-major with column vectors: element (row r, column c) sits at index 4 * r + c,
// points transform as p' = M * p, and an affine transform keeps its translation in elements
// 3, 7 and 11. OpenGL reads the sixteen numbers column by column, so a Mat4 handed to
// glMultMatrixf as it is acts as its transpose: for the pure rotations the draw passes hand it,
// the inverse rotation, which is why they build each from the conjugate of the turn they want.

// Pi, and pi as the room's content was authored with it: the model angles, the particles'
// directions and the train's turn were made with 3.14 and come out as they were made only with it.
inline constexpr float kPi = 3.14159265f;
inline constexpr double kContentPi = 3.14;

struct Vec2
{
	float x = 0.0f;
	float y = 0.0f;
};

struct Vec3
{
	float x = 0.0f;
	float y = 0.0f;
	float z = 0.0f;

	// Scales to unit length and returns the factor applied. Vectors of length 0.00001 or less
	// become the zero vector (factor 0) instead of blowing up.
	float Normalize();
};

inline Vec3 operator+(const Vec3& a, const Vec3& b)
{
	return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(const Vec3& a, const Vec3& b)
{
	return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(const Vec3& v, float s)
{
	return {v.x * s, v.y * s, v.z * s};
}

struct Vec4
{
	float x = 0.0f;
	float y = 0.0f;
	float z = 0.0f;
	float w = 0.0f;
};

// A rotation: vector part first, scalar last; (0, 0, 0, 1) is no rotation. Users keep their
// quaternions at unit length; nothing here renormalises behind their back.
struct Quat
{
	float x = 0.0f;
	float y = 0.0f;
	float z = 0.0f;
	float w = 1.0f;

	Quat Conjugate() const { return {-x, -y, -z, w}; }
	// A zero quaternion is left as it is.
	void Normalize();
};

struct Mat4
{
	float m[16] = {};

	float& operator[](int index) { return m[index]; }
	float operator[](int index) const { return m[index]; }

	// The transform that applies `first` and then `second` (the product second * first).
	static Mat4 Concat(const Mat4& first, const Mat4& second);
	void Transpose();
	// The general inverse by cofactors; callers only invert invertible transforms.
	Mat4 Inverse() const;
};

inline constexpr Vec2 kVec2Zero{0.0f, 0.0f};
inline constexpr Vec3 kVec3Zero{0.0f, 0.0f, 0.0f};
inline constexpr Vec3 kVec3One{1.0f, 1.0f, 1.0f};
inline constexpr Vec3 kAxisX{1.0f, 0.0f, 0.0f};
inline constexpr Vec3 kAxisY{0.0f, 1.0f, 0.0f};
inline constexpr Vec3 kAxisZ{0.0f, 0.0f, 1.0f};
inline constexpr Vec3 kAxisNegX{-1.0f, 0.0f, 0.0f};
inline constexpr Vec3 kAxisNegY{0.0f, -1.0f, 0.0f};
inline constexpr Vec3 kAxisNegZ{0.0f, 0.0f, -1.0f};
inline constexpr Vec4 kVec4Zero{0.0f, 0.0f, 0.0f, 0.0f};
inline constexpr Quat kQuatIdentity{0.0f, 0.0f, 0.0f, 1.0f};
inline constexpr Mat4 kMat4Identity{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
inline constexpr Mat4 kMat4Zero{};

Vec3 Cross(const Vec3& u, const Vec3& v);
float Dot(const Vec3& u, const Vec3& v);
float Distance(const Vec3& p, const Vec3& q);
// No guard against the zero vector: callers never pass it.
Vec3 Normalized(const Vec3& v);

// The Hamilton product a * b.
Quat QuatMultiply(const Quat& a, const Quat& b);
// The point v turned by the unit quaternion q: q * v * q* with v as a pure quaternion.
Vec3 RotateVector(const Quat& q, const Vec3& v);
// Writes the rotation into the upper-left 3x3 block; the other seven elements keep their values.
void QuatToMatrix(const Quat& q, Mat4& m);
Quat MatrixToQuat(const Mat4& m);
// Spherical interpolation from a (t = 0) to b (t = 1) along the shorter arc.
Quat Slerp(const Quat& a, const Quat& b, float t);

// The six planes of the current view, each (a, b, c, d) with a unit normal pointing into the
// visible volume, so a * x + b * y + c * z + d is a point's signed distance (positive inside).
// Until the first Extract every plane is zero.
class Frustum
{
public:
	enum Plane
	{
		kRight,
		kLeft,
		kBottom,
		kTop,
		kFar,
		kNear,
		kPlaneCount
	};

	// Rebuilds the planes from the live OpenGL projection and modelview matrices.
	void Extract();
	// The same from two column-major matrices as OpenGL hands them out.
	void ExtractFrom(const float projection[16], const float modelview[16]);

	bool SphereVisible(float x, float y, float z, float radius) const;
	// The cube reaches `size` from its centre along each axis.
	bool CubeVisible(float x, float y, float z, float size) const;

	const float* PlaneAt(int index) const { return planes[index]; }

private:
	float Distance(int plane, float x, float y, float z) const;

	float planes[kPlaneCount][4] = {};
};

extern Frustum g_frustum;
