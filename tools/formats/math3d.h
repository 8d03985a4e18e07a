// Small double-precision math for the content tools: the engine's conventions (row vectors,
// p' = p * M, left-handed, y up) restated here so the content does not depend on the
// engine code it is meant to test.
#pragma once
#include <cmath>

namespace tarvex::formats {

constexpr double kPi = 3.14159265358979323846;

struct V3 {
  double x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline V3 Mul(V3 a, V3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
inline double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double Length(V3 a) { return std::sqrt(Dot(a, a)); }
inline V3 Normalize(V3 a) {
  double l = Length(a);
  return l > 1e-12 ? a * (1.0 / l) : V3{};
}

// 4x4, row-major, element (r, c) at m[r][c].
struct M4 {
  double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};
inline M4 operator*(const M4& a, const M4& b) {
  M4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
      r.m[i][j] = s;
    }
  return r;
}
inline V3 TransformPoint(V3 p, const M4& m) {
  return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
          p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
          p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}
inline V3 TransformVector(V3 p, const M4& m) {
  return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0],
          p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1],
          p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2]};
}
inline M4 Translation(V3 t) {
  M4 r;
  r.m[3][0] = t.x; r.m[3][1] = t.y; r.m[3][2] = t.z;
  return r;
}
inline M4 Scaling(double s) {
  M4 r;
  r.m[0][0] = r.m[1][1] = r.m[2][2] = s;
  return r;
}
inline M4 RotationX(double a) {
  M4 r;
  double c = std::cos(a), s = std::sin(a);
  r.m[1][1] = c; r.m[1][2] = s; r.m[2][1] = -s; r.m[2][2] = c;
  return r;
}
inline M4 RotationY(double a) {
  M4 r;
  double c = std::cos(a), s = std::sin(a);
  r.m[0][0] = c; r.m[0][2] = -s; r.m[2][0] = s; r.m[2][2] = c;
  return r;
}
inline M4 RotationZ(double a) {
  M4 r;
  double c = std::cos(a), s = std::sin(a);
  r.m[0][0] = c; r.m[0][1] = s; r.m[1][0] = -s; r.m[1][1] = c;
  return r;
}
// Inverse of a rotation + translation matrix.
inline M4 RigidInverse(const M4& a) {
  M4 r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[j][i];
  V3 t{a.m[3][0], a.m[3][1], a.m[3][2]};
  V3 it = TransformVector(t, r) * -1.0;
  r.m[3][0] = it.x; r.m[3][1] = it.y; r.m[3][2] = it.z;
  return r;
}

// Scene files are z-up: file (a, b, c) is engine (-a, c, -b).
inline V3 EngineFromFile(V3 f) { return {-f.x, f.z, -f.y}; }
inline V3 FileFromEngine(V3 e) { return {-e.x, -e.z, e.y}; }

// The engine's scene camera: look-at with up (0, 1, 0), then a roll about z, and the fixed
// perspective (aspect factor 0.75, near 100, far 10,000). Pixel rays use the same
// unprojection as the engine's, so a depth written here lands back on the same point.
struct Camera {
  V3 eye, target;
  double fovDegrees = 50, rollDegrees = 0;
  M4 view, viewInverse;
  double p00 = 1, p11 = 1;

  void Build() {
    V3 z = Normalize(target - eye);
    V3 x = Normalize(Cross(V3{0, 1, 0}, z));
    V3 y = Cross(z, x);
    M4 v;
    v.m[0][0] = x.x; v.m[1][0] = x.y; v.m[2][0] = x.z;
    v.m[0][1] = y.x; v.m[1][1] = y.y; v.m[2][1] = y.z;
    v.m[0][2] = z.x; v.m[1][2] = z.y; v.m[2][2] = z.z;
    v.m[0][3] = v.m[1][3] = v.m[2][3] = 0;
    v.m[3][0] = -Dot(x, eye); v.m[3][1] = -Dot(y, eye); v.m[3][2] = -Dot(z, eye); v.m[3][3] = 1;
    view = v * RotationZ(-rollDegrees * 0.01745329);
    viewInverse = RigidInverse(view);
    double h = 1.0 / std::tan(fovDegrees * 0.01745329 / 2.0);
    p11 = h;
    p00 = 0.75 * h;
  }
  // World direction whose view-space z is 1 through pixel (x, y).
  V3 PixelRay(double x, double y) const {
    V3 d{(2.0 * x / 800.0 - 1.0) / p00, -(2.0 * y / 600.0 - 1.0) / p11, 1.0};
    return TransformVector(d, viewInverse);
  }
  // Screen position and view depth of a world point.
  bool Project(V3 p, double& sx, double& sy, double& depth) const {
    V3 v = TransformPoint(p, view);
    if (v.z <= 1e-6) return false;
    sx = (v.x * p00 / v.z + 1.0) * 400.0;
    sy = (1.0 - v.y * p11 / v.z) * 300.0;
    depth = v.z;
    return true;
  }
};

// A point light of a scene: position, colour and its range and attenuation factors.
struct PointLight {
  V3 position;
  V3 colour{255, 255, 255};  // 0..255
  double range = 2000, a0 = 1, a1 = 0.0008, a2 = 0;
};

}  // namespace tarvex::formats
