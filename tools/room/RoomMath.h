#pragma once

#include <cmath>

// The small vector and rotation arithmetic of the room builder. Scene units are centimetres,
// z points up.

struct Vec3
{
	float x = 0.0f;
	float y = 0.0f;
	float z = 0.0f;
};

inline Vec3 operator+(Vec3 a, Vec3 b)
{
	return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
	return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(Vec3 a)
{
	return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(Vec3 a, float s)
{
	return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator*(float s, Vec3 a)
{
	return a * s;
}
inline Vec3 Mul(Vec3 a, Vec3 b)
{
	return {a.x * b.x, a.y * b.y, a.z * b.z};
}
inline float Dot(Vec3 a, Vec3 b)
{
	return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b)
{
	return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vec3 a)
{
	return std::sqrt(Dot(a, a));
}
inline Vec3 Normalize(Vec3 a)
{
	const float length = Length(a);
	return length > 1e-12f ? a * (1.0f / length) : Vec3{0.0f, 0.0f, 1.0f};
}
inline Vec3 Lerp(Vec3 a, Vec3 b, float t)
{
	return a + (b - a) * t;
}
inline float Component(Vec3 v, int axis)
{
	return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}
inline Vec3 Min(Vec3 a, Vec3 b)
{
	return {std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z)};
}
inline Vec3 Max(Vec3 a, Vec3 b)
{
	return {std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z)};
}

inline constexpr float kPi = 3.14159265f;

// An axis-aligned box.
struct Bounds
{
	Vec3 min{1e30f, 1e30f, 1e30f};
	Vec3 max{-1e30f, -1e30f, -1e30f};

	void Add(Vec3 p)
	{
		min = Min(min, p);
		max = Max(max, p);
	}
	bool Contains(Vec3 p) const
	{
		return p.x > min.x && p.x < max.x && p.y > min.y && p.y < max.y && p.z > min.z && p.z < max.z;
	}
};

// A rotation quaternion x, y, z, w.
struct Quat
{
	float x = 0.0f;
	float y = 0.0f;
	float z = 0.0f;
	float w = 1.0f;
};

// The rotation whose matrix has the given orthonormal columns.
Quat QuatFromAxes(Vec3 xAxis, Vec3 yAxis, Vec3 zAxis);
Vec3 Rotate(const Quat& q, Vec3 v);

// A frame that places locally built geometry: origin plus the images of the three unit axes.
struct Frame
{
	Vec3 origin;
	Vec3 xAxis{1.0f, 0.0f, 0.0f};
	Vec3 yAxis{0.0f, 1.0f, 0.0f};
	Vec3 zAxis{0.0f, 0.0f, 1.0f};

	Vec3 Point(Vec3 p) const { return origin + xAxis * p.x + yAxis * p.y + zAxis * p.z; }
	Vec3 Direction(Vec3 d) const { return xAxis * d.x + yAxis * d.y + zAxis * d.z; }

	static Frame At(Vec3 origin) { return Frame{origin}; }
	// Turned about z by `radians`, then moved to `origin`.
	static Frame TurnedZ(Vec3 origin, float radians);
	// Local z along `axis`, local x perpendicular to it.
	static Frame Along(Vec3 origin, Vec3 axis);
};
