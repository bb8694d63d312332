#include "tools/room/RoomMath.h"

Quat QuatFromAxes(Vec3 xAxis, Vec3 yAxis, Vec3 zAxis)
{
	const float m00 = xAxis.x, m10 = xAxis.y, m20 = xAxis.z;
	const float m01 = yAxis.x, m11 = yAxis.y, m21 = yAxis.z;
	const float m02 = zAxis.x, m12 = zAxis.y, m22 = zAxis.z;
	const float trace = m00 + m11 + m22;
	Quat q;
	if (trace > 0.0f)
	{
		const float s = std::sqrt(trace + 1.0f) * 2.0f;
		q = {(m21 - m12) / s, (m02 - m20) / s, (m10 - m01) / s, 0.25f * s};
	}
	else if (m00 > m11 && m00 > m22)
	{
		const float s = std::sqrt(1.0f + m00 - m11 - m22) * 2.0f;
		q = {0.25f * s, (m01 + m10) / s, (m02 + m20) / s, (m21 - m12) / s};
	}
	else if (m11 > m22)
	{
		const float s = std::sqrt(1.0f + m11 - m00 - m22) * 2.0f;
		q = {(m01 + m10) / s, 0.25f * s, (m12 + m21) / s, (m02 - m20) / s};
	}
	else
	{
		const float s = std::sqrt(1.0f + m22 - m00 - m11) * 2.0f;
		q = {(m02 + m20) / s, (m12 + m21) / s, 0.25f * s, (m10 - m01) / s};
	}
	const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
	return {q.x / length, q.y / length, q.z / length, q.w / length};
}

Vec3 Rotate(const Quat& q, Vec3 v)
{
	const Vec3 u{q.x, q.y, q.z};
	const Vec3 t = Cross(u, v) * 2.0f;
	return v + t * q.w + Cross(u, t);
}

Frame Frame::TurnedZ(Vec3 origin, float radians)
{
	const float c = std::cos(radians);
	const float s = std::sin(radians);
	return Frame{origin, {c, s, 0.0f}, {-s, c, 0.0f}, {0.0f, 0.0f, 1.0f}};
}

Frame Frame::Along(Vec3 origin, Vec3 axis)
{
	const Vec3 z = Normalize(axis);
	const Vec3 helper = std::fabs(z.z) < 0.9f ? Vec3{0.0f, 0.0f, 1.0f} : Vec3{1.0f, 0.0f, 0.0f};
	const Vec3 x = Normalize(Cross(helper, z));
	return Frame{origin, x, Cross(z, x), z};
}
