// The ".md" model file writer (signed layout with the "(c)Vexo 2001 " signature and
// u32 pose indices, or the older unsigned layout with u16 pose indices).
#pragma once
#include <array>
#include <string>
#include <vector>

#include "formats/math3d.h"
#include "formats/output.h"

namespace tarvex::formats {

struct ModelMotion {
  bool defined = false;
  float first = 0, last = 0, loopTo = -1, speed = 1;
  uint32_t next = 0;
};

struct ModelBone {
  std::string name;
  std::array<float, 12> rest{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  std::vector<uint16_t> rigidPoints;
  std::vector<uint32_t> poseOfFrame;  // frameCount entries
  V3 attachOffset{0, 0, 0}, attachRotation{0, 0, 0}, attachScale{100, 100, 100};
  uint8_t attachCull = 3;
};

struct ModelBlend {
  uint16_t point;
  std::vector<uint16_t> bones;
  std::vector<float> weights;
};

struct ModelData {
  std::vector<V3> points, normals;
  std::vector<std::array<uint16_t, 3>> triangles;
  std::vector<std::array<float, 2>> uvs;               // one per render vertex
  std::vector<std::vector<uint16_t>> pointVertices;    // per point
  std::vector<std::array<float, 12>> poses;
  std::vector<ModelBone> bones;
  std::vector<ModelBlend> blends;
  uint32_t frameCount = 1;
  uint8_t cullMode = 0;
  std::string texture;
  ModelMotion motions[256];
  uint8_t alphaTest = 0;
};

// The 12 floats of a pose: rows 0..2 of the 3x3 part, then the translation.
std::array<float, 12> PoseFromMatrix(const M4& m);
// Signed layout: version 257 (no axis conversion). The older layout stores no version
// or signature; its first word is the point count, which must stay below 257 so that
// readers convert its z-up axes: points, normals and placements are written z-up and
// poses pre-multiplied accordingly.
Bytes EncodeModel(const ModelData& m, bool olderLayout);

}  // namespace tarvex::formats
