#include <cmath>
#include <algorithm>
#include <cstdio>
#include <limits>

#include "rooms.h"

namespace tarvex::demo {

int RoomKit::Mat(V3 albedo, Pattern p, V3 albedo2, double scale, double emissive, double reflect) {
  Material m;
  m.albedo = albedo;
  m.albedo2 = albedo2;
  m.pattern = p;
  m.scale = scale;
  m.emissive = emissive;
  m.reflect = reflect;
  return room.AddMaterial(m);
}

Box& RoomKit::Shell(V3 lo, V3 hi, int wallX0, int wallX1, int floor, int ceiling, int wallZ0, int wallZ1) {
  Box b;
  b.lo = lo;
  b.hi = hi;
  b.inside = true;
  int mats[6] = {wallX0, wallX1, floor, ceiling, wallZ0, wallZ1};
  for (int i = 0; i < 6; ++i) b.material[i] = mats[i];
  room.boxes.push_back(b);
  return room.boxes.back();
}

Box& RoomKit::Block(V3 lo, V3 hi, int material, bool obstacle) {
  Box b;
  b.lo = lo;
  b.hi = hi;
  for (int& m : b.material) m = material;
  b.obstacle = obstacle;
  room.boxes.push_back(b);
  return room.boxes.back();
}

Cylinder& RoomKit::Pillar(double x, double z, double radius, double y0, double y1, int material, bool obstacle) {
  room.cylinders.push_back(Cylinder{x, z, radius, y0, y1, material, obstacle});
  return room.cylinders.back();
}

void RoomKit::Lamp(V3 pos, V3 colour, double range, double a1, int glowMaterial) {
  PointLight l;
  l.position = pos;
  l.colour = colour;
  l.range = range;
  l.a0 = 1;
  l.a1 = a1;
  l.a2 = 0;
  room.lights.push_back(l);
  room.spheres.push_back(Sphere{pos + V3{0, 14, 0}, 9, glowMaterial});
}

void RoomKit::Table(double x0, double z0, double x1, double z1, double height, int top, int legs) {
  Block({x0, height - 5, z0}, {x1, height, z1}, top, false);
  double l = 4;
  for (int i = 0; i < 4; ++i) {
    double x = (i & 1) ? x1 - l - 3 : x0 + 3, z = (i & 2) ? z1 - l - 3 : z0 + 3;
    Block({x, 0, z}, {x + l, height - 5, z + l}, legs, false);
  }
  // The table as a whole keeps the hero away.
  Box& footprint = Block({x0, 0, z0}, {x1, 0.001, z1}, legs, true);
  footprint.lo.y = -2;  // below the floor: never seen, only walked around
  footprint.hi.y = -1;
}

RenderResult RenderScene(const Room& room, SceneDescription& desc) {
  RoundCamera(desc.camera);
  desc.lights = room.lights;
  desc.ambient = room.ambient;
  return RenderRoom(room, desc.camera);
}

void WriteScene(Output& out, int number, const Room& room, SceneDescription desc) {
  RenderResult r = RenderScene(room, desc);
  WriteSceneFiles(out, number, r, desc, true);
}

void WriteSceneFiles(Output& out, int number, RenderResult& r, const SceneDescription& desc, bool walkable) {
  if (!walkable) {
    std::fill(r.floorClass.begin(), r.floorClass.end(), uint8_t(255));
    std::fill(r.floorDepth.begin(), r.floorDepth.end(), std::numeric_limits<float>::quiet_NaN());
  }
  out.Add(SceneName(number, ".tif"), EncodeTiffRgb(r.colour));
  out.Add(SceneName(number, ".zbf"), EncodeDepth(r.depth));
  out.Add(SceneName(number, "m.raw"), EncodeWalkMask(r.floorClass));
  out.Add(SceneName(number, "m.msk"), EncodeFloorDepth(r.floorDepth));
  std::string text = SceneDescriptionText(desc);
  out.Add(SceneName(number, ".txt"), Bytes(text.begin(), text.end()));
}

Image RenderCrop(const Room& room, const Camera& cam, int x, int y, int w, int h) {
  Camera c = cam;
  RoundCamera(c);
  return RenderRoom(room, c, x, y, w, h).colour;
}

ScreenRect BoxOnScreen(const Camera& cam, V3 lo, V3 hi, int grow) {
  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
  for (int i = 0; i < 8; ++i) {
    V3 p{(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
    double sx, sy, depth;
    if (!cam.Project(p, sx, sy, depth)) continue;
    x0 = std::min(x0, sx), y0 = std::min(y0, sy), x1 = std::max(x1, sx), y1 = std::max(y1, sy);
  }
  ScreenRect r;
  if (x0 > x1) return r;
  r.left = std::clamp(int(std::floor(x0)) - grow, 0, 800);
  r.top = std::clamp(int(std::floor(y0)) - grow, 0, 600);
  r.right = std::clamp(int(std::ceil(x1)) + grow, 0, 800);
  r.bottom = std::clamp(int(std::ceil(y1)) + grow, 0, 600);
  return r;
}

double HeadingAlong(double dx, double dz) {
  double h = std::atan2(dz, -dx);
  return h < 0 ? h + 2 * kPi : h;
}

FloorSpot SpotNear(const RenderResult& r, const Camera& cam, V3 p, double heading) {
  // A cell is taken when it and its eight neighbours are free floor, so that the hero
  // never stands on the edge of the mask.
  auto freeCell = [&](int cx, int cy) {
    if (cx < 0 || cy < 0 || cx >= 400 || cy >= 300) return false;
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i)
        if (r.floorClass[size_t(2 * cy + j) * 800 + 2 * cx + i] != 0) return false;
    return true;
  };
  auto roomy = [&](int cx, int cy) {
    for (int j = -1; j <= 1; ++j)
      for (int i = -1; i <= 1; ++i)
        if (!freeCell(cx + i, cy + j)) return false;
    return true;
  };
  double sx = 400, sy = 300, depth;
  cam.Project(p, sx, sy, depth);
  int cx0 = std::clamp(int(sx) / 2, 0, 399), cy0 = std::clamp(int(sy) / 2, 0, 299);
  int bestX = cx0, bestY = cy0;
  double best = 1e18;
  for (int radius = 0; radius < 120 && best == 1e18; ++radius)
    for (int cy = cy0 - radius; cy <= cy0 + radius; ++cy)
      for (int cx = cx0 - radius; cx <= cx0 + radius; ++cx) {
        if (std::max(std::abs(cx - cx0), std::abs(cy - cy0)) != radius || !roomy(cx, cy)) continue;
        double d = double(cx - cx0) * (cx - cx0) + double(cy - cy0) * (cy - cy0);
        if (d < best) best = d, bestX = cx, bestY = cy;
      }
  FloorSpot s;
  s.x = 2 * bestX + 1;
  s.y = 2 * bestY + 1;
  s.world = ScreenOnPlane(cam, s.x, s.y, 1, 0);
  s.world.y = 0;
  s.heading = heading;
  return s;
}

ItemPicture AddItemPicture(Output& out, const std::string& file, const Room& withItem, const Camera& cam,
                           ScreenRect rect) {
  Image img = RenderCrop(withItem, cam, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  out.Add(file, EncodeBmp24(img));
  return ItemPicture{file, rect.left, rect.top};
}

void WriteBlackScene(Output& out, int number) {
  SceneDescription d;
  d.camera.eye = {0, 150, 400};
  d.camera.target = {0, 150, 0};
  d.camera.fovDegrees = 50;
  RoundCamera(d.camera);
  d.start = {0, 0, 0};
  RenderResult r;
  r.colour = Image(800, 600, {0, 0, 0, 255});
  r.depth.assign(800 * 600, -20000.0f);
  r.floorDepth.assign(800 * 600, 0.0f);
  r.floorClass.assign(800 * 600, 0);
  WriteSceneFiles(out, number, r, d, false);
}

}  // namespace tarvex::demo
