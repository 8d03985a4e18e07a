#include "formats/scene_maker.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include "formats/scene_files.h"

namespace tarvex::formats {

namespace {

constexpr int kWidth = 800, kHeight = 600;
// What the scenery depth holds where the depth pass hit nothing: beyond the engine's far
// plane, so nothing there hides a character.
constexpr float kFarAway = -20000.0f;
// The engine's projection draws from 100 to 10,000 units along the view.
constexpr float kNearPlane = 100.0f, kFarPlane = 10000.0f;

std::string Size(int w, int h) { return std::to_string(w) + " x " + std::to_string(h); }

bool ValidDepth(float z) { return std::isfinite(z) && z > 0.0f && z < kNoDepthAtOrBeyond; }

// The depth of the surface that pixel (px, py) of the depth pass shows, at the point (u, v)
// of the pass's pixel space (pixel i spans i .. i + 1). 1 / depth is affine in screen space
// on a plane, so the pixel's value is carried to the point along the gradient of 1 / depth,
// taken on each axis towards a neighbour on the same smooth surface (the point's side first).
// At an edge this follows the surface the pixel shows.
float DepthAt(const DepthPass& pass, int px, int py, double u, double v) {
  const int w = pass.width, h = pass.height;
  const float own = pass.values[size_t(py) * w + px];
  if (!ValidDepth(own)) return own;
  const double dx = u - (px + 0.5), dy = v - (py + 0.5);
  auto same = [&](int x, int y, double& inv) {
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    const float z = pass.values[size_t(y) * w + x];
    if (!ValidDepth(z) || std::max(z, own) > 1.1f * std::min(z, own)) return false;
    inv = 1.0 / z;
    return true;
  };
  auto gradient = [&](int stepX, int stepY, double towards) {
    const int side = towards < 0 ? -1 : 1;
    double inv;
    for (int s : {side, -side})
      if (same(px + s * stepX, py + s * stepY, inv)) return (inv - 1.0 / own) * s;
    return 0.0;
  };
  const double inv = 1.0 / own + gradient(1, 0, dx) * dx + gradient(0, 1, dy) * dy;
  return inv > 0 ? float(1.0 / inv) : own;
}

// An area-average scaling: every output pixel is the mean of the source area it covers.
Image ScaleArea(const Image& src, int outW, int outH) {
  Image out(outW, outH);
  const double sx = double(src.width()) / outW, sy = double(src.height()) / outH;
  for (int y = 0; y < outH; ++y) {
    const double y0 = y * sy, y1 = (y + 1) * sy;
    for (int x = 0; x < outW; ++x) {
      const double x0 = x * sx, x1 = (x + 1) * sx;
      double sum[4] = {}, area = 0;
      for (int j = int(y0); j < std::min(src.height(), int(std::ceil(y1))); ++j) {
        const double wy = std::min(y1, j + 1.0) - std::max(y0, double(j));
        for (int i = int(x0); i < std::min(src.width(), int(std::ceil(x1))); ++i) {
          const double wgt = wy * (std::min(x1, i + 1.0) - std::max(x0, double(i)));
          if (wgt <= 0) continue;
          const Rgba c = src.Get(i, j);
          sum[0] += c.r * wgt, sum[1] += c.g * wgt, sum[2] += c.b * wgt, sum[3] += c.a * wgt;
          area += wgt;
        }
      }
      auto ch = [&](int k) { return uint8_t(std::clamp(std::lround(sum[k] / area), 0L, 255L)); };
      out.Set(x, y, {ch(0), ch(1), ch(2), ch(3)});
    }
  }
  return out;
}

bool IsWalkColour(Rgba c, Rgba want) {
  return c.a >= 128 && std::abs(c.r - want.r) <= 64 && std::abs(c.g - want.g) <= 64 && std::abs(c.b - want.b) <= 64;
}

// The request's numbers, each checked against what the engine and the scene file can hold.
bool CheckSettings(const MakeSceneRequest& r, std::string& error) {
  auto finite = [](V3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); };
  auto colour = [](V3 c) { return c.x >= 0 && c.x <= 255 && c.y >= 0 && c.y <= 255 && c.z >= 0 && c.z <= 255; };
  if (r.scene < kFirstSceneNumber || r.scene > kLastSceneNumber)
    return error = "scene " + std::to_string(r.scene) + " is outside the engine's scenes 0..298", false;
  if (!finite(r.eye) || !finite(r.target) || Length(r.target - r.eye) < 1e-3)
    return error = "the camera's eye and target must be two different points", false;
  const V3 view = Normalize(EngineFromFile(r.target) - EngineFromFile(r.eye));
  if (std::fabs(view.y) > 0.9999)
    return error = "the camera looks straight up or down; the engine's camera needs a view that is not vertical", false;
  if (!(r.fovDegrees > 1 && r.fovDegrees < 179))
    return error = "the field of view must lie between 1 and 179 degrees", false;
  if (!std::isfinite(r.rollDegrees)) return error = "the roll must be a number", false;
  if (!(r.scale > 0) || !std::isfinite(r.scale)) return error = "the scale must be above 0", false;
  if (!colour(r.ambient)) return error = "the ambient colour's channels must lie in 0..255", false;
  if (r.lights.size() > 16) return error = "a scene holds at most 16 point lights", false;
  for (const PointLight& l : r.lights)
    if (!finite(l.position) || !colour(l.colour) || !(l.range > 0) || !std::isfinite(l.a0) || !std::isfinite(l.a1) ||
        !std::isfinite(l.a2))
      return error = "a light needs a position, a range above 0, attenuation numbers and colour channels in 0..255",
             false;
  for (int i = 0; r.mirror && i < 4; ++i)
    if (!finite(r.mirrorCorners[i])) return error = "the mirror's corners must be numbers", false;
  if (r.depthRange && !(r.depthNear >= 0 && r.depthFar > r.depthNear && std::isfinite(r.depthFar)))
    return error = "--depth-range needs 0 <= NEAR < FAR", false;
  return true;
}

struct Inputs {
  Image picture, walk;
  DepthPass depth;
};

bool ReadInputs(const MakeSceneRequest& r, Inputs& in, std::string& error) {
  if (r.picturePath.empty()) in.picture = r.picture;
  else if (!ReadPictureFile(r.picturePath, in.picture, error)) return false;
  if (r.depthPath.empty()) in.depth = r.depth;
  else if (!ReadDepthFile(r.depthPath, r.depthRange, r.depthNear, r.depthFar, in.depth, error)) return false;
  if (r.walkPath.empty()) in.walk = r.walk;
  else if (!ReadPictureFile(r.walkPath, in.walk, error)) return false;

  const int w = in.picture.width(), h = in.picture.height();
  const std::string pictureName = r.picturePath.empty() ? "the picture" : r.picturePath;
  if (w <= 0 || h <= 0) return error = pictureName + " is empty", false;
  if ((w != kWidth || h != kHeight) && !r.fit)
    return error = pictureName + " is " + Size(w, h) + " pixels, not 800 x 600 (--fit scales a 4:3 picture)", false;
  if (r.fit && std::abs(double(w) * 3 - double(h) * 4) > 0.005 * w * 3)
    return error = pictureName + " is " + Size(w, h) + " pixels, not 4:3: --fit only scales, it does not crop",
           false;
  if (in.depth.width != w || in.depth.height != h || in.depth.values.size() != size_t(w) * h)
    return error = (r.depthPath.empty() ? "the depth pass" : r.depthPath) + " is " +
                   Size(in.depth.width, in.depth.height) + " pixels, the picture " + Size(w, h),
           false;
  if (in.walk.width() != w || in.walk.height() != h)
    return error = (r.walkPath.empty() ? "the walk picture" : r.walkPath) + " is " +
                   Size(in.walk.width(), in.walk.height()) + " pixels, the picture " + Size(w, h),
           false;
  return true;
}

// A free cell near the middle of the floor whose eight neighbours are free too, so that a
// character placed there stands clear of the mask's edge (any free cell when none is).
void ChooseStart(const Bytes& mask, int& cellX, int& cellY) {
  double sx = 0, sy = 0;
  long n = 0;
  for (int cy = 0; cy < 300; ++cy)
    for (int cx = 0; cx < 400; ++cx)
      if (mask[size_t(cy) * 400 + cx] == 0) sx += cx, sy += cy, ++n;
  const double mx = sx / n, my = sy / n;
  auto isFree = [&](int cx, int cy) { return cx >= 0 && cy >= 0 && cx < 400 && cy < 300 && mask[size_t(cy) * 400 + cx] == 0; };
  auto roomy = [&](int cx, int cy) {
    for (int j = -1; j <= 1; ++j)
      for (int i = -1; i <= 1; ++i)
        if (!isFree(cx + i, cy + j)) return false;
    return true;
  };
  double best = std::numeric_limits<double>::max();
  bool bestRoomy = false;
  for (int cy = 0; cy < 300; ++cy)
    for (int cx = 0; cx < 400; ++cx) {
      if (!isFree(cx, cy)) continue;
      const bool r = roomy(cx, cy);
      const double d = (cx - mx) * (cx - mx) + (cy - my) * (cy - my);
      if ((r && !bestRoomy) || (r == bestRoomy && d < best)) best = d, bestRoomy = r, cellX = cx, cellY = cy;
    }
}

}  // namespace

bool MakeSceneFiles(const MakeSceneRequest& r, Output& out, MakeSceneSummary& summary, std::string& error) {
  summary = MakeSceneSummary{};
  if (!CheckSettings(r, error)) return false;
  Inputs in;
  if (!ReadInputs(r, in, error)) return false;
  const int w = in.picture.width(), h = in.picture.height();
  const double ku = double(w) / kWidth, kv = double(h) / kHeight;

  // The walk area: the colour of the source pixel under each screen pixel's centre.
  auto sourceX = [&](int x) { return std::min(w - 1, int((x + 0.5) * ku)); };
  auto sourceY = [&](int y) { return std::min(h - 1, int((y + 0.5) * kv)); };
  long walkPixels = 0;
  std::vector<uint8_t> walk(size_t(kWidth) * kHeight, 0);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      walk[size_t(y) * kWidth + x] = IsWalkColour(in.walk.Get(sourceX(x), sourceY(y)), r.walkColour);
      walkPixels += walk[size_t(y) * kWidth + x];
    }
  if (walkPixels == 0) {
    char c[48];
    std::snprintf(c, sizeof c, "(%d, %d, %d)", r.walkColour.r, r.walkColour.g, r.walkColour.b);
    return error = (r.walkPath.empty() ? "the walk picture" : r.walkPath) + " has no floor: no pixel of the colour " +
                   c,
           false;
  }

  // Scenery depth at pixel centres; floor depth at the corners the engine unprojects through,
  // carried from the source pixel that the walk area was read from.
  std::vector<float> scenery(size_t(kWidth) * kHeight), floor(size_t(kWidth) * kHeight);
  std::vector<uint8_t> floorClass(size_t(kWidth) * kHeight, 255);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  float nearest = std::numeric_limits<float>::max(), farthest = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const size_t k = size_t(y) * kWidth + x;
      const float zc = DepthAt(in.depth, sourceX(x), sourceY(y), (x + 0.5) * ku, (y + 0.5) * kv);
      scenery[k] = ValidDepth(zc) ? -zc : kFarAway;
      const float zf = walk[k] ? DepthAt(in.depth, sourceX(x), sourceY(y), x * ku, y * kv) : nan;
      floor[k] = ValidDepth(zf) ? QuantiseFloorDepth(-zf) : nan;
      if (!ValidDepth(zf)) continue;
      floorClass[k] = 0, ++summary.floorPixels;
      nearest = std::min(nearest, zf), farthest = std::max(farthest, zf);
    }
  if (summary.floorPixels == 0)
    return error = "the camera sees no floor: no pixel of the walk area has a depth in front of the camera", false;
  Bytes mask = EncodeWalkMask(floorClass);
  summary.walkCells = std::count(mask.begin(), mask.end(), uint8_t(0));
  if (summary.walkCells == 0)
    return error = "the floor has no 2 x 2 block of walkable pixels, the least the walk mask can hold", false;

  SceneDescription desc;
  desc.camera.eye = EngineFromFile(r.eye);
  desc.camera.target = EngineFromFile(r.target);
  desc.camera.fovDegrees = r.fovDegrees;
  desc.camera.rollDegrees = r.rollDegrees;
  RoundCamera(desc.camera);
  desc.scale = r.scale;
  desc.ambient = r.ambient;
  for (PointLight l : r.lights) {
    l.position = EngineFromFile(l.position);
    desc.lights.push_back(l);
  }
  desc.mirror = r.mirror;
  for (int i = 0; i < 4; ++i) desc.mirrorCorners[i] = EngineFromFile(r.mirrorCorners[i]);
  desc.mirrorValue = r.mirrorOffset;

  // The floor's world points as the engine will find them: its camera, the stored depths.
  const double inf = std::numeric_limits<double>::infinity();
  summary.floorMin = {inf, inf, inf};
  summary.floorMax = {-inf, -inf, -inf};
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const float d = floor[size_t(y) * kWidth + x];
      if (std::isnan(d)) continue;
      const V3 p = desc.camera.eye + desc.camera.PixelRay(x, y) * -double(d);
      summary.floorMin = {std::min(summary.floorMin.x, p.x), std::min(summary.floorMin.y, p.y),
                          std::min(summary.floorMin.z, p.z)};
      summary.floorMax = {std::max(summary.floorMax.x, p.x), std::max(summary.floorMax.y, p.y),
                          std::max(summary.floorMax.z, p.z)};
    }
  // The engine draws characters between its near and far planes only.
  if (farthest > kFarPlane)
    summary.warnings.push_back("part of the floor lies beyond the engine's far plane (10,000 units along the view): "
                               "characters there are not drawn");
  if (nearest < kNearPlane)
    summary.warnings.push_back("part of the floor lies nearer than the engine's near plane (100 units along the "
                               "view): characters there are cut");
  if (summary.floorMin.y > desc.camera.eye.y)
    summary.warnings.push_back("the floor lies above the camera: are the camera's points in the scene file's "
                               "coordinates (z up)?");
  int cellX = 0, cellY = 0;
  ChooseStart(mask, cellX, cellY);
  summary.startX = 2 * cellX + 1;
  summary.startY = 2 * cellY + 1;
  const float startDepth = floor[size_t(summary.startY) * kWidth + summary.startX];
  summary.start = desc.camera.eye + desc.camera.PixelRay(summary.startX, summary.startY) * -double(startDepth);
  desc.start = summary.start;

  Image picture = (w == kWidth && h == kHeight) ? in.picture : ScaleArea(in.picture, kWidth, kHeight);
  const std::string text = SceneDescriptionText(desc);
  const std::pair<const char*, Bytes> files[] = {
      {".tif", EncodeTiffRgb(picture)},      {".zbf", EncodeDepth(scenery)},
      {"m.raw", std::move(mask)},           {"m.msk", EncodeFloorDepth(floor)},
      {".txt", Bytes(text.begin(), text.end())}};
  for (const auto& [suffix, data] : files) {
    summary.files.push_back(SceneName(r.scene, suffix));
    out.Add(summary.files.back(), data);
  }
  return true;
}

bool MakeScene(const MakeSceneRequest& request, MakeSceneSummary& summary, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(request.gameDir, ec))
    return error = "no game folder " + request.gameDir, false;
  Output out;
  if (!MakeSceneFiles(request, out, summary, error)) return false;
  fs::create_directories(fs::path(request.gameDir) / "scenes", ec);
  if (ec) return error = "cannot make " + request.gameDir + "/scenes: " + ec.message(), false;

  // Every file goes to a temporary beside its place first; only when all are written are
  // they renamed into place, so a failure leaves the folder as it was.
  const std::string tag = ".make-scene-" + std::to_string(::getpid());
  std::vector<std::pair<std::string, std::string>> written;
  auto removeWritten = [&] {
    for (const auto& [tmp, final] : written) fs::remove(tmp, ec);
  };
  for (const std::string& name : summary.files) {
    const std::string final = request.gameDir + "/" + name, tmp = final + tag;
    const Bytes& data = *out.Find(name);
    FILE* f = std::fopen(tmp.c_str(), "wb");
    bool ok = f && std::fwrite(data.data(), 1, data.size(), f) == data.size();
    if (f) ok = std::fflush(f) == 0 && ::fsync(fileno(f)) == 0 && ok, ok = std::fclose(f) == 0 && ok;
    if (f) written.push_back({tmp, final});
    if (!ok) {
      error = "cannot write " + final + ": " + std::strerror(errno);
      removeWritten();
      return false;
    }
  }
  for (const auto& [tmp, final] : written) {
    fs::rename(tmp, final, ec);
    if (ec) {
      error = "cannot put " + final + " in place: " + ec.message();
      removeWritten();
      return false;
    }
  }
  return true;
}

bool MakeScene(const MakeSceneRequest& request, std::string& error) {
  MakeSceneSummary summary;
  return MakeScene(request, summary, error);
}

}  // namespace tarvex::formats
