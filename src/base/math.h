// Vector, plane and matrix math in single precision.
// Conventions: Mat4 is row-major (element r, c at 4r + c) and points are row vectors
// multiplied on the left (p' = p * M), so translation sits in row 3 and A * B applies
// A first. Left-handed, y up; angles in radians (data in degrees is converted with
// kDegreesToRadians). Results go to an output argument that may alias an input.
#pragma once

namespace tarvex {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

struct Plane {
    float a = 0, b = 0, c = 0, d = 0;
};

struct Mat4 {
    float m[16] = {};
    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
};

// The game's own single-precision pi / 180.
constexpr float kDegreesToRadians = 0.01745329f;
// Two floats are equal when their difference lies within +-kTolerance (inclusive).
constexpr float kTolerance = 0.00001f;
// A squared length below this counts as zero.
constexpr float kZeroLengthSq = 1e-10f;

bool NearlyEqual(float a, float b);

void Vec3Set(Vec3& out, float x, float y, float z);
void Vec3Copy(Vec3& out, const Vec3& v);
void Vec3Subtract(Vec3& out, const Vec3& a, const Vec3& b);
float Vec3Length(const Vec3& v);
float Vec3LengthSq(const Vec3& v);
float Vec3Dot(const Vec3& a, const Vec3& b);
void Vec3Cross(Vec3& out, const Vec3& a, const Vec3& b);
// out = v * (1 / s).
void Vec3Scale(Vec3& out, const Vec3& v, float s);
void Vec3Normalize(Vec3& out, const Vec3& v);
// (x, y, z, 1) * M, divided by w unless w is 1 within tolerance.
void Vec3TransformCoord(Vec3& out, const Vec3& v, const Mat4& m);
// (x, y, z, 1) * M without the division (bones and props).
void Vec3TransformPoint(Vec3& out, const Vec3& v, const Mat4& m);
// (x, y, z, 0) * M: the upper-left 3x3 only.
void Vec3TransformNormal(Vec3& out, const Vec3& v, const Mat4& m);
float Sinf(float a);
float Cosf(float a);

bool MatIsIdentity(const Mat4& m);
void MatIdentity(Mat4& out);
void MatMultiply(Mat4& out, const Mat4& a, const Mat4& b);
// Leaves out unchanged when 1 / determinant is not finite; det (if given) is always set.
void MatInverse(Mat4& out, float* det, const Mat4& m);
void MatScaling(Mat4& out, float sx, float sy, float sz);
void MatTranslation(Mat4& out, float x, float y, float z);
void MatRotationX(Mat4& out, float a);
void MatRotationY(Mat4& out, float a);
void MatRotationZ(Mat4& out, float a);
void MatPerspectiveFov(Mat4& out, float fovY, float xFactor, float zn, float zf);
void MatLookAt(Mat4& out, const Vec3& eye, const Vec3& at, const Vec3& up);
void MatReflect(Mat4& out, const Plane& plane);

void PlaneFromPoints(Plane& out, const Vec3& p1, const Vec3& p2, const Vec3& p3);
void PlaneNormalize(Plane& out, const Plane& plane);

}  // namespace tarvex
