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

std::string SceneName(int number, const std::string& suffix) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "scenes/scr_%3.3d", number);
  return buf + suffix;
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

}  // namespace tarvex::demo
