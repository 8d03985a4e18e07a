// A small CPU ray caster for the pre-rendered rooms. It produces, from one room
// description, the colour picture and the per-pixel depth, floor depth and walkable
// floor that the scene files carry, so all of them agree by construction.
#pragma once
#include <cstdint>
#include <vector>

#include "formats/math3d.h"
#include "formats/image.h"

namespace tarvex::demo {

using namespace tarvex::formats;

enum Pattern { kPlain, kTiles, kPlanks, kStripes, kBricks, kPanel, kRug, kScreen };

struct Material {
  V3 albedo{0.7, 0.7, 0.7};   // 0..1
  V3 albedo2{0.5, 0.5, 0.5};  // second colour of the pattern
  Pattern pattern = kPlain;
  double scale = 40;          // pattern period in world units
  double emissive = 0;        // self-lit share of the albedo
  double reflect = 0;         // mirror share
};

// Axis-aligned box. Solid boxes are seen from outside; a room box is seen from
// inside (its far face is hit) and may have holes cut into its faces.
struct Hole {
  int face;                  // 0 -x, 1 +x, 2 -y, 3 +y, 4 -z, 5 +z
  double u0, v0, u1, v1;     // rectangle in the face's two other axes (x/y/z order)
};
struct Box {
  V3 lo, hi;
  int material[6] = {0, 0, 0, 0, 0, 0};
  bool inside = false;
  bool obstacle = false;     // blocks walking (with the room's margin)
  std::vector<Hole> holes;
};
struct Cylinder {  // vertical
  double cx, cz, radius, y0, y1;
  int material = 0;
  bool obstacle = false;
};
struct Sphere {
  V3 centre;
  double radius;
  int material = 0;
};
// A patch of the floor (y = 0) with its own material and walk-mask value (0 keeps it walkable).
struct FloorPatch {
  double x0, z0, x1, z1;
  int material;
  uint8_t maskValue;
};

struct Room {
  std::vector<Material> materials;
  std::vector<Box> boxes;
  std::vector<Cylinder> cylinders;
  std::vector<Sphere> spheres;
  std::vector<PointLight> lights;
  std::vector<FloorPatch> patches;
  V3 ambient{40, 40, 40};  // 0..255, red green blue
  // The walkable floor: inside this rectangle, and `margin` away from obstacles.
  double walkMinX = -1e9, walkMaxX = 1e9, walkMinZ = -1e9, walkMaxZ = 1e9;
  // The hero's toes reach 19 units ahead of his feet, his shoulders 25 to the side.
  double margin = 28;
  // The floor is the bottom face (y = 0) of room boxes.

  int AddMaterial(const Material& m) {
    materials.push_back(m);
    return int(materials.size()) - 1;
  }
};

struct RenderResult {
  Image colour;
  std::vector<float> depth;        // negated view depth per pixel (the engine's d)
  std::vector<float> floorDepth;   // same where the floor is seen, else NaN
  std::vector<uint8_t> floorClass; // 0 walkable floor, 255 no floor/blocked, other: patch value
};

// Renders the rectangle (x0, y0, w, h) of the 800 x 600 screen.
RenderResult RenderRoom(const Room& room, const Camera& cam, int x0 = 0, int y0 = 0, int w = 800, int h = 600);

// Where the pixel ray meets the plane `axis` = value (axis 0 x, 1 y, 2 z).
V3 ScreenOnPlane(const Camera& cam, double x, double y, int axis, double value);
V3 Mix3(V3 a, V3 b, double t);

}  // namespace tarvex::demo
