#include "render/Math.h"

#include <GL/glew.h>

#include <cmath>

Frustum g_frustum;

float Vec3::Normalize()
{
	const float length = std::sqrt(x * x + y * y + z * z);
	const float factor = length > 0.00001f ? 1.0f / length : 0.0f;
	x *= factor;
	y *= factor;
	z *= factor;
	return factor;
}

void Quat::Normalize()
{
	const float length = std::sqrt(x * x + y * y + z * z + w * w);
	if (length > 0.0f)
	{
		const float factor = 1.0f / length;
		x *= factor;
		y *= factor;
		z *= factor;
		w *= factor;
	}
}

Mat4 Mat4::Concat(const Mat4& first, const Mat4& second)
{
	Mat4 result;
	for (int i = 0; i < 4; ++i)
	{
		for (int j = 0; j < 4; ++j)
		{
			float sum = 0.0f;
			for (int k = 0; k < 4; ++k)
			{
				sum += second[4 * i + k] * first[4 * k + j];
			}
			result[4 * i + j] = sum;
		}
	}
	return result;
}

void Mat4::Transpose()
{
	for (int r = 0; r < 4; ++r)
	{
		for (int c = r + 1; c < 4; ++c)
		{
			const float upper = m[4 * r + c];
			m[4 * r + c] = m[4 * c + r];
			m[4 * c + r] = upper;
		}
	}
}

namespace
{
float Det2(float a, float b, float c, float d)
{
	return a * d - b * c;
}

// The determinant of the 3x3 matrix with columns (a, b, c), (d, e, f), (g, h, i).
float Det3(float a, float b, float c, float d, float e, float f, float g, float h, float i)
{
	return a * Det2(e, f, h, i) - d * Det2(b, c, h, i) + g * Det2(b, c, e, f);
}

// The determinant of `m` without row `skipRow` and column `skipColumn`.
float Minor(const Mat4& m, int skipRow, int skipColumn)
{
	float rest[9];
	int count = 0;
	for (int c = 0; c < 4; ++c)
	{
		if (c == skipColumn)
		{
			continue;
		}
		for (int r = 0; r < 4; ++r)
		{
			if (r != skipRow)
			{
				rest[count++] = m[4 * r + c];
			}
		}
	}
	return Det3(rest[0], rest[1], rest[2], rest[3], rest[4], rest[5], rest[6], rest[7], rest[8]);
}
} // namespace

Mat4 Mat4::Inverse() const
{
	// The adjugate: each element is the signed minor of the transposed position.
	Mat4 result;
	for (int r = 0; r < 4; ++r)
	{
		for (int c = 0; c < 4; ++c)
		{
			const float sign = ((r + c) % 2 == 0) ? 1.0f : -1.0f;
			result[4 * r + c] = sign * Minor(*this, c, r);
		}
	}
	const float det = m[0] * result[0] + m[4] * result[1] + m[8] * result[2] + m[12] * result[3];
	const float scale = 1.0f / det;
	for (float& element : result.m)
	{
		element *= scale;
	}
	return result;
}

Vec3 Cross(const Vec3& u, const Vec3& v)
{
	return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

float Dot(const Vec3& u, const Vec3& v)
{
	return u.x * v.x + u.y * v.y + u.z * v.z;
}

float Distance(const Vec3& p, const Vec3& q)
{
	const Vec3 d{q.x - p.x, q.y - p.y, q.z - p.z};
	return std::sqrt(Dot(d, d));
}

Vec3 Normalized(const Vec3& v)
{
	const float factor = 1.0f / std::sqrt(Dot(v, v));
	return {v.x * factor, v.y * factor, v.z * factor};
}

Quat QuatMultiply(const Quat& a, const Quat& b)
{
	return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
	        a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

void QuatToMatrix(const Quat& q, Mat4& m)
{
	m[0] = 1.0f - 2.0f * q.y * q.y - 2.0f * q.z * q.z;
	m[1] = 2.0f * (q.x * q.y - q.z * q.w);
	m[2] = 2.0f * (q.x * q.z + q.y * q.w);
	m[4] = 2.0f * (q.x * q.y + q.z * q.w);
	m[5] = 1.0f - 2.0f * q.x * q.x - 2.0f * q.z * q.z;
	m[6] = 2.0f * (q.y * q.z - q.x * q.w);
	m[8] = 2.0f * (q.x * q.z - q.y * q.w);
	m[9] = 2.0f * (q.y * q.z + q.x * q.w);
	m[10] = 1.0f - 2.0f * q.x * q.x - 2.0f * q.y * q.y;
}

Quat MatrixToQuat(const Mat4& m)
{
	const auto at = [&m](int r, int c) { return m[4 * r + c]; };
	Quat q;
	const float trace = at(0, 0) + at(1, 1) + at(2, 2);
	if (trace > 0.0f)
	{
		float s = std::sqrt(trace + 1.0f);
		q.w = s * 0.5f;
		s = 0.5f / s;
		q.x = (at(2, 1) - at(1, 2)) * s;
		q.y = (at(0, 2) - at(2, 0)) * s;
		q.z = (at(1, 0) - at(0, 1)) * s;
		return q;
	}
	// Work from the largest diagonal element; ties keep the lower index.
	int i = 0;
	if (at(1, 1) > at(0, 0))
	{
		i = 1;
	}
	if (at(2, 2) > at(i, i))
	{
		i = 2;
	}
	constexpr int kNext[3] = {1, 2, 0};
	const int j = kNext[i];
	const int k = kNext[j];
	float* axis[3] = {&q.x, &q.y, &q.z};
	float s = std::sqrt(at(i, i) - (at(j, j) + at(k, k)) + 1.0f);
	*axis[i] = s * 0.5f;
	s = 0.5f / s;
	q.w = (at(k, j) - at(j, k)) * s;
	*axis[j] = (at(j, i) + at(i, j)) * s;
	*axis[k] = (at(k, i) + at(i, k)) * s;
	return q;
}

Vec3 RotateVector(const Quat& q, const Vec3& v)
{
	const Quat turned = QuatMultiply(QuatMultiply(q, {v.x, v.y, v.z, 0.0f}), q.Conjugate());
	return {turned.x, turned.y, turned.z};
}

Quat Slerp(const Quat& a, const Quat& b, float t)
{
	// q and -q are the same rotation; flipping b onto a's half of the sphere takes the short way.
	Quat to = b;
	float cosine = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
	if (cosine < 0.0f)
	{
		cosine = -cosine;
		to = {-b.x, -b.y, -b.z, -b.w};
	}
	float fromWeight = 1.0f - t;
	float toWeight = t;
	// Nearly parallel rotations: the sine below vanishes, and a straight blend is as good.
	if (cosine < 0.9999f)
	{
		const float angle = std::acos(cosine);
		const float sine = std::sin(angle);
		fromWeight = std::sin((1.0f - t) * angle) / sine;
		toWeight = std::sin(t * angle) / sine;
	}
	Quat result{fromWeight * a.x + toWeight * to.x, fromWeight * a.y + toWeight * to.y,
	            fromWeight * a.z + toWeight * to.z, fromWeight * a.w + toWeight * to.w};
	result.Normalize();
	return result;
}

void Frustum::Extract()
{
	float projection[16];
	float modelview[16];
	glGetFloatv(GL_PROJECTION_MATRIX, projection);
	glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
	ExtractFrom(projection, modelview);
}

void Frustum::ExtractFrom(const float projection[16], const float modelview[16])
{
	// Clip = P * V, both column-major (row r, column c at index 4 * c + r).
	float clip[16];
	for (int c = 0; c < 4; ++c)
	{
		for (int r = 0; r < 4; ++r)
		{
			float sum = 0.0f;
			for (int k = 0; k < 4; ++k)
			{
				sum += projection[4 * k + r] * modelview[4 * c + k];
			}
			clip[4 * c + r] = sum;
		}
	}
	// Each plane is the fourth row of the clip matrix plus or minus one of the others.
	constexpr int kRow[kPlaneCount] = {0, 0, 1, 1, 2, 2};
	constexpr float kSign[kPlaneCount] = {-1.0f, 1.0f, 1.0f, -1.0f, -1.0f, 1.0f};
	for (int plane = 0; plane < kPlaneCount; ++plane)
	{
		for (int i = 0; i < 4; ++i)
		{
			planes[plane][i] = clip[4 * i + 3] + kSign[plane] * clip[4 * i + kRow[plane]];
		}
		const float* p = planes[plane];
		const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
		for (float& value : planes[plane])
		{
			value /= length;
		}
	}
}

float Frustum::Distance(int plane, float x, float y, float z) const
{
	const float* p = planes[plane];
	return p[0] * x + p[1] * y + p[2] * z + p[3];
}

bool Frustum::SphereVisible(float x, float y, float z, float radius) const
{
	for (int plane = 0; plane < kPlaneCount; ++plane)
	{
		if (Distance(plane, x, y, z) <= -radius)
		{
			return false;
		}
	}
	return true;
}

bool Frustum::CubeVisible(float x, float y, float z, float size) const
{
	for (int plane = 0; plane < kPlaneCount; ++plane)
	{
		bool anyCornerInside = false;
		for (int corner = 0; corner < 8 && !anyCornerInside; ++corner)
		{
			const float cx = (corner & 1) ? x + size : x - size;
			const float cy = (corner & 2) ? y + size : y - size;
			const float cz = (corner & 4) ? z + size : z - size;
			anyCornerInside = Distance(plane, cx, cy, cz) > 0.0f;
		}
		if (!anyCornerInside)
		{
			return false;
		}
	}
	return true;
}
