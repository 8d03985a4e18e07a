// The demo game generator, checked with independent readers: ImageMagick for the
// pictures, ffprobe/ffmpeg for music and videos, GLM for the camera, and small
// parsers here for packages, floor depth, walk masks, models and text tables.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

std::string Shell(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  int rc = pclose(p);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

Bytes ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}
uint32_t U32(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }
uint16_t U16(const Bytes& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }
float F32(const Bytes& b, size_t at) {
  uint32_t u = U32(b, at);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

// The three outputs (loose, packed, loose again) are made once per build of the
// generator and shared between the test processes.
struct Generated {
  std::string loose, packed, again;
  bool ok = false;
};
Generated& Demo() {
  static Generated g = [] {
    Generated r;
    r.loose = tarvex::test::GeneratedDemo("loose", true);
    r.packed = tarvex::test::GeneratedDemo("packed", false);
    r.again = tarvex::test::GeneratedDemo("again", true);
    r.ok = !r.loose.empty() && !r.packed.empty() && !r.again.empty();
    return r;
  }();
  return g;
}
fs::path Loose(const std::string& rel) { return fs::path(Demo().loose) / rel; }

// The scene description, read the way the engine reads it: each section found by its
// keyword, numbers taken from after the next opening bracket.
struct SceneText {
  std::string text;
  size_t pos = 0;
  bool Find(const char* key) {
    pos = text.find(key);
    if (pos == std::string::npos) return false;
    pos += std::strlen(key);
    return true;
  }
  double Number() {
    while (pos < text.size() && text[pos] != '-' && text[pos] != '.' && !isdigit(uint8_t(text[pos]))) ++pos;
    size_t start = pos++;
    while (pos < text.size() && (isdigit(uint8_t(text[pos])) || text[pos] == '.')) ++pos;
    return std::atof(text.substr(start, pos - start).c_str());
  }
  void Open() {
    size_t p = text.find_first_of("{[(", pos);
    pos = p == std::string::npos ? text.size() : p + 1;
  }
  double Single() { Open(); return Number(); }
  glm::dvec3 Triple() {
    Open();
    double a = Number(), b = Number(), c = Number();
    return {-a, c, -b};  // z-up file point to the engine's y-up point
  }
};

struct SceneCamera {
  glm::dvec3 eye, target;
  double fov = 0, roll = 0;
  glm::dmat3 toWorld;
  double p00 = 0, p11 = 0;
  glm::dvec3 start;
  glm::dmat4 view;

  glm::dvec3 Unproject(double x, double y, double d) const {
    glm::dvec3 dir((2 * x / 800 - 1) / p00, -(2 * y / 600 - 1) / p11, 1);
    return eye + (-d) * (toWorld * dir);
  }
  bool Project(glm::dvec3 p, double& sx, double& sy, double& z) const {
    glm::dvec4 v = view * glm::dvec4(p, 1);
    if (v.z <= 0) return false;
    sx = (v.x * p00 / v.z + 1) * 400;
    sy = (1 - v.y * p11 / v.z) * 300;
    z = v.z;
    return true;
  }
};

SceneCamera ReadCamera(int scene) {
  char name[64];
  std::snprintf(name, sizeof name, "scenes/scr_%3.3d.txt", scene);
  Bytes b = ReadAll(Loose(name));
  SceneText t{std::string(b.begin(), b.end())};
  SceneCamera c;
  EXPECT_TRUE(t.Find("CAMERA"));
  c.eye = t.Triple();
  c.target = t.Triple();
  c.fov = t.Single();
  t.Single();
  c.roll = t.Single();
  EXPECT_TRUE(t.Find("START"));
  c.start = t.Triple();
  EXPECT_EQ(c.roll, 0.0) << "the checks below assume no roll";
  c.view = glm::lookAtLH(c.eye, c.target, glm::dvec3(0, 1, 0));
  c.toWorld = glm::transpose(glm::dmat3(c.view));
  double h = 1.0 / std::tan(c.fov * 0.01745329 / 2);
  c.p11 = h;
  c.p00 = 0.75 * h;
  return c;
}

// The floor-depth file decoded independently of the engine.
bool DecodeFloorDepth(const Bytes& f, std::vector<float>& out) {
  out.assign(800 * 600, 0);
  if (f.size() < 2400) return false;
  for (int y = 0; y < 600; ++y) {
    size_t t = 2396 - 4 * size_t(y);
    uint32_t v = uint32_t(f[t]) << 24 | f[t + 1] << 16 | f[t + 2] << 8 | f[t + 3];
    if (v < 740) return false;
    size_t p = v - 740;
    uint8_t ch[7][800];
    for (int c = 0; c < 7; ++c) {
      if (p + 2 > f.size()) return false;
      size_t len = size_t(f[p]) << 8 | f[p + 1], end = p + 2 + len, x = 0;
      p += 2;
      if (end > f.size()) return false;
      while (p < end) {
        int8_t h = int8_t(f[p++]);
        if (h >= 0) {
          if (p >= end || x + h + 1 > 800) return false;
          for (int i = 0; i <= h; ++i) ch[c][x++] = f[p];
          ++p;
        } else {
          if (p + size_t(-h) > end || x + size_t(-h) > 800) return false;
          for (int i = 0; i < -h; ++i) ch[c][x++] = f[p++];
        }
      }
      if (x != 800) return false;
    }
    for (int x = 0; x < 800; ++x) {
      uint32_t bits = uint32_t(ch[3][x]) << 24 | ch[4][x] << 16 | ch[5][x] << 8 | ch[6][x];
      std::memcpy(&out[size_t(y) * 800 + x], &bits, 4);
    }
  }
  return true;
}

const int kWalkScenes[] = {0, 23, 24, 25, 75, 115, 131, 149};
const int kAllScenes[] = {0, 23, 24, 25, 75, 98, 115, 131, 134, 135, 149, 219, 250, 261, 287};

std::string SceneFile(int scene, const char* suffix) {
  char name[64];
  std::snprintf(name, sizeof name, "scenes/scr_%3.3d%s", scene, suffix);
  return name;
}

}  // namespace

TEST(Demo, RunsAndRepeatsByteForByte) {
  ASSERT_TRUE(Demo().ok);
  size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(Demo().loose)) {
    if (!e.is_regular_file()) continue;
    ++files;
    fs::path rel = fs::relative(e.path(), Demo().loose);
    ASSERT_EQ(ReadAll(e.path()), ReadAll(fs::path(Demo().again) / rel)) << rel;
  }
  EXPECT_GT(files, 300u);
}

TEST(Demo, PackagesHoldExactlyTheLooseFiles) {
  ASSERT_TRUE(Demo().ok);
  for (const char* top : {"texts", "scenes", "models", "animgfx", "gfx", "scripts"}) {
    Bytes pkg = ReadAll(fs::path(Demo().packed) / (std::string(top) + ".res"));
    ASSERT_GE(pkg.size(), 4u) << top;
    uint32_t count = U32(pkg, 0);
    ASSERT_LE(4 + 136ull * count, pkg.size());
    std::set<std::string> names;
    uint64_t dataStart = 4 + 136ull * count, expectNext = dataStart;
    for (uint32_t i = 0; i < count; ++i) {
      size_t at = 4 + 136 * size_t(i);
      const char* raw = reinterpret_cast<const char*>(&pkg[at]);
      size_t len = strnlen(raw, 128);
      ASSERT_LT(len, 128u);
      std::string name(raw, len);
      uint32_t off = U32(pkg, at + 128), size = U32(pkg, at + 132);
      EXPECT_EQ(name.rfind(std::string(top) + "/", 0), 0u) << name;
      EXPECT_TRUE(names.insert(name).second) << "duplicate " << name;
      EXPECT_EQ(off, expectNext) << name;  // packed back to back, no overlap
      ASSERT_LE(uint64_t(off) + size, pkg.size());
      expectNext = uint64_t(off) + size;
      Bytes loose = ReadAll(Loose(name));
      ASSERT_EQ(loose.size(), size) << name;
      EXPECT_TRUE(std::equal(loose.begin(), loose.end(), pkg.begin() + off)) << name;
      EXPECT_FALSE(fs::exists(fs::path(Demo().packed) / name)) << name << " also written loose";
    }
    EXPECT_EQ(expectNext, pkg.size());
    // Everything under the directory in the loose run is in the package.
    size_t looseCount = 0;
    for (const auto& e : fs::recursive_directory_iterator(Loose(top)))
      if (e.is_regular_file()) ++looseCount;
    size_t texturesInModels = 0;
    if (std::string(top) == "models")
      for (const auto& e : fs::directory_iterator(Loose(top))) texturesInModels += e.path().extension() == ".bmp";
    EXPECT_EQ(count + texturesInModels, looseCount) << top;
  }
  // Readers that take loose files only still find theirs in the packed output.
  for (const char* p : {"models/gorin.bmp", "textures/signs/sight000.tga", "data/particles/steam.prt",
                        "textures/tools/tool742.tga", "sound/dialog/dial0206.wav"})
    EXPECT_TRUE(fs::exists(fs::path(Demo().packed) / p)) << p;
}

TEST(Demo, PicturesAreWhatImageMagickReads) {
  ASSERT_TRUE(Demo().ok);
  struct Want {
    const char* path;
    const char* info;
  };
  const Want wants[] = {
      {"scenes/scr_000.tif", "800 600 8 3"},           {"scenes/scr_023.tif", "800 600 8 3"},
      {"gfx/main.tif", "800 600 8 3"},                 {"animgfx/scene000/Door000.tif", "130 560 8 3"},
      {"animgfx/scene000/Lift011.tif", "110 420 8 3"}, {"gfx/scene098/knopka09.bmp", "46 46 8 3"},
      {"textures/fonar.bmp", "256 256 8 3"},           {"textures/signs/sight001.tga", "32 32 8 4"},
      {"textures/toolbar/t4000.tga", "32 256 8 4"},    {"animgfx/scene250/sh000.tif", "486 390 8 3"},
  };
  for (const Want& w : wants) {
    std::string info = Shell("/usr/bin/identify -format '%w %h %z %[channels]' '" + Loose(w.path).string() + "' 2>&1");
    std::string expectChannels = std::string(w.info).back() == '4' ? "srgba" : "srgb";
    std::string want = std::string(w.info).substr(0, std::string(w.info).size() - 1) + expectChannels;
    EXPECT_EQ(info, want) << w.path;
  }
  // A door frame is a crop of the room: its closed frame matches the background there.
  std::string diff = Shell("/usr/bin/convert '" + Loose("scenes/scr_000.tif").string() +
                         "' -crop 130x560+125+0 +repage '" + Loose("animgfx/scene000/Door1000.tif").string() +
                         "' -compose difference -composite -format '%[fx:maxima]' info: 2>&1");
  EXPECT_LT(std::atof(diff.c_str()), 0.02) << diff;
}

TEST(Demo, FloorPixelsUnprojectOntoTheFloor) {
  ASSERT_TRUE(Demo().ok);
  for (int scene : kAllScenes) {
    SCOPED_TRACE(scene);
    SceneCamera cam = ReadCamera(scene);
    Bytes zbf = ReadAll(Loose(SceneFile(scene, ".zbf")));
    ASSERT_EQ(zbf.size(), 1920000u);
    Bytes msk = ReadAll(Loose(SceneFile(scene, "m.msk")));
    ASSERT_LE(msk.size(), 921600u);
    std::vector<float> floor;
    ASSERT_TRUE(DecodeFloorDepth(msk, floor));
    size_t floorPixels = 0, worst = 0;
    double worstError = 0;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x) {
        size_t k = size_t(y) * 800 + x;
        float d = floor[k];
        if (d < -100000) continue;
        ++floorPixels;
        float scenery = F32(zbf, k * 4);
        glm::dvec3 p = cam.Unproject(x, y, d), q = cam.Unproject(x, y, scenery);
        double e = std::max(std::fabs(p.y), std::fabs(q.y));
        if (e > worstError) worstError = e, worst = k;
      }
    EXPECT_LT(worstError, 1.0) << "pixel " << worst % 800 << "," << worst / 800;
    bool walkable = std::find(std::begin(kWalkScenes), std::end(kWalkScenes), scene) != std::end(kWalkScenes);
    if (walkable) EXPECT_GT(floorPixels, 50000u);
    else EXPECT_EQ(floorPixels, 0u);
  }
}

TEST(Demo, WalkMasksFreeOnlyVisibleFloorAndStartsStandOnIt) {
  ASSERT_TRUE(Demo().ok);
  for (int scene : kAllScenes) {
    SCOPED_TRACE(scene);
    Bytes mask = ReadAll(Loose(SceneFile(scene, "m.raw")));
    ASSERT_EQ(mask.size(), 120000u);
    std::vector<float> floor;
    ASSERT_TRUE(DecodeFloorDepth(ReadAll(Loose(SceneFile(scene, "m.msk"))), floor));
    std::map<int, size_t> values;
    for (int cy = 0; cy < 300; ++cy)
      for (int cx = 0; cx < 400; ++cx) {
        uint8_t v = mask[size_t(cy) * 400 + cx];
        ++values[v];
        int floorCount = 0;
        for (int j = 0; j < 2; ++j)
          for (int i = 0; i < 2; ++i) floorCount += floor[size_t(2 * cy + j) * 800 + 2 * cx + i] > -100000;
        if (v != 255) {
          ASSERT_EQ(floorCount, 4) << "free cell " << cx << "," << cy << " without floor";
        }
        if (floorCount == 0) {
          ASSERT_EQ(v, 255);
        }
      }
    bool walkable = std::find(std::begin(kWalkScenes), std::end(kWalkScenes), scene) != std::end(kWalkScenes);
    if (!walkable) {
      EXPECT_EQ(values[255], 120000u);
      continue;
    }
    EXPECT_GT(values[0], 10000u);
    SceneCamera cam = ReadCamera(scene);
    double sx, sy, z;
    ASSERT_TRUE(cam.Project(cam.start, sx, sy, z));
    ASSERT_TRUE(sx >= 0 && sx < 800 && sy >= 0 && sy < 600) << "start off the screen at " << sx << "," << sy;
    EXPECT_EQ(mask[size_t(sy / 2) * 400 + size_t(sx / 2)], 0) << "start at " << sx << "," << sy;
  }
  // The band of another value in the first room.
  Bytes m23 = ReadAll(Loose(SceneFile(23, "m.raw")));
  EXPECT_GT(std::count(m23.begin(), m23.end(), 7), 500);
}

TEST(Demo, ACharacterBehindThePillarIsHidden) {
  ASSERT_TRUE(Demo().ok);
  SceneCamera cam = ReadCamera(23);
  Bytes zbf = ReadAll(Loose(SceneFile(23, ".zbf")));
  // The pillar of the first room stands at (-150, 160); a point behind it on the line
  // of sight is farther than the scenery depth there, a point in front is nearer.
  glm::dvec3 pillar(-150, 100, 160), dir = glm::normalize(pillar - cam.eye);
  double sx, sy, z;
  ASSERT_TRUE(cam.Project(pillar, sx, sy, z));
  double sceneryZ = -F32(zbf, (size_t(sy) * 800 + size_t(sx)) * 4);
  double behindZ, frontZ;
  glm::dvec3 behind = pillar + dir * 80.0, front = pillar - dir * 80.0;
  ASSERT_TRUE(cam.Project(behind, sx, sy, behindZ));
  ASSERT_TRUE(cam.Project(front, sx, sy, frontZ));
  EXPECT_GT(behindZ, sceneryZ);
  EXPECT_LT(frontZ, sceneryZ);
}

// UTF-16 LE text table lines: id -> text.
std::map<int, std::u16string> ReadTable(const std::string& rel) {
  Bytes b = ReadAll(Loose(rel));
  std::map<int, std::u16string> lines;
  EXPECT_GE(b.size(), 2u);
  EXPECT_EQ(U16(b, 0), 0xFEFF) << rel;
  std::u16string all;
  for (size_t i = 2; i + 1 < b.size(); i += 2) all.push_back(char16_t(U16(b, i)));
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find(u"\r\n", start);
    EXPECT_NE(end, std::u16string::npos) << rel << ": line without CR LF";
    if (end == std::u16string::npos) break;
    std::u16string line = all.substr(start, end - start);
    size_t i = 0;
    int id = 0;
    while (i < line.size() && line[i] >= u'0' && line[i] <= u'9') id = id * 10 + (line[i++] - u'0');
    EXPECT_GT(i, 0u);
    EXPECT_TRUE(i < line.size() && (line[i] == u' ' || line[i] == u'\t'));
    lines[id] = line.substr(i + 1);
    start = end + 2;
  }
  return lines;
}

// Every line has its text and a voice; a line stays on the screen as long as its voice, so
// the voice lasts as long as reading the line takes (15 letters a second and half a second
// more, never under a second and a half). The closing credits last long enough to read. No
// remark speaks of a window: no room has one.
TEST(Demo, EveryLineHasTextAndAVoiceLongEnoughToRead) {
  ASSERT_TRUE(Demo().ok);
  auto dialog = ReadTable("texts/dialog.txt");
  auto otboy = ReadTable("texts/otboy.txt");
  auto zones = ReadTable("data/zones.txt");
  EXPECT_FALSE(zones.empty());
  std::vector<int> needed = {763, 767, 769, 775, 776, 777, 778, 1347};
  for (int id = 206; id <= 233; ++id) ASSERT_TRUE(dialog.count(id)) << id;
  for (int id : {445, 446, 447, 448, 471, 472, 473, 474, 475, 476, 477}) ASSERT_TRUE(dialog.count(id)) << id;
  for (int id : needed) ASSERT_TRUE(otboy.count(id)) << id;
  auto checkWav = [](const fs::path& p, size_t letters = 0) {
    Bytes w = ReadAll(p);
    ASSERT_GT(w.size(), 44u) << p;
    const double seconds = double(U32(w, 40)) / U32(w, 28);
    if (letters) {
      EXPECT_GE(seconds, std::max(1.5, letters / 15.0 + 0.5)) << p << ": " << letters << " letters";
    }
    EXPECT_EQ(U32(w, 40), w.size() - 44) << p;  // the rest of the header: demo_formats
  };
  char name[64];
  for (const auto& [id, text] : dialog) {
    EXPECT_FALSE(text.empty());
    std::snprintf(name, sizeof name, "sound/dialog/dial%4.4d.wav", id);
    checkWav(Loose(name), text.size());
  }
  for (const auto& [id, text] : otboy) {
    std::snprintf(name, sizeof name, "sound/otboy/%4.4d.wav", id);
    checkWav(Loose(name), text.size());
    EXPECT_EQ((u" " + text).find(u" окн"), std::u16string::npos) << id;
  }
  const std::string credits = Shell("ffprobe -v error -show_entries format=duration -of csv=p=0 '" +
                                    Loose("video/titres.bik").string() + "' 2>&1");
  EXPECT_GE(std::atof(credits.c_str()), 12.0) << credits;
  for (const char* p : {"sound/scene000/Lift_open.wav", "sound/scene098/9.wav", "sound/global/click.wav",
                        "sound/menu/menusound.wav", "sound/ambient/hospital.wav", "sound/stepfloor/step4.wav"})
    checkWav(Loose(p));
  // Sox agrees with the header.
  std::string info = Shell("sox --i -r '" + Loose("sound/scene098/error.wav").string() + "'");
  EXPECT_EQ(info, "22050\n");
}

// A minimal independent walk over a model file: every block in order, every point
// owned once (rigid or blended), the file consumed exactly.
struct ModelInfo {
  bool signed_ = false;
  uint32_t points = 0, frames = 0, poses = 0;
  std::vector<std::string> bones;
  float motion[256][4];
  bool defined[256];
  bool ok = false;
};

ModelInfo ReadModel(const std::string& rel) {
  Bytes b = ReadAll(Loose(rel));
  ModelInfo m;
  size_t o = 0;
  auto need = [&](size_t n) { return o + n <= b.size(); };
  if (!need(20)) return m;
  m.signed_ = std::memcmp(&b[4], "(c)Vexo 2001 ", 13) == 0;
  o = m.signed_ ? 20 : 0;
  if (!need(32 + 48)) return m;
  uint32_t pc = U32(b, o), tc = U32(b, o + 4), vc = U32(b, o + 8), bc = U32(b, o + 16), blc = U32(b, o + 20);
  m.points = pc;
  m.frames = U32(b, o + 24);
  m.poses = U32(b, o + 28);
  o += 32 + 48 + 24 * size_t(pc);
  if (!need(6 * size_t(tc))) return m;
  for (uint32_t t = 0; t < tc * 3; ++t)
    if (U16(b, o + 2 * t) >= vc) return m;
  o += 6 * size_t(tc) + 8 * size_t(vc);
  for (uint32_t p = 0; p < pc; ++p) {
    if (!need(1)) return m;
    o += 1 + 2 * size_t(b[o]);
  }
  o += 48 * size_t(m.poses);
  std::vector<int> owner(pc, 0);
  for (uint32_t i = 0; i < bc; ++i) {
    if (!need(64 + 48 + 4)) return m;
    m.bones.emplace_back(reinterpret_cast<const char*>(&b[o]), strnlen(reinterpret_cast<const char*>(&b[o]), 64));
    o += 64 + 48;
    uint32_t n = U32(b, o);
    o += 4;
    if (!need(2 * size_t(n))) return m;
    for (uint32_t k = 0; k < n; ++k) ++owner.at(U16(b, o + 2 * k));
    o += 2 * size_t(n);
    size_t w = m.signed_ ? 4 : 2;
    if (!need(w * m.frames)) return m;
    for (uint32_t f = 0; f < m.frames; ++f)
      if ((m.signed_ ? U32(b, o + 4 * f) : U16(b, o + 2 * f)) >= m.poses) return m;
    o += w * m.frames;
  }
  for (uint32_t i = 0; i < blc; ++i) {
    if (!need(4)) return m;
    ++owner.at(U16(b, o));
    uint32_t k = U16(b, o + 2);
    o += 4 + 6 * size_t(k);
  }
  for (int c : owner)
    if (c != 1) return m;
  o += 1 + 256 + 36 * size_t(bc);
  if (!need(44 * 256)) return m;
  for (int i = 0; i < 256; ++i) {
    for (int k = 0; k < 4; ++k) m.motion[i][k] = F32(b, o + 44 * i + 4 * k);
    m.defined[i] = b[o + 44 * i + 20] != 0;
  }
  o += 44 * 256 + bc + 72;
  m.ok = o == b.size();
  return m;
}

TEST(Demo, ModelsAreCompleteAndCarryTheMotionsTheScenesUse) {
  ASSERT_TRUE(Demo().ok);
  ModelInfo hero = ReadModel("models/gorin.md");
  ASSERT_TRUE(hero.ok);
  EXPECT_TRUE(hero.signed_);
  EXPECT_NE(std::find(hero.bones.begin(), hero.bones.end(), "Bip01 Neck"), hero.bones.end());
  for (int m : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 21, 22, 26, 27, 29, 35}) EXPECT_TRUE(hero.defined[m]) << m;
  EXPECT_LE(hero.motion[35][0], 1836.0f);
  EXPECT_GE(hero.motion[35][1], 1836.0f);
  EXPECT_LT(hero.motion[35][1], float(hero.frames));
  for (int m : {3, 4, 5, 6, 7, 26, 27, 29}) EXPECT_EQ(hero.motion[m][2], -1.0f) << "gestures end, not loop";
  EXPECT_TRUE(fs::exists(Loose("models/gorin.bmp")));

  ModelInfo oldMan = ReadModel("models/ded.md");
  ASSERT_TRUE(oldMan.ok);
  for (int m = 26; m <= 30; ++m) EXPECT_TRUE(oldMan.defined[m]) << m;
  ModelInfo head = ReadModel("models/golova.md");
  ASSERT_TRUE(head.ok);
  ModelInfo bottle = ReadModel("models/butylka.md");
  ASSERT_TRUE(bottle.ok);
  EXPECT_FALSE(bottle.signed_);
  EXPECT_LT(bottle.points, 257u) << "the older layout is recognised by its axis conversion";
}

TEST(Demo, ParticleFilesAndStructureName) {
  ASSERT_TRUE(Demo().ok);
  for (const char* p : {"data/particles/steam.prt", "data/particles/sparks.prt"}) {
    Bytes b = ReadAll(Loose(p));
    ASSERT_GE(b.size(), 4u + 308 + 4);
    uint32_t n = U32(b, 0);
    EXPECT_LE(n, 107072u);
    EXPECT_EQ(b.size(), 4u + n);
    std::string texture(reinterpret_cast<const char*>(&b[4 + 73]));
    EXPECT_TRUE(fs::exists(Loose(texture))) << texture;
    EXPECT_LE(U32(b, 4 + 308), 1024u);
  }
  Bytes txt = ReadAll(Loose(SceneFile(25, ".txt")));
  SceneText t{std::string(txt.begin(), txt.end())};
  ASSERT_TRUE(t.Find("PARTICLES"));
  EXPECT_EQ(t.Single(), 2.0);
  t.Triple();
  t.Single();
  t.Open();
  size_t end = t.text.find_first_of("}])", t.pos);
  EXPECT_EQ(t.text.substr(t.pos, end - t.pos), "data/particles/steam.prt");
  Bytes s = ReadAll(Loose("texts/structure.txt"));
  std::string structure(s.begin(), s.end());
  for (const char* key : {"TOOL 647", "TOOL 999", " CLICK 119", " DIAL 1505", " CLICKTOOLBAR 61"})
    EXPECT_NE(structure.find(key), std::string::npos) << key;
}

// ---- The scene scripts ("scripts/sceneNNN.lua"), read as the generator filled them in. ----

namespace {

const int kScriptScenes[] = {0, 23, 24, 25, 75, 115, 134, 135, 149, 219, 261};

// The script of a scene with the values of its upper-case constants ("local A, B = 1, 2")
// put in place of their names, so that every call names its numbers.
std::string ScriptText(int scene) {
  char name[32];
  std::snprintf(name, sizeof name, "scripts/scene%3.3d.lua", scene);
  Bytes b = ReadAll(Loose(name));
  std::string text(b.begin(), b.end());
  const std::regex constants(R"re(local ([A-Z_]+(?:, [A-Z_]+)*) = (-?\d+(?:, -?\d+)*))re");
  std::map<std::string, std::string> values;
  for (std::sregex_iterator m(text.begin(), text.end(), constants), end; m != end; ++m) {
    std::stringstream names((*m)[1].str()), numbers((*m)[2].str());
    for (std::string n, v; std::getline(names >> std::ws, n, ',') && std::getline(numbers >> std::ws, v, ',');)
      values[n] = v;
  }
  for (const auto& [n, v] : values) text = std::regex_replace(text, std::regex("\\b" + n + "\\b"), v);
  return text;
}

// Each match of `pattern` in the text: its groups, 1 on.
std::vector<std::vector<std::string>> Calls(const std::string& text, const std::string& pattern) {
  std::vector<std::vector<std::string>> out;
  const std::regex re(pattern);
  for (std::sregex_iterator m(text.begin(), text.end(), re), end; m != end; ++m) {
    out.emplace_back();
    for (size_t i = 1; i < m->size(); ++i) out.back().push_back((*m)[i].str());
  }
  return out;
}
int Num(const std::string& s) { return std::atoi(s.c_str()); }

// structure.txt's sections: the keyword lines of each tool, in order.
std::map<int, std::vector<std::pair<std::string, int>>> StructureSections() {
  Bytes b = ReadAll(Loose("texts/structure.txt"));
  std::stringstream text(std::string(b.begin(), b.end()));
  std::map<int, std::vector<std::pair<std::string, int>>> sections;
  int tool = -1;
  char key[32];
  int value;
  for (std::string line; std::getline(text, line);) {
    if (std::sscanf(line.c_str(), " %31s %d", key, &value) != 2) continue;
    if (std::string(key) == "TOOL") tool = value;
    else if (tool >= 0) sections[tool].push_back({key, value});
  }
  return sections;
}

bool HasLine(const std::vector<std::pair<std::string, int>>& section, const std::string& key) {
  return std::any_of(section.begin(), section.end(), [&](const auto& l) { return l.first == key; });
}

uint8_t MaskCell(int scene, double x, double y) {
  Bytes m = ReadAll(Loose(SceneFile(scene, "m.raw")));
  if (x < 0 || y < 0 || x >= 800 || y >= 600 || m.size() != 120000) return 255;
  return m[size_t(y / 2) * 400 + size_t(x / 2)];
}

}  // namespace

TEST(Demo, ScriptsAreWrittenForTheScenesWithoutContentLooseAndPacked) {
  ASSERT_TRUE(Demo().ok);
  Bytes pkg = ReadAll(fs::path(Demo().packed) / "scripts.res");
  ASSERT_GE(pkg.size(), 4u);
  std::set<std::string> packed;
  for (uint32_t i = 0, n = U32(pkg, 0); i < n && 4 + 136 * size_t(i + 1) <= pkg.size(); ++i)
    packed.insert(std::string(reinterpret_cast<const char*>(&pkg[4 + 136 * size_t(i)])));
  // The Lua compiler comes with script/bootstrap (package lua5.4).
  ASSERT_FALSE(Shell("command -v luac5.4").empty()) << "luac5.4 is missing: script/bootstrap installs lua5.4";
  for (int scene : kScriptScenes) {
    char name[32];
    std::snprintf(name, sizeof name, "scripts/scene%3.3d.lua", scene);
    ASSERT_TRUE(fs::exists(Loose(name))) << name;
    EXPECT_TRUE(packed.count(name)) << name;
    Bytes text = ReadAll(Loose(name));
    std::string s(text.begin(), text.end());
    EXPECT_EQ(s.find("$("), std::string::npos) << name << ": a place was left unfilled";
    EXPECT_NE(s.find("function run()"), std::string::npos) << name;
    int status = -1;
    std::string err = Shell("luac5.4 -p '" + Loose(name).string() + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << err;
  }
}

// Every call of every script, whatever branch it lies on: the tools it places have a line to
// look at them with, the files, remarks and scenes it names are in the game, the items it
// gives have their icon and lines, the notebook pages are the notebook's.
TEST(Demo, EverythingTheScriptsNameIsInTheGame) {
  ASSERT_TRUE(Demo().ok);
  auto sections = StructureSections();
  auto otboy = ReadTable("texts/otboy.txt");
  std::set<int> taken = {39, 47, 61, 62, 181, 188, 197, 212, 742};  // the items the player gets
  size_t placed = 0, said = 0;
  for (int scene : kScriptScenes) {
    SCOPED_TRACE(scene);
    const std::string text = ScriptText(scene);
    for (const auto& c : Calls(text, R"re(PlaceTool\((\d+), 1,)re")) {
      ++placed;
      EXPECT_TRUE(HasLine(sections[Num(c[0])], "LOOK")) << "tool " << c[0] << " lies in a room without a LOOK line";
    }
    for (const auto& c : Calls(text, R"re(PlaceToolPicture\("([^"]+)", (\d+),)re")) {
      EXPECT_TRUE(fs::exists(Loose(c[0]))) << c[0];
      EXPECT_TRUE(HasLine(sections[Num(c[1])], "LOOK")) << "tool " << c[1];
    }
    for (const auto& c : Calls(text, R"re((?:StartAmbient|PlayVideo)\("([^"]+)")re")) EXPECT_TRUE(fs::exists(Loose(c[0]))) << c[0];
    for (const auto& c : Calls(text, R"re(SetToolOwnership\((\d+), 1,)re")) taken.insert(Num(c[0]));
    for (const auto& c : Calls(text, R"re(PlayResponse\((\d+)\))re")) {
      ++said;
      EXPECT_TRUE(otboy.count(Num(c[0]))) << "remark " << c[0];
    }
    for (const auto& c : Calls(text, R"re(WriteNotebookPage\((\d+)\))re")) EXPECT_TRUE(Num(c[0]) >= 4 && Num(c[0]) <= 12) << c[0];
    for (const auto& c : Calls(text, R"re((?:GotoScene\(|exits = \{)(\d+(?:, \d+)*))re")) {
      std::stringstream scenes(c[0]);
      for (std::string n; std::getline(scenes >> std::ws, n, ',');)
        EXPECT_TRUE(fs::exists(Loose(SceneFile(Num(n), ".tif")))) << "scene " << n;
    }
  }
  EXPECT_GT(placed, 10u);  // the constants were read: tools are named by them
  EXPECT_GT(said, 5u);
  for (int tool : taken) {
    char icon[64];
    std::snprintf(icon, sizeof icon, "textures/tools/tool%3.3d.tga", tool);
    EXPECT_TRUE(fs::exists(Loose(icon))) << icon;
    EXPECT_TRUE(HasLine(sections[tool], "LOOKT") && HasLine(sections[tool], "OTBOY")) << tool;
  }
}

TEST(Demo, ScriptedHotspotsLieOnTheScreenAndWalksEndOnFreeFloor) {
  ASSERT_TRUE(Demo().ok);
  const std::string n = R"re((-?[\d.]+))re", list = n + ", " + n + ", " + n;
  for (int scene : kScriptScenes) {
    SCOPED_TRACE(scene);
    if (!std::count(std::begin(kWalkScenes), std::end(kWalkScenes), scene)) continue;
    const std::string text = ScriptText(scene);
    const auto regions = Calls(text, R"re(DefineRegion\(\d+, (\d+), (\d+), (\d+), (\d+), CURSOR_\w+, (\d+), (\d+),)re");
    auto rects = Calls(text, R"re(PlaceTool\(\d+, 1, (\d+), (\d+), (\d+), (\d+)\))re");
    rects.insert(rects.end(), regions.begin(), regions.end());
    for (const auto& r : rects) {
      const int l = Num(r[0]), t = Num(r[1]), right = Num(r[2]), b = Num(r[3]);
      EXPECT_TRUE(0 <= l && l + 4 < right && right <= 800 && 0 <= t && t + 4 < b && b <= 600)
          << l << "," << t << " " << right << "," << b;
    }
    auto walks = Calls(text, R"re((?:go(?:Do|Use)\(\d+, \w+, |WalkTo\(\d+, )(\d+), (\d+),)re");
    for (const auto& r : regions) walks.push_back({r[4], r[5]});
    for (const auto& w : walks) EXPECT_EQ(MaskCell(scene, Num(w[0]), Num(w[1])), 0) << "a walk to " << w[0] << "," << w[1];
    const auto places = Calls(text, R"re((?:CreateHero\(|enter\(\{[\d, ]*\}, |put\(|SetPosition\(\d+, ))re" + list);
    SceneCamera cam = ReadCamera(scene);
    for (const auto& p : places) {
      double sx, sy, z;
      ASSERT_TRUE(cam.Project({std::atof(p[0].c_str()), std::atof(p[1].c_str()), std::atof(p[2].c_str())}, sx, sy, z));
      EXPECT_EQ(MaskCell(scene, sx, sy), 0) << "a place at " << sx << "," << sy;
    }
    EXPECT_GT(walks.size(), 0u);
    EXPECT_GT(places.size(), 0u);
  }
}

TEST(Demo, ItemPicturesShowTheItemOverTheBackground) {
  ASSERT_TRUE(Demo().ok);
  size_t pictures = 0;
  for (int scene : kScriptScenes)
    for (const auto& c : Calls(ScriptText(scene), R"re(PlaceToolPicture\("([^"]+)", \d+, 1, 1, (\d+), (\d+),)re")) {
      SCOPED_TRACE(c[0]);
      ++pictures;
      const std::string file = c[0];
      const int x = Num(c[1]), y = Num(c[2]);
      std::string size = Shell("/usr/bin/identify -format '%w %h' '" + Loose(file).string() + "' 2>&1");
      int w = 0, h = 0;
      ASSERT_EQ(std::sscanf(size.c_str(), "%d %d", &w, &h), 2) << size;
      EXPECT_TRUE(x >= 0 && y >= 0 && x + w <= 800 && y + h <= 600);
      auto diff = [&](int cy, int ch, const char* measure) {
        char geometry[64], inner[64];
        std::snprintf(geometry, sizeof geometry, "%dx%d+%d+%d", w, ch, x, y + cy);
        std::snprintf(inner, sizeof inner, "%dx%d+0+%d", w, ch, cy);
        return std::atof(Shell("/usr/bin/convert '" + Loose(SceneFile(scene, ".tif")).string() + "' -crop " + geometry +
                               " +repage \\( '" + Loose(file).string() + "' -crop " + inner +
                               " +repage \\) -compose difference -composite -format '%[fx:" + measure + "]' info: 2>&1")
                             .c_str());
      };
      // The item is there, and the picture's edge joins the room it is drawn over.
      EXPECT_GT(diff(0, h, "maxima"), 0.15);
      EXPECT_LT(diff(0, 1, "maxima"), 0.03);
      EXPECT_LT(diff(h - 1, 1, "mean"), 0.01);
    }
  EXPECT_EQ(pictures, 6u);
}

TEST(Demo, ToolSectionsSayEveryReactionAndCombineTheLanternBothWays) {
  ASSERT_TRUE(Demo().ok);
  auto sections = StructureSections();
  auto otboy = ReadTable("texts/otboy.txt");
  for (const auto& [tool, lines] : sections) {
    SCOPED_TRACE(tool);
    for (size_t i = 0; i < lines.size(); ++i) {
      const auto& [key, value] = lines[i];
      if (key == "LOOK" || key == "USE" || key == "PICKUP" || key == "TALK" || key == "LOOKT" || key == "USET" ||
          key == "OTBOY" || key == "DIAL") {
        EXPECT_TRUE(otboy.count(value)) << key << " " << value << " has no text";
      }
      if (key == "CLICK") {
        ASSERT_LT(i + 1, lines.size());
        EXPECT_EQ(lines[i + 1].first, "DIAL") << "CLICK " << value << " without its remark";
      }
    }
  }
  // Either lantern part held on the other makes the bright lantern of both.
  for (auto [held, other] : {std::pair{47, 61}, std::pair{61, 47}}) {
    const auto& lines = sections[held];
    auto at = std::find(lines.begin(), lines.end(), std::pair<std::string, int>{"CLICKTOOLBAR", other});
    ASSERT_NE(at, lines.end()) << held;
    std::set<std::pair<std::string, int>> changes(at + 1, std::find_if(at + 1, lines.end(), [](const auto& l) {
                                                    return l.first == "CLICKTOOLBAR" || l.first == "CLICK";
                                                  }));
    std::set<std::pair<std::string, int>> want = {{"ADDTOOL", 39}, {"DELTOOL", 61}, {"DELTOOL", 47}};
    EXPECT_EQ(changes, want) << held;
  }
  // The items with uses of their own in the toolbar leave their remark unspoken over.
  for (int tool : {61, 181, 212}) EXPECT_FALSE(HasLine(sections[tool], "USET")) << tool;
}
