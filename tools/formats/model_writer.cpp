#include "formats/model_writer.h"

#include <algorithm>

namespace tarvex::formats {

std::array<float, 12> PoseFromMatrix(const M4& m) {
  return {float(m.m[0][0]), float(m.m[0][1]), float(m.m[0][2]), float(m.m[1][0]), float(m.m[1][1]),
          float(m.m[1][2]), float(m.m[2][0]), float(m.m[2][1]), float(m.m[2][2]), float(m.m[3][0]),
          float(m.m[3][1]), float(m.m[3][2])};
}

static M4 MatrixFromPose(const std::array<float, 12>& p) {
  M4 m;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m.m[r][c] = p[r * 3 + c];
  m.m[3][0] = p[9]; m.m[3][1] = p[10]; m.m[3][2] = p[11];
  return m;
}

// Readers of the older layout turn a file vector (x, y, z) into (-x, z, -y) and a file
// pose P into C * P * RotationX(-pi/2); these are the inverses.
static V3 ToZUp(V3 v) { return {-v.x, -v.z, v.y}; }
static M4 ConversionC() {
  M4 c;
  c.m[0][0] = -1; c.m[1][1] = 0; c.m[1][2] = 1; c.m[2][1] = -1; c.m[2][2] = 0;
  return c;
}
static M4 Transposed3(const M4& a) {
  M4 r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[j][i];
  return r;
}

Bytes EncodeModel(const ModelData& m, bool older) {
  Bytes b;
  if (!older) {
    PutU32(b, 257);
    PutFixedString(b, "(c)Vexo 2001 ", 16);
  }
  PutU32(b, uint32_t(m.points.size()));
  PutU32(b, uint32_t(m.triangles.size()));
  PutU32(b, uint32_t(m.uvs.size()));
  PutU32(b, 0);
  PutU32(b, uint32_t(m.bones.size()));
  PutU32(b, uint32_t(m.blends.size()));
  PutU32(b, m.frameCount);
  PutU32(b, uint32_t(m.poses.size()));
  // Reference vectors: bounds and centre, kept by readers but not used.
  V3 lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
  for (V3 p : m.points) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  if (m.points.empty()) lo = hi = {};
  auto vec = [&](V3 v) {
    if (older) v = ToZUp(v);
    PutF32(b, float(v.x)); PutF32(b, float(v.y)); PutF32(b, float(v.z));
  };
  vec(lo); vec(hi); vec((lo + hi) * 0.5); vec(V3{0, 0, 0});
  for (V3 p : m.points) vec(p);
  for (V3 n : m.normals) vec(n);
  for (const auto& t : m.triangles) { PutU16(b, t[0]); PutU16(b, t[1]); PutU16(b, t[2]); }
  for (const auto& uv : m.uvs) { PutF32(b, uv[0]); PutF32(b, uv[1]); }
  for (const auto& list : m.pointVertices) {
    PutU8(b, uint32_t(list.size()));
    for (uint16_t v : list) PutU16(b, v);
  }
  M4 c = ConversionC(), cInv = Transposed3(c), rx = RotationX(kPi / 2);
  for (const auto& p : m.poses) {
    std::array<float, 12> q = p;
    if (older) q = PoseFromMatrix(cInv * MatrixFromPose(p) * rx);
    for (float f : q) PutF32(b, f);
  }
  for (const ModelBone& bone : m.bones) {
    PutFixedString(b, bone.name, 64);
    for (float f : bone.rest) PutF32(b, f);
    PutU32(b, uint32_t(bone.rigidPoints.size()));
    for (uint16_t p : bone.rigidPoints) PutU16(b, p);
    for (uint32_t f = 0; f < m.frameCount; ++f) {
      uint32_t pose = f < bone.poseOfFrame.size() ? bone.poseOfFrame[f] : 0;
      if (older) PutU16(b, pose); else PutU32(b, pose);
    }
  }
  for (const ModelBlend& bl : m.blends) {
    PutU16(b, bl.point);
    PutU16(b, uint32_t(bl.bones.size()));
    for (uint16_t bi : bl.bones) PutU16(b, bi);
    for (float w : bl.weights) PutF32(b, w);
  }
  PutU8(b, m.cullMode);
  PutFixedString(b, m.texture, 256);
  for (const ModelBone& bone : m.bones) { vec(bone.attachOffset); vec(bone.attachRotation); vec(bone.attachScale); }
  for (const ModelMotion& mo : m.motions) {
    PutF32(b, mo.first); PutF32(b, mo.last); PutF32(b, mo.loopTo); PutF32(b, mo.speed);
    PutU32(b, mo.next);
    PutU8(b, mo.defined ? 1 : 0);
    for (int i = 0; i < 23; ++i) PutU8(b, 0);
  }
  for (const ModelBone& bone : m.bones) PutU8(b, bone.attachCull);
  PutU8(b, m.alphaTest);
  PutU8(b, 0); PutU8(b, 0);
  PutF32(b, 1.0f);
  PutFixedString(b, "tarvex-demo", 64);
  PutU8(b, 0);
  return b;
}

}  // namespace tarvex::formats
