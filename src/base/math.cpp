#include "base/math.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace tarvex {

bool NearlyEqual(float a, float b) {
    const float diff = a - b;
    return diff >= -kTolerance && diff <= kTolerance;
}

void Vec3Set(Vec3& out, float x, float y, float z) {
    out.x = x;
    out.y = y;
    out.z = z;
}

void Vec3Copy(Vec3& out, const Vec3& v) {
    out.x = v.x;
    out.y = v.y;
    out.z = v.z;
}

void Vec3Subtract(Vec3& out, const Vec3& a, const Vec3& b) {
    out.x = a.x - b.x;
    out.y = a.y - b.y;
    out.z = a.z - b.z;
}

float Vec3Length(const Vec3& v) {
    const double x = v.x, y = v.y, z = v.z;
    return static_cast<float>(std::sqrt(x * x + y * y + z * z));
}

float Vec3LengthSq(const Vec3& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

float Vec3Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void Vec3Cross(Vec3& out, const Vec3& a, const Vec3& b) {
    const float x = a.y * b.z - a.z * b.y;
    const float y = a.z * b.x - a.x * b.z;
    const float z = a.x * b.y - a.y * b.x;
    out.x = x;
    out.y = y;
    out.z = z;
}

void Vec3Scale(Vec3& out, const Vec3& v, float s) {
    const float r = 1.0f / s;
    out.x = v.x * r;
    out.y = v.y * r;
    out.z = v.z * r;
}

void Vec3Normalize(Vec3& out, const Vec3& v) {
    const float s = v.x * v.x + v.y * v.y + v.z * v.z;
    if (NearlyEqual(s, 1.0f)) {
        if (&out != &v) out = v;
        return;
    }
    if (s < kZeroLengthSq) {
        out = Vec3{};
        return;
    }
    const float r = 1.0f / std::sqrt(s);
    out.x = v.x * r;
    out.y = v.y * r;
    out.z = v.z * r;
}

void Vec3TransformCoord(Vec3& out, const Vec3& v, const Mat4& m) {
    float x = v.x * m[0] + v.y * m[4] + v.z * m[8] + m[12];
    float y = v.x * m[1] + v.y * m[5] + v.z * m[9] + m[13];
    float z = v.x * m[2] + v.y * m[6] + v.z * m[10] + m[14];
    const float w = v.x * m[3] + v.y * m[7] + v.z * m[11] + m[15];
    if (!NearlyEqual(w, 1.0f)) {
        x /= w;
        y /= w;
        z /= w;
    }
    Vec3Set(out, x, y, z);
}

void Vec3TransformPoint(Vec3& out, const Vec3& v, const Mat4& m) {
    const float x = v.x * m[0] + v.y * m[4] + v.z * m[8] + m[12];
    const float y = v.x * m[1] + v.y * m[5] + v.z * m[9] + m[13];
    const float z = v.x * m[2] + v.y * m[6] + v.z * m[10] + m[14];
    Vec3Set(out, x, y, z);
}

void Vec3TransformNormal(Vec3& out, const Vec3& v, const Mat4& m) {
    const float x = v.x * m[0] + v.y * m[4] + v.z * m[8];
    const float y = v.x * m[1] + v.y * m[5] + v.z * m[9];
    const float z = v.x * m[2] + v.y * m[6] + v.z * m[10];
    Vec3Set(out, x, y, z);
}

float Sinf(float a) { return static_cast<float>(std::sin(static_cast<double>(a))); }
float Cosf(float a) { return static_cast<float>(std::cos(static_cast<double>(a))); }

bool MatIsIdentity(const Mat4& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            const float v = m[4 * r + c];
            if (r == c) {
                uint32_t bits;
                std::memcpy(&bits, &v, 4);
                if (bits != 0x3F800000u) return false;
            } else if (v != 0.0f) {  // -0 compares equal to 0
                return false;
            }
        }
    return true;
}

void MatIdentity(Mat4& out) {
    out = Mat4{};
    out[0] = out[5] = out[10] = out[15] = 1.0f;
}

void MatMultiply(Mat4& out, const Mat4& a, const Mat4& b) {
    Mat4 t;  // always through a temporary: out may be a or b
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            t[4 * r + c] = a[4 * r] * b[c] + a[4 * r + 1] * b[4 + c] + a[4 * r + 2] * b[8 + c] +
                           a[4 * r + 3] * b[12 + c];
    out = t;
}

void MatInverse(Mat4& out, float* det, const Mat4& m) {
    const float a00 = m[0], a01 = m[1], a02 = m[2], a03 = m[3];
    const float a10 = m[4], a11 = m[5], a12 = m[6], a13 = m[7];
    const float a20 = m[8], a21 = m[9], a22 = m[10], a23 = m[11];
    const float a30 = m[12], a31 = m[13], a32 = m[14], a33 = m[15];
    // 2x2 determinants of rows 0/1 and of rows 2/3, shared by all cofactors.
    const float s0 = a00 * a11 - a10 * a01, s1 = a00 * a12 - a10 * a02, s2 = a00 * a13 - a10 * a03;
    const float s3 = a01 * a12 - a11 * a02, s4 = a01 * a13 - a11 * a03, s5 = a02 * a13 - a12 * a03;
    const float c0 = a20 * a31 - a30 * a21, c1 = a20 * a32 - a30 * a22, c2 = a20 * a33 - a30 * a23;
    const float c3 = a21 * a32 - a31 * a22, c4 = a21 * a33 - a31 * a23, c5 = a22 * a33 - a32 * a23;

    const float b00 = a11 * c5 - a12 * c4 + a13 * c3;
    const float b10 = -a10 * c5 + a12 * c2 - a13 * c1;
    const float b20 = a10 * c4 - a11 * c2 + a13 * c0;
    const float b30 = -a10 * c3 + a11 * c1 - a12 * c0;
    const float d = a00 * b00 + a01 * b10 + a02 * b20 + a03 * b30;
    if (det) *det = d;
    const float r = 1.0f / d;
    if (!std::isfinite(r)) return;

    Mat4 t;
    t[0] = b00 * r;
    t[1] = (-a01 * c5 + a02 * c4 - a03 * c3) * r;
    t[2] = (a31 * s5 - a32 * s4 + a33 * s3) * r;
    t[3] = (-a21 * s5 + a22 * s4 - a23 * s3) * r;
    t[4] = b10 * r;
    t[5] = (a00 * c5 - a02 * c2 + a03 * c1) * r;
    t[6] = (-a30 * s5 + a32 * s2 - a33 * s1) * r;
    t[7] = (a20 * s5 - a22 * s2 + a23 * s1) * r;
    t[8] = b20 * r;
    t[9] = (-a00 * c4 + a01 * c2 - a03 * c0) * r;
    t[10] = (a30 * s4 - a31 * s2 + a33 * s0) * r;
    t[11] = (-a20 * s4 + a21 * s2 - a23 * s0) * r;
    t[12] = b30 * r;
    t[13] = (a00 * c3 - a01 * c1 + a02 * c0) * r;
    t[14] = (-a30 * s3 + a31 * s1 - a32 * s0) * r;
    t[15] = (a20 * s3 - a21 * s1 + a22 * s0) * r;
    out = t;
}

void MatScaling(Mat4& out, float sx, float sy, float sz) {
    out = Mat4{};
    out[0] = sx;
    out[5] = sy;
    out[10] = sz;
    out[15] = 1.0f;
}

void MatTranslation(Mat4& out, float x, float y, float z) {
    MatIdentity(out);
    out[12] = x;
    out[13] = y;
    out[14] = z;
}

void MatRotationX(Mat4& out, float a) {
    const float s = Sinf(a), c = Cosf(a);
    out = Mat4{};
    out[0] = 1.0f;
    out[5] = c;
    out[6] = s;
    out[9] = -s;
    out[10] = c;
    out[15] = 1.0f;
}

void MatRotationY(Mat4& out, float a) {
    const float s = Sinf(a), c = Cosf(a);
    out = Mat4{};
    out[0] = c;
    out[2] = -s;
    out[5] = 1.0f;
    out[8] = s;
    out[10] = c;
    out[15] = 1.0f;
}

void MatRotationZ(Mat4& out, float a) {
    const float s = Sinf(a), c = Cosf(a);
    out = Mat4{};
    out[0] = c;
    out[1] = s;
    out[4] = -s;
    out[5] = c;
    out[10] = 1.0f;
    out[15] = 1.0f;
}

void MatPerspectiveFov(Mat4& out, float fovY, float xFactor, float zn, float zf) {
    const float half = fovY / 2;
    const float h = Cosf(half) / Sinf(half);
    out = Mat4{};
    out[0] = xFactor * h;
    out[5] = h;
    out[10] = zf / (zf - zn);
    out[11] = 1.0f;
    out[14] = -zn * zf / (zf - zn);
}

void MatLookAt(Mat4& out, const Vec3& eye, const Vec3& at, const Vec3& up) {
    Vec3 z, x, y;
    Vec3Subtract(z, at, eye);
    Vec3Normalize(z, z);
    Vec3Cross(x, up, z);
    Vec3Normalize(x, x);
    Vec3Cross(y, z, x);
    out = Mat4{};
    out[0] = x.x;
    out[4] = x.y;
    out[8] = x.z;
    out[1] = y.x;
    out[5] = y.y;
    out[9] = y.z;
    out[2] = z.x;
    out[6] = z.y;
    out[10] = z.z;
    out[12] = -Vec3Dot(x, eye);
    out[13] = -Vec3Dot(y, eye);
    out[14] = -Vec3Dot(z, eye);
    out[15] = 1.0f;
}

void MatReflect(Mat4& out, const Plane& plane) {
    Plane p;
    PlaneNormalize(p, plane);
    const float a = p.a, b = p.b, c = p.c, d = p.d;
    out = Mat4{};
    out[0] = 1 - 2 * a * a;
    out[1] = -2 * a * b;
    out[2] = -2 * a * c;
    out[4] = -2 * a * b;
    out[5] = 1 - 2 * b * b;
    out[6] = -2 * b * c;
    out[8] = -2 * a * c;
    out[9] = -2 * b * c;
    out[10] = 1 - 2 * c * c;
    out[12] = -2 * a * d;
    out[13] = -2 * b * d;
    out[14] = -2 * c * d;
    out[15] = 1.0f;
}

void PlaneFromPoints(Plane& out, const Vec3& p1, const Vec3& p2, const Vec3& p3) {
    Vec3 e1, e2, n;
    Vec3Subtract(e1, p1, p2);
    Vec3Subtract(e2, p1, p3);
    Vec3Cross(n, e1, e2);
    Vec3Normalize(n, n);
    out.a = n.x;
    out.b = n.y;
    out.c = n.z;
    out.d = -(n.x * p1.x + n.y * p1.y + n.z * p1.z);
}

void PlaneNormalize(Plane& out, const Plane& plane) {
    const float s = plane.a * plane.a + plane.b * plane.b + plane.c * plane.c;
    if (NearlyEqual(s, 1.0f)) {
        if (&out != &plane) out = plane;
        return;
    }
    if (s < kZeroLengthSq) {
        out = Plane{};
        return;
    }
    const float r = 1.0f / std::sqrt(s);
    out.a = plane.a * r;
    out.b = plane.b * r;
    out.c = plane.c * r;
    out.d = plane.d * r;
}

}  // namespace tarvex
