// The characters: the hero's body "models/gorin.md" and head "models/golova.md", the old
// man "models/ded.md", and a small bottle prop in the older unsigned layout.
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "formats/image.h"
#include "formats/model_writer.h"
#include "models.h"

namespace tarvex::demo {

using namespace tarvex::formats;

namespace {

// Model space: y up, the character faces +x, its left side is +z.
enum Bone {
  kRoot, kPelvis, kSpine, kSpine1, kNeck, kHead, kLClav, kLUpper, kLFore, kLHand, kRClav, kRUpper, kRFore, kRHand,
  kLThigh, kLCalf, kLFoot, kRThigh, kRCalf, kRFoot, kBoneCount
};
const char* const kBoneNames[kBoneCount] = {
    "Bip01", "Bip01 Pelvis", "Bip01 Spine", "Bip01 Spine1", "Bip01 Neck", "Bip01 Head", "Bip01 L Clavicle",
    "Bip01 L UpperArm", "Bip01 L Forearm", "Bip01 L Hand", "Bip01 R Clavicle", "Bip01 R UpperArm",
    "Bip01 R Forearm", "Bip01 R Hand", "Bip01 L Thigh", "Bip01 L Calf", "Bip01 L Foot", "Bip01 R Thigh",
    "Bip01 R Calf", "Bip01 R Foot"};
const int kParent[kBoneCount] = {-1, 0, 1, 2, 3, 4, 3, 6, 7, 8, 3, 10, 11, 12, 1, 14, 15, 1, 17, 18};

struct Skeleton {
  V3 joint[kBoneCount];
};

Skeleton MakeSkeleton(double height) {
  double s = height / 175.0;
  Skeleton k;
  auto J = [&](Bone b, double x, double y, double z) { k.joint[b] = V3{x, y, z} * s; };
  J(kRoot, 0, 96, 0); J(kPelvis, 0, 96, 0); J(kSpine, 0, 106, 0); J(kSpine1, 0, 126, 0);
  J(kNeck, 0, 147, 0); J(kHead, 0, 156, 0);
  J(kLClav, 0, 144, 6); J(kLUpper, 0, 144, 20); J(kLFore, 0, 116, 21); J(kLHand, 0, 91, 21);
  J(kRClav, 0, 144, -6); J(kRUpper, 0, 144, -20); J(kRFore, 0, 116, -21); J(kRHand, 0, 91, -21);
  J(kLThigh, 0, 92, 10); J(kLCalf, 0, 50, 10); J(kLFoot, 0, 8, 10);
  J(kRThigh, 0, 92, -10); J(kRCalf, 0, 50, -10); J(kRFoot, 0, 8, -10);
  return k;
}

// Joint rotations of one frame (radians about the model's x, y, z axes), a root lift and
// a step of the root forward (along the model's +x).
struct PoseAngles {
  V3 rot[kBoneCount];
  double lift = 0, step = 0;
};

using Animation = std::function<void(double t, PoseAngles& p)>;  // t in 0..1 over the motion

double Bell(double t) { return std::sin(kPi * std::clamp(t, 0.0, 1.0)); }

// Mesh building: tapered 8-sided tubes with a texture seam, rigid to a bone, with the
// first ring blended half and half with the parent bone.
struct MeshBuilder {
  ModelData& m;
  std::vector<int> pointBone;           // rigid owner
  std::map<int, std::pair<int, int>> blendOf;  // point -> (bone a, bone b) 50/50

  int AddPoint(V3 p, V3 n, int bone) {
    m.points.push_back(p);
    m.normals.push_back(n);
    m.pointVertices.emplace_back();
    pointBone.push_back(bone);
    return int(m.points.size()) - 1;
  }
  int AddVertex(int point, float u, float v) {
    m.uvs.push_back({u, v});
    m.pointVertices[point].push_back(uint16_t(m.uvs.size() - 1));
    return int(m.uvs.size()) - 1;
  }
  // Outward-facing triangle: (b - a) x (c - a) points out of the body.
  void Tri(int a, int b, int c) { m.triangles.push_back({uint16_t(a), uint16_t(b), uint16_t(c)}); }

  // A tube along the segment a -> b with radii (ra, rb) and an elliptical section.
  void Tube(V3 a, V3 b, double ra, double rb, double flatten, int bone, int blendParent, float u0, float v0,
            float u1, float v1, bool capEnd) {
    const int sides = 8, rings = 3;
    V3 axis = Normalize(b - a);
    V3 side = std::fabs(axis.y) > 0.9 ? V3{1, 0, 0} : V3{0, 1, 0};
    V3 e1 = Normalize(Cross(axis, side)), e2 = Cross(e1, axis);
    std::vector<std::vector<int>> verts(rings);
    for (int r = 0; r < rings; ++r) {
      double t = double(r) / (rings - 1);
      V3 c = a + (b - a) * t;
      double rad = ra + (rb - ra) * t;
      std::vector<int> ringPoints;
      for (int i = 0; i < sides; ++i) {
        double ang = 2 * kPi * i / sides;
        V3 dir = e1 * std::cos(ang) + e2 * (std::sin(ang) * flatten);
        int p = AddPoint(c + dir * rad, Normalize(dir), bone);
        if (r == 0 && blendParent >= 0) blendOf[p] = {bone, blendParent};
        ringPoints.push_back(p);
      }
      for (int i = 0; i <= sides; ++i)
        verts[r].push_back(AddVertex(ringPoints[i % sides], u0 + (u1 - u0) * float(i) / sides,
                                     v0 + (v1 - v0) * float(t)));
    }
    for (int r = 0; r + 1 < rings; ++r)
      for (int i = 0; i < sides; ++i) {
        int a0 = verts[r][i], a1 = verts[r][i + 1], b0 = verts[r + 1][i], b1 = verts[r + 1][i + 1];
        Winding(a0, a1, b1, a);
        Winding(a0, b1, b0, a);
      }
    if (capEnd) {
      int centre = AddPoint(b + axis * (rb * 0.4), axis, bone);
      int cv = AddVertex(centre, (u0 + u1) / 2, v1);
      for (int i = 0; i < sides; ++i) Winding(verts[rings - 1][i], verts[rings - 1][i + 1], cv, a);
    }
  }
  // Orders a triangle so that it faces away from the segment's axis point.
  void Winding(int a, int b, int c, V3 axisPoint) {
    V3 pa = VertexPos(a), pb = VertexPos(b), pc = VertexPos(c);
    V3 n = Cross(pb - pa, pc - pa);
    (void)axisPoint;
    // The point's own normal points away from the tube's axis.
    V3 pn = m.normals[PointOfVertex(a)];
    if (Dot(n, pn) < 0) Tri(a, c, b); else Tri(a, b, c);
  }
  int PointOfVertex(int v) const {
    for (size_t p = 0; p < m.pointVertices.size(); ++p)
      for (uint16_t x : m.pointVertices[p]) if (x == v) return int(p);
    return 0;
  }
  V3 VertexPos(int v) const { return m.points[PointOfVertex(v)]; }

  // A box (feet, hands) rigid to a bone.
  void Block(V3 lo, V3 hi, int bone, float u0, float v0, float u1, float v1) {
    V3 c[8];
    for (int i = 0; i < 8; ++i) c[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
    const int faces[6][4] = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 6, 7, 5}};
    const V3 normals[6] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
    for (int f = 0; f < 6; ++f) {
      int v[4];
      for (int i = 0; i < 4; ++i) {
        int p = AddPoint(c[faces[f][i]], normals[f], bone);
        v[i] = AddVertex(p, (i == 1 || i == 2) ? u1 : u0, (i >= 2) ? v1 : v0);
      }
      V3 n = Cross(m.points[PointOfVertex(v[1])] - m.points[PointOfVertex(v[0])],
                   m.points[PointOfVertex(v[2])] - m.points[PointOfVertex(v[0])]);
      if (Dot(n, normals[f]) >= 0) { Tri(v[0], v[1], v[2]); Tri(v[0], v[2], v[3]); }
      else { Tri(v[0], v[2], v[1]); Tri(v[0], v[3], v[2]); }
    }
  }
  // An ellipsoid (the head) rigid to a bone.
  void Ellipsoid(V3 c, V3 r, int bone, float u0, float v0, float u1, float v1) {
    const int seg = 10, rings = 8;
    std::vector<std::vector<int>> verts(rings + 1);
    for (int j = 0; j <= rings; ++j) {
      double phi = kPi * j / rings;
      std::vector<int> pts;
      for (int i = 0; i < seg; ++i) {
        // The texture's seam runs down the back: its middle (u 0.25 of the skin) is the front.
        double th = 2 * kPi * i / seg + kPi;
        V3 d{std::sin(phi) * std::cos(th), std::cos(phi), std::sin(phi) * std::sin(th)};
        pts.push_back(AddPoint(c + Mul(d, r), Normalize(V3{d.x / r.x, d.y / r.y, d.z / r.z}), bone));
      }
      for (int i = 0; i <= seg; ++i)
        verts[j].push_back(AddVertex(pts[i % seg], u0 + (u1 - u0) * float(i) / seg, v0 + (v1 - v0) * float(j) / rings));
    }
    for (int j = 0; j < rings; ++j)
      for (int i = 0; i < seg; ++i) {
        int a = verts[j][i], b = verts[j][i + 1], cc = verts[j + 1][i], d = verts[j + 1][i + 1];
        for (auto tri : {std::array<int, 3>{a, b, d}, std::array<int, 3>{a, d, cc}}) {
          V3 pa = VertexPos(tri[0]), pb = VertexPos(tri[1]), pc = VertexPos(tri[2]);
          if (Length(Cross(pb - pa, pc - pa)) < 1e-9) continue;
          V3 n = Cross(pb - pa, pc - pa);
          V3 out = (pa + pb + pc) * (1.0 / 3.0) - c;
          if (Dot(n, out) >= 0) Tri(tri[0], tri[1], tri[2]); else Tri(tri[0], tri[2], tri[1]);
        }
      }
  }
};

struct Look {
  Rgba jacket, trousers, skin, shoes, hair;
};

Image SkinTexture(const Look& l) {
  Image img(128, 128, l.jacket);
  img.FillRect(0, 0, 64, 64, l.jacket);
  for (int y = 0; y < 64; y += 8) img.FillRect(0, y, 64, y + 1, Mix(l.jacket, {0, 0, 0, 255}, 0.25));
  img.FillRect(64, 0, 128, 64, l.trousers);
  for (int x = 64; x < 128; x += 16) img.FillRect(x, 0, x + 1, 64, Mix(l.trousers, {0, 0, 0, 255}, 0.3));
  img.FillRect(0, 64, 64, 128, l.skin);
  img.FillRect(64, 64, 128, 96, l.shoes);
  img.FillRect(64, 96, 128, 128, l.hair);
  // Face details on the skin quarter: the head's front (+x) lies at u 0.25, pixel column 32.
  img.FillCircle(27, 84, 2.5, {40, 40, 50, 255});
  img.FillCircle(37, 84, 2.5, {40, 40, 50, 255});
  img.Line(28, 99, 36, 99, 2, Mix(l.skin, {120, 40, 40, 255}, 0.6));
  return img;
}

// UV quarters of the skin texture.
constexpr float kJacket[4] = {0.0f, 0.0f, 0.5f, 0.5f}, kTrousers[4] = {0.5f, 0.0f, 1.0f, 0.5f},
                kSkin[4] = {0.0f, 0.5f, 0.5f, 1.0f}, kShoes[4] = {0.5f, 0.5f, 1.0f, 0.75f},
                kHair[4] = {0.5f, 0.75f, 1.0f, 1.0f};

// A head on the joint `at`: the face in front (+x) under a cap of hair that covers the
// crown and the back down to the nape, so that a character seen from behind shows his
// hair and no face.
void HeadMesh(MeshBuilder& mb, V3 at, int bone) {
  mb.Ellipsoid(at + V3{1, 9, 0}, V3{10, 12.5, 9}, bone, kSkin[0], kSkin[1], kSkin[2], kSkin[3]);
  mb.Ellipsoid(at + V3{-2.5, 12.5, 0}, V3{10.5, 11.5, 9.8}, bone, kHair[0], kHair[1], kHair[2], kHair[3]);
  mb.Block(at + V3{9, 5, -1.5}, at + V3{14, 10, 1.5}, bone, kSkin[0], kSkin[1], kSkin[2], kSkin[3]);  // nose
}

void BuildBody(MeshBuilder& mb, const Skeleton& s, double bulk, bool withHead) {
  const V3* j = s.joint;
  auto T = [&](Bone a, V3 to, double ra, double rb, double fl, int bone, int parent, const float* uv, bool cap) {
    mb.Tube(j[a], to, ra * bulk, rb * bulk, fl, bone, parent, uv[0], uv[1], uv[2], uv[3], cap);
  };
  T(kPelvis, j[kSpine1], 15, 17, 0.62, kSpine, kPelvis, kJacket, false);
  T(kSpine1, j[kNeck], 17, 12, 0.6, kSpine1, kSpine, kJacket, false);
  T(kNeck, j[kHead], 5.5, 5.0, 1.0, kNeck, kSpine1, kSkin, !withHead);
  T(kLUpper, j[kLFore], 5.5, 4.6, 1.0, kLUpper, kLClav, kJacket, false);
  T(kLFore, j[kLHand], 4.6, 3.6, 1.0, kLFore, kLUpper, kJacket, false);
  T(kRUpper, j[kRFore], 5.5, 4.6, 1.0, kRUpper, kRClav, kJacket, false);
  T(kRFore, j[kRHand], 4.6, 3.6, 1.0, kRFore, kRUpper, kJacket, false);
  T(kPelvis, j[kLThigh] + V3{0, -4, 0}, 14, 12, 0.6, kPelvis, -1, kTrousers, false);
  T(kLThigh, j[kLCalf], 8, 6.2, 1.0, kLThigh, kPelvis, kTrousers, false);
  T(kLCalf, j[kLFoot], 6.2, 4.5, 1.0, kLCalf, kLThigh, kTrousers, false);
  T(kRThigh, j[kRCalf], 8, 6.2, 1.0, kRThigh, kPelvis, kTrousers, false);
  T(kRCalf, j[kRFoot], 6.2, 4.5, 1.0, kRCalf, kRThigh, kTrousers, false);
  for (Bone h : {kLHand, kRHand})
    mb.Block(j[h] + V3{-3, -14, -2.2}, j[h] + V3{3.5, 0, 2.2}, h, kSkin[0], kSkin[1], kSkin[2], kSkin[3]);
  for (Bone f : {kLFoot, kRFoot})
    mb.Block(j[f] + V3{-6, -8, -4.5}, j[f] + V3{19, 2, 4.5}, f, kShoes[0], kShoes[1], kShoes[2], kShoes[3]);
  if (withHead) HeadMesh(mb, j[kHead], kHead);
}

struct MotionSpec {
  int number;
  int first, last;
  float loopTo;  // -1: no loop
  float speed;
  uint32_t next;
  Animation anim;
};

// Fills bones, rigid and blended points, poses and motions of a skinned character.
void Animate(ModelData& m, const Skeleton& s, const MeshBuilder& mb, const std::vector<MotionSpec>& motions,
             uint32_t frameCount, const PoseAngles& base) {
  m.bones.resize(kBoneCount);
  for (int b = 0; b < kBoneCount; ++b) {
    m.bones[b].name = kBoneNames[b];
    M4 rest = Translation(s.joint[b]);
    m.bones[b].rest = PoseFromMatrix(rest);
    m.bones[b].poseOfFrame.assign(frameCount, 0);
  }
  for (size_t p = 0; p < mb.pointBone.size(); ++p) {
    auto it = mb.blendOf.find(int(p));
    if (it == mb.blendOf.end()) {
      m.bones[mb.pointBone[p]].rigidPoints.push_back(uint16_t(p));
    } else {
      // Equal weights, parent first: the reader's stable sort keeps this order.
      m.blends.push_back({uint16_t(p), {uint16_t(it->second.second), uint16_t(it->second.first)}, {0.5f, 0.5f}});
    }
  }
  std::map<std::array<float, 12>, uint32_t> poolIndex;
  auto poseIndex = [&](const M4& k) {
    auto key = PoseFromMatrix(k);
    auto it = poolIndex.find(key);
    if (it != poolIndex.end()) return it->second;
    uint32_t idx = uint32_t(m.poses.size());
    m.poses.push_back(key);
    poolIndex[key] = idx;
    return idx;
  };
  auto world = [&](const PoseAngles& a, M4* out) {
    for (int b = 0; b < kBoneCount; ++b) {
      V3 r = a.rot[b] + base.rot[b];
      M4 local = RotationX(r.x) * RotationY(r.y) * RotationZ(r.z);
      if (kParent[b] < 0) out[b] = local * Translation(s.joint[b] + V3{a.step, a.lift + base.lift, 0});
      else out[b] = local * Translation(s.joint[b] - s.joint[kParent[b]]) * out[kParent[b]];
    }
  };
  auto setFrame = [&](uint32_t f, const PoseAngles& a) {
    M4 w[kBoneCount];
    world(a, w);
    for (int b = 0; b < kBoneCount; ++b) m.bones[b].poseOfFrame[f] = poseIndex(Translation(s.joint[b] * -1.0) * w[b]);
  };
  PoseAngles rest;
  for (uint32_t f = 0; f < frameCount; ++f) setFrame(f, rest);
  m.frameCount = frameCount;
  for (const MotionSpec& ms : motions) {
    for (int f = ms.first; f <= ms.last && f < int(frameCount); ++f) {
      PoseAngles a;
      ms.anim(double(f - ms.first) / std::max(1, ms.last - ms.first), a);
      setFrame(uint32_t(f), a);
    }
    ModelMotion& mo = m.motions[ms.number];
    mo.defined = true;
    mo.first = float(ms.first);
    mo.last = float(ms.last);
    mo.loopTo = ms.loopTo;
    mo.speed = ms.speed;
    mo.next = ms.next;
  }
}

// Motion library.
void Breathe(double t, PoseAngles& p) {
  p.rot[kSpine1].z = 0.02 * std::sin(2 * kPi * t);
  p.rot[kLUpper].x = 0.05; p.rot[kRUpper].x = -0.05;
}
void Walk(double t, PoseAngles& p) {
  double w = 2 * kPi * t, s = std::sin(w);
  p.rot[kLThigh].z = 0.45 * s;
  p.rot[kRThigh].z = -0.45 * s;
  p.rot[kLCalf].z = -0.5 * std::max(0.0, -std::sin(w + 0.6));
  p.rot[kRCalf].z = -0.5 * std::max(0.0, std::sin(w + 0.6));
  p.rot[kLFoot].z = 0.15 * s; p.rot[kRFoot].z = -0.15 * s;
  p.rot[kLUpper].z = -0.35 * s; p.rot[kRUpper].z = 0.35 * s;
  p.rot[kLFore].z = 0.3; p.rot[kRFore].z = 0.3;
  p.rot[kLUpper].x = 0.08; p.rot[kRUpper].x = -0.08;
  p.rot[kSpine].y = 0.08 * s;
  p.lift = -2.0 * std::fabs(std::cos(w));
}
void Turn(double t, PoseAngles& p) {
  double b = Bell(t * 2), c = Bell(t * 2 - 1);
  p.rot[kLThigh].z = 0.35 * b; p.rot[kLCalf].z = -0.5 * b;
  p.rot[kRThigh].z = 0.35 * c; p.rot[kRCalf].z = -0.5 * c;
  p.rot[kSpine].y = 0.1 * Bell(t);
}
Animation ArmGesture(Bone upper, Bone fore, double raise, double bend, double side) {
  return [=](double t, PoseAngles& p) {
    double b = Bell(t);
    p.rot[upper].z = raise * b;
    p.rot[upper].x = side * b;
    p.rot[fore].z = bend * b;
    p.rot[kSpine1].z = 0.04 * b;
    p.rot[kNeck].y = 0.1 * std::sin(4 * kPi * t) * b;
  };
}
void BothHands(double t, PoseAngles& p) {
  double b = Bell(t);
  p.rot[kLUpper].z = 0.5 * b; p.rot[kRUpper].z = 0.5 * b;
  p.rot[kLFore].z = 1.0 * b; p.rot[kRFore].z = 1.0 * b;
  p.rot[kLUpper].x = 0.3 * b; p.rot[kRUpper].x = -0.3 * b;
}
void Shrug(double t, PoseAngles& p) {
  double b = Bell(t);
  p.rot[kLClav].x = 0.25 * b; p.rot[kRClav].x = -0.25 * b;
  p.rot[kLFore].z = 0.8 * b; p.rot[kRFore].z = 0.8 * b;
  p.rot[kNeck].x = 0.15 * b;
}
void LookAround(double t, PoseAngles& p) {
  p.rot[kNeck].y = 0.5 * std::sin(2 * kPi * t);
  p.rot[kSpine1].y = 0.15 * std::sin(2 * kPi * t);
}
void ShiftWeight(double t, PoseAngles& p) {
  double b = Bell(t);
  p.rot[kPelvis].x = 0.06 * b;
  p.rot[kLThigh].x = -0.06 * b; p.rot[kRThigh].x = -0.06 * b;
  p.rot[kSpine].x = -0.08 * b;
}
void Bend(double t, PoseAngles& p) {  // bend down and take
  double b = Bell(t);
  p.rot[kSpine].z = -0.7 * b;
  p.rot[kLThigh].z = 0.5 * b; p.rot[kRThigh].z = 0.5 * b;
  p.rot[kLCalf].z = -0.9 * b; p.rot[kRCalf].z = -0.9 * b;
  p.rot[kRUpper].z = 0.9 * b;
  p.lift = -16 * b;
}
void ScratchHead(double t, PoseAngles& p) {
  double b = Bell(t);
  p.rot[kRUpper].z = 1.2 * b; p.rot[kRUpper].x = -0.9 * b; p.rot[kRFore].z = 2.0 * b;
  p.rot[kRHand].y = 0.3 * std::sin(10 * kPi * t) * b;
}
void Nod(double t, PoseAngles& p) { p.rot[kNeck].z = -0.25 * std::sin(4 * kPi * t) * Bell(t); }

// Pressing a button at `target` (model space: forward x, up y, left z) with the left hand:
// a step forward with the right foot, the left foot staying where it stood, the arm
// straight out with the fingers on the target at the middle of the motion.
Animation Reach(V3 target) {
  const Skeleton s = MakeSkeleton(175);
  const double leg = s.joint[kRThigh].y - s.joint[kRFoot].y;
  const V3 shoulder = s.joint[kLUpper];
  // Shoulder to fingertips with the arm straight, the fingers a little into the button.
  const double reach = (shoulder.y - s.joint[kLHand].y) + 14 - 2;
  double step = 0, lift = 0;
  for (int i = 0; i < 4; ++i) {
    const double dy = target.y - (shoulder.y + lift), dz = target.z - shoulder.z;
    step = std::max(0.0, target.x - std::sqrt(std::max(0.0, reach * reach - dy * dy - dz * dz)));
    lift = -leg * (1 - std::cos(std::asin(std::min(0.9, step / leg))));
  }
  const double stride = std::asin(std::min(0.9, step / leg));
  const V3 arm = Normalize(target - (shoulder + V3{step, lift, 0}));
  const double raise = std::atan2(arm.x, -arm.y), side = -std::asin(arm.z);
  return [=](double t, PoseAngles& p) {
    const double b = Bell(t);
    p.step = step * b;
    p.lift = lift * b;
    p.rot[kLThigh].z = -stride * b;  // the left foot stays behind
    p.rot[kLFoot].z = stride * b;
    p.rot[kRThigh].z = stride * b;   // the right foot steps forward
    p.rot[kRFoot].z = -stride * b;
    p.rot[kLUpper].z = raise * b;
    p.rot[kLUpper].x = side * b;
    p.rot[kRUpper].z = -0.15 * b;
    p.rot[kNeck].z = 0.1 * b;
  };
}

std::vector<MotionSpec> HeroMotions(V3 pressTarget) {
  std::vector<MotionSpec> m;
  m.push_back({0, 0, 31, 0.0f, 0.5f, 0, Breathe});
  m.push_back({1, 40, 90, -1, 1, 0, LookAround});
  m.push_back({2, 100, 140, -1, 1, 0, ShiftWeight});
  m.push_back({3, 150, 190, -1, 1, 0, ArmGesture(kRUpper, kRFore, 0.6, 1.1, -0.1)});
  m.push_back({4, 200, 245, -1, 1, 0, BothHands});
  m.push_back({5, 250, 290, -1, 1, 0, Shrug});
  m.push_back({6, 300, 345, -1, 1, 0, ArmGesture(kRUpper, kRFore, 1.3, 0.2, -0.2)});
  m.push_back({7, 350, 400, -1, 1, 0, ScratchHead});
  m.push_back({8, 410, 445, 410.0f, 1, 0, Walk});
  m.push_back({9, 450, 485, 450.0f, 0.5f, 0, Walk});
  m.push_back({12, 500, 515, -1, 1, 0, Turn});
  m.push_back({13, 520, 535, -1, 1, 0, Turn});
  m.push_back({21, 550, 595, -1, 1, 0, Bend});
  m.push_back({22, 600, 640, -1, 1, 0, ArmGesture(kRUpper, kRFore, 1.6, 0.3, -0.1)});
  m.push_back({26, 650, 690, -1, 1, 0, ArmGesture(kLUpper, kLFore, 0.7, 1.0, 0.1)});
  m.push_back({27, 700, 740, -1, 1, 0, Nod});
  m.push_back({29, 750, 795, -1, 1, 0, BothHands});
  // Pressing a call button of the landing: the fingers are on it at frame 1836, when the
  // scripts act.
  m.push_back({35, 1820, 1852, -1, 1, 0, Reach(pressTarget)});
  return m;
}

std::vector<MotionSpec> OldManMotions() {
  std::vector<MotionSpec> m;
  m.push_back({0, 0, 31, 0.0f, 0.4f, 0, Breathe});
  m.push_back({1, 40, 90, -1, 0.8f, 0, LookAround});
  m.push_back({8, 100, 140, 100.0f, 0.8f, 0, Walk});
  m.push_back({12, 150, 165, -1, 1, 0, Turn});
  m.push_back({13, 170, 185, -1, 1, 0, Turn});
  m.push_back({26, 200, 245, -1, 0.8f, 0, ArmGesture(kRUpper, kRFore, 0.7, 1.2, -0.1)});
  m.push_back({27, 250, 290, -1, 0.8f, 0, Nod});
  m.push_back({28, 300, 350, -1, 0.8f, 0, Shrug});
  m.push_back({29, 360, 405, -1, 0.8f, 0, BothHands});
  m.push_back({30, 410, 460, -1, 0.8f, 0, ArmGesture(kLUpper, kLFore, 1.2, 0.4, 0.2)});
  return m;
}

ModelData Character(double height, double bulk, bool withHead, const std::vector<MotionSpec>& motions,
                    uint32_t frames, const PoseAngles& base, const std::string& texture) {
  ModelData m;
  Skeleton s = MakeSkeleton(height);
  MeshBuilder mb{m, {}, {}};
  BuildBody(mb, s, bulk, withHead);
  Animate(m, s, mb, motions, frames, base);
  m.cullMode = 2;
  m.texture = texture;
  return m;
}

// The hero's head, hung on "Bip01 Neck": its points stand where the body's neck is in
// the bind pose, so the neck's pose carries it.
ModelData Head() {
  ModelData m;
  Skeleton s = MakeSkeleton(175);
  MeshBuilder mb{m, {}, {}};
  HeadMesh(mb, s.joint[kHead], 0);
  ModelBone bone;
  bone.name = "Bip01 Head";
  bone.poseOfFrame = {0, 0};
  for (size_t p = 0; p < m.points.size(); ++p) bone.rigidPoints.push_back(uint16_t(p));
  m.bones.push_back(bone);
  m.poses.push_back(PoseFromMatrix(M4{}));
  m.frameCount = 2;
  m.motions[0] = {true, 0, 1, 0, 0.5f, 0};
  m.cullMode = 2;
  m.texture = "golova.bmp";
  return m;
}

// A bottle prop (fewer than 257 points), written in the older layout.
ModelData Bottle() {
  ModelData m;
  MeshBuilder mb{m, {}, {}};
  mb.Tube({0, 0, 0}, {0, 22, 0}, 4.5, 4.5, 1.0, 0, -1, 0.0f, 0.0f, 1.0f, 0.6f, false);
  mb.Tube({0, 22, 0}, {0, 34, 0}, 4.5, 1.6, 1.0, 0, -1, 0.0f, 0.6f, 1.0f, 1.0f, true);
  ModelBone bone;
  bone.name = "Bottle";
  bone.poseOfFrame = {0};
  for (size_t p = 0; p < m.points.size(); ++p) bone.rigidPoints.push_back(uint16_t(p));
  m.bones.push_back(bone);
  m.poses.push_back(PoseFromMatrix(M4{}));
  m.frameCount = 1;
  m.motions[0] = {true, 0, 0, -1, 1, 0};
  m.cullMode = 2;
  m.texture = "butylka.bmp";
  return m;
}

}  // namespace

void BuildModels(Output& out, V3 pressTarget) {
  PoseAngles none;
  out.Add("models/gorin.md",
          EncodeModel(Character(175, 1.0, false, HeroMotions(pressTarget), 1860, none, "gorin.bmp"), false));
  out.Add("models/golova.md", EncodeModel(Head(), false));
  PoseAngles stoop;
  stoop.rot[kSpine1].z = -0.18;
  stoop.rot[kNeck].z = 0.12;
  out.Add("models/ded.md", EncodeModel(Character(165, 0.92, true, OldManMotions(), 470, stoop, "ded.bmp"), false));
  ModelData bottle = Bottle();
  out.Add("models/butylka.md", EncodeModel(bottle, true));

  // Skins are read by the texture loader, which takes loose files only.
  out.Add("models/gorin.bmp", EncodeBmp24(SkinTexture({{58, 78, 112, 255}, {52, 52, 60, 255}, {226, 186, 160, 255},
                                                       {40, 30, 24, 255}, {70, 48, 30, 255}})), true);
  out.Add("models/golova.bmp", EncodeBmp24(SkinTexture({{58, 78, 112, 255}, {52, 52, 60, 255}, {226, 186, 160, 255},
                                                        {40, 30, 24, 255}, {70, 48, 30, 255}})), true);
  out.Add("models/ded.bmp", EncodeBmp24(SkinTexture({{110, 96, 70, 255}, {70, 60, 50, 255}, {214, 170, 150, 255},
                                                     {50, 40, 30, 255}, {210, 210, 205, 255}})), true);
  Image glass(32, 32, {30, 110, 50, 255});
  glass.FillRect(0, 10, 32, 20, {220, 210, 170, 255});
  out.Add("models/butylka.bmp", EncodeBmp24(glass), true);
}

}  // namespace tarvex::demo
