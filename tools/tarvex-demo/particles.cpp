#include "particles.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "formats/image.h"

namespace tarvex::demo {

using namespace tarvex::formats;

namespace {

constexpr size_t kRecordSize = 107072;

struct Record {
  Bytes b = Bytes(kRecordSize, 0);
  void U8(size_t at, uint8_t v) { b[at] = v; }
  void U32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
  }
  void F32(size_t at, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    U32(at, u);
  }
  void F3(size_t at, float x, float y, float z) { F32(at, x); F32(at + 4, y); F32(at + 8, z); }
  void Name(size_t at, const std::string& s) {
    for (size_t i = 0; i < s.size() && i < 130; ++i) b[at + i] = uint8_t(s[i]);
  }
  Bytes File(size_t n) const {
    Bytes out;
    PutU32(out, uint32_t(n));
    out.insert(out.end(), b.begin(), b.begin() + n);
    return out;
  }
};

Image SoftBlob(int size, Rgba colour, double hardness) {
  Image img(size, size, {colour.r, colour.g, colour.b, 0});
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double d = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0) / (size / 2.0);
      double a = std::clamp(1.0 - d, 0.0, 1.0);
      a = std::pow(a, hardness);
      img.Set(x, y, {colour.r, colour.g, colour.b, uint8_t(std::lround(a * 255))});
    }
  return img;
}

}  // namespace

void WriteParticleFiles(Output& out) {
  // Steam: a continuous soft plume, drifting and spinning; the whole record is stored.
  Record s;
  s.U8(0, 1);
  s.U8(2, 2);                   // emit every 2 ticks
  s.U32(4, 0x90E8E8E8);         // start colour
  s.U32(8, 0x00FFFFFF);         // fades out
  s.U32(12, 40);
  s.U8(20, 2);                  // source alpha / inverse source alpha
  s.F3(36, 0.0f, 1.4f, 0.4f);   // velocity
  s.F3(48, 0.0f, 0.03f, 0.0f);  // acceleration
  s.F32(60, 5.0f);
  s.F32(64, 0.35f);
  s.U8(72, 1);                  // colour fades over the life
  s.Name(73, "textures/particles/steam.tga");
  s.F3(224, 0.5f, 0.3f, 0.5f);
  s.F3(248, 3.0f, 1.0f, 3.0f);
  s.U32(264, 1);
  s.U8(268, 1);                 // continuous
  s.F32(292, 8.0f);
  s.F32(296, 1.0f);
  s.F32(300, 2.0f);
  s.U32(308, 120);
  s.U32(316, 60);
  s.F32(320, 12.0f);
  s.F3(106828, 2.0f, 0.0f, 1.0f);  // spawn sway
  s.F3(106864, 0.05f, 0.0f, 0.03f);
  s.U8(107005, 1);
  s.F32(107008, 0.04f);
  s.F32(107060, 1.0f);
  out.Add(kSteamParticleFile, s.File(kRecordSize), true);

  // Sparks: bursts on an on/off cycle, falling, additive; only the leading part is stored.
  Record k;
  k.U8(0, 1);
  k.U8(2, 1);
  k.U32(4, 0xFFFFE890);
  k.U32(8, 0x00FF5010);
  k.U32(12, 14);
  k.U8(20, 0);                  // one / one
  k.F3(36, -1.5f, 1.5f, 0.0f);
  k.F3(48, 0.0f, -0.35f, 0.0f);
  k.F32(60, 1.2f);
  k.F32(64, -0.02f);
  k.Name(73, "textures/particles/spark.tga");
  k.F3(224, 2.5f, 2.5f, 2.5f);
  k.F3(236, 0.0f, 0.1f, 0.0f);
  k.F3(248, 1.0f, 1.0f, 1.0f);
  k.U32(264, 5);
  k.U8(268, 0);                 // on/off cycle
  k.U32(272, 12);
  k.U32(276, 45);
  k.F32(284, 4.0f);
  k.F32(288, 30.0f);
  k.F32(292, 3.0f);
  k.F32(300, 0.6f);
  k.U32(308, 200);
  k.U32(316, 22);
  k.F32(320, 8.0f);
  out.Add(kSparkParticleFile, k.File(328), true);

  out.Add("textures/particles/steam.tga", EncodeTga32(SoftBlob(64, {235, 238, 240, 255}, 1.6)), true);
  out.Add("textures/particles/spark.tga", EncodeTga32(SoftBlob(16, {255, 230, 160, 255}, 0.8)), true);
}

}  // namespace tarvex::demo
