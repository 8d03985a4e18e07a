#include "formats/scene_files.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace tarvex::formats {

std::string SceneName(int number, const std::string& suffix) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "scenes/scr_%3.3d", number);
  return buf + suffix;
}

Bytes EncodeDepth(const std::vector<float>& depth) {
  Bytes b;
  b.reserve(depth.size() * 4);
  for (float d : depth) PutF32(b, d);
  return b;
}

float QuantiseFloorDepth(float d) {
  uint32_t bits;
  std::memcpy(&bits, &d, 4);
  bits = (bits + 0x80u) & ~0xFFu;
  float q;
  std::memcpy(&q, &bits, 4);
  return q;
}

static void PackBits(const uint8_t* data, int n, Bytes& out) {
  Bytes coded;
  int i = 0;
  while (i < n) {
    int run = 1;
    while (i + run < n && run < 128 && data[i + run] == data[i]) ++run;
    if (run >= 2) {
      coded.push_back(uint8_t(run - 1));
      coded.push_back(data[i]);
      i += run;
      continue;
    }
    int start = i, lit = 0;
    while (i < n && lit < 128) {
      if (i + 1 < n && data[i + 1] == data[i]) break;
      ++i;
      ++lit;
    }
    coded.push_back(uint8_t(int8_t(-lit)));
    coded.insert(coded.end(), data + start, data + start + lit);
  }
  out.push_back(uint8_t(coded.size() >> 8));
  out.push_back(uint8_t(coded.size()));
  out.insert(out.end(), coded.begin(), coded.end());
}

Bytes EncodeFloorDepth(const std::vector<float>& floorDepth) {
  Bytes out(2400, 0);
  uint8_t channel[7][800];
  for (int y = 0; y < 600; ++y) {
    uint32_t offset = uint32_t(out.size()) + 740;
    size_t t = 2396 - 4 * size_t(y);
    out[t] = uint8_t(offset >> 24); out[t + 1] = uint8_t(offset >> 16);
    out[t + 2] = uint8_t(offset >> 8); out[t + 3] = uint8_t(offset);
    std::memset(channel, 0, sizeof(channel));
    for (int x = 0; x < 800; ++x) {
      float d = floorDepth[size_t(y) * 800 + x];
      float q = std::isnan(d) ? -1000000.0f : QuantiseFloorDepth(d);
      uint32_t bits;
      std::memcpy(&bits, &q, 4);
      channel[3][x] = uint8_t(bits >> 24);
      channel[4][x] = uint8_t(bits >> 16);
      channel[5][x] = uint8_t(bits >> 8);
      channel[6][x] = uint8_t(bits);
    }
    for (int c = 0; c < 7; ++c) PackBits(channel[c], 800, out);
  }
  return out;
}

Bytes EncodeWalkMask(const std::vector<uint8_t>& floorClass) {
  Bytes mask(400 * 300, 255);
  for (int cy = 0; cy < 300; ++cy)
    for (int cx = 0; cx < 400; ++cx) {
      uint8_t v[4] = {floorClass[size_t(2 * cy) * 800 + 2 * cx], floorClass[size_t(2 * cy) * 800 + 2 * cx + 1],
                      floorClass[size_t(2 * cy + 1) * 800 + 2 * cx], floorClass[size_t(2 * cy + 1) * 800 + 2 * cx + 1]};
      uint8_t cell = 0;
      for (uint8_t c : v) {
        if (c == 255) { cell = 255; break; }
        if (c != 0) cell = c;
      }
      mask[size_t(cy) * 400 + cx] = cell;
    }
  return mask;
}

static double Round3(double v) { return std::round(v * 1000.0) / 1000.0; }

void RoundCamera(Camera& cam) {
  cam.eye = {Round3(cam.eye.x), Round3(cam.eye.y), Round3(cam.eye.z)};
  cam.target = {Round3(cam.target.x), Round3(cam.target.y), Round3(cam.target.z)};
  cam.fovDegrees = Round3(cam.fovDegrees);
  cam.rollDegrees = Round3(cam.rollDegrees);
  cam.Build();
}

static std::string Num(double v) {
  char buf[64];
  double r = Round3(v);
  if (r == 0) r = 0;  // no "-0.000"
  std::snprintf(buf, sizeof buf, "%.3f", r);
  return buf;
}
static std::string Num6(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", v);
  return buf;
}
static std::string Triple(V3 engine) {
  V3 f = FileFromEngine(engine);
  return "(" + Num(f.x) + ", " + Num(f.y) + ", " + Num(f.z) + ")";
}

// Every section is found by searching for its keyword anywhere in the file, so no other
// text here may contain one (the names below are chosen with that in mind).
std::string SceneDescriptionText(const SceneDescription& s) {
  std::string t;
  t += "CAMERA\r\n";
  t += "  eye " + Triple(s.camera.eye) + "\r\n";
  t += "  target " + Triple(s.camera.target) + "\r\n";
  t += "  fov (" + Num(s.camera.fovDegrees) + ")\r\n";
  t += "  lens (0)\r\n";
  t += "  roll (" + Num(s.camera.rollDegrees) + ")\r\n";
  t += "SCALE (" + Num(s.scale) + ")\r\n";
  t += "AMBIENT (" + Num(s.ambient.z) + ", " + Num(s.ambient.y) + ", " + Num(s.ambient.x) + ")\r\n";
  t += "START " + Triple(s.start) + "\r\n";
  t += "  heading (" + Num(s.startHeading) + ")\r\n";
  t += "FIRES (0)\r\n";
  t += "POINTLIGHT (" + std::to_string(s.lights.size()) + ")\r\n";
  for (const PointLight& l : s.lights) {
    t += "  light " + Triple(l.position) + " range (" + Num(l.range) + ") att (" + Num6(l.a0) + ") (" +
         Num6(l.a1) + ") (" + Num6(l.a2) + ") colour (" + Num(l.colour.x) + ") (" + Num(l.colour.y) + ") (" +
         Num(l.colour.z) + ")\r\n";
  }
  if (!s.particles.empty()) {
    t += "PARTICLES (" + std::to_string(s.particles.size()) + ")\r\n";
    for (const SceneParticles& p : s.particles)
      t += "  emitter " + Triple(p.position) + " size (" + Num(p.scale) + ") file (" + p.file + ")\r\n";
  }
  if (s.mirror) {
    t += "MIRROR\r\n";
    for (int i = 0; i < 4; ++i) t += "  corner " + Triple(s.mirrorCorners[i]) + "\r\n";
    t += "  offset (" + Num(s.mirrorValue) + ")\r\n";
  }
  return t;
}

}  // namespace tarvex::formats
