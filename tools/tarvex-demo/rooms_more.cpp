// The other walkable rooms: the old man's room (131), the rooms the lift and the
// doorway lead to (75, 115, 149), a bathroom with a mirror (24) and a boiler room
// with steam and sparks (25), with the places their scripts use.
#include <algorithm>
#include <cmath>

#include "fonts.h"
#include "particles.h"
#include "rooms.h"

namespace tarvex::demo {

namespace {

struct Palette {
  V3 wall, wall2, floor, floor2, ceiling;
  Pattern wallPattern, floorPattern;
  double wallScale, floorScale;
};

// A rectangular room seen from +z looking towards -z (screen left is +x).
struct BasicRoom {
  Room room;
  int wall = 0, floor = 0, ceiling = 0, dark = 0, glow = 0, wood = 0, metal = 0;
};

BasicRoom MakeRoom(const Palette& p, double halfWidth, double back, double front, double height) {
  BasicRoom b;
  RoomKit k{b.room};
  b.wall = k.Mat(p.wall, p.wallPattern, p.wall2, p.wallScale);
  b.floor = k.Mat(p.floor, p.floorPattern, p.floor2, p.floorScale);
  b.ceiling = k.Mat(p.ceiling);
  b.dark = k.Mat({0.30, 0.28, 0.26}, kTiles, {0.18, 0.18, 0.18}, 30);
  b.glow = k.Mat({1.0, 0.95, 0.8}, kPlain, {}, 40, 1.3);
  b.wood = k.Mat({0.45, 0.28, 0.15}, kPlanks, {0.25, 0.15, 0.08}, 14);
  b.metal = k.Mat({0.55, 0.57, 0.60});
  k.Shell({-halfWidth, 0, back}, {halfWidth, height, front}, b.wall, b.wall, b.floor, b.ceiling, b.wall, b.wall);
  b.room.walkMinX = -halfWidth + 15;
  b.room.walkMaxX = halfWidth - 15;
  b.room.walkMinZ = back + 15;
  b.room.walkMaxZ = front - 60;
  return b;
}

// A doorway in the back wall (face -z) with a lit space behind it.
void BackDoor(BasicRoom& b, double x0, double x1, double height, double back) {
  RoomKit k{b.room};
  b.room.boxes[0].holes.push_back({4, x0, 0, x1, height});
  k.Shell({x0 - 20, 0, back - 220}, {x1 + 20, height + 30, back}, b.dark, b.dark, b.dark, b.dark, b.dark, b.dark);
  k.Lamp({(x0 + x1) / 2, height - 20, back - 120}, {255, 230, 200}, 400, 0.004, b.glow);
}

// A doorway in a side wall (face -x when right, +x when left).
void SideDoor(BasicRoom& b, bool left, double z0, double z1, double height) {
  RoomKit k{b.room};
  Box& shell = b.room.boxes[0];
  double x = left ? shell.hi.x : shell.lo.x;
  shell.holes.push_back({left ? 1 : 0, 0, z0, height, z1});
  double xa = left ? x : x - 220, xb = left ? x + 220 : x;
  k.Shell({xa, 0, z0 - 20}, {xb, height + 30, z1 + 20}, b.dark, b.dark, b.dark, b.dark, b.dark, b.dark);
  k.Lamp({(xa + xb) / 2, height - 20, (z0 + z1) / 2}, {255, 230, 200}, 400, 0.004, b.glow);
}

// The hero's start is given as the screen point it stands on.
SceneDescription LookingBack(V3 eye, V3 target, double fov, double startX, double startY, double heading) {
  SceneDescription d;
  d.camera.eye = eye;
  d.camera.target = target;
  d.camera.fovDegrees = fov;
  RoundCamera(d.camera);
  d.start = ScreenOnPlane(d.camera, startX, startY, 1, 0);
  d.start.y = 0;
  d.startHeading = heading;
  return d;
}

// Scene 131: the old man's room. The hero talks to him from screen point (461, 429)
// facing 4.04 and leaves towards (246, 573), which lies past x = 20.
void Scene131(Output& out) {
  Palette p{{0.62, 0.52, 0.40}, {0.55, 0.44, 0.33}, {0.42, 0.30, 0.20}, {0.25, 0.16, 0.1}, {0.75, 0.72, 0.68},
            kStripes, kPlanks, 34, 18};
  BasicRoom b = MakeRoom(p, 360, -260, 720, 290);
  RoomKit k{b.room};
  BackDoor(b, -300, -200, 225, -260);
  int cloth = k.Mat({0.35, 0.45, 0.30}, kRug, {0.60, 0.55, 0.30}, 40);
  int shelf = k.Mat({0.40, 0.25, 0.14}, kPlanks, {0.2, 0.12, 0.06}, 12);
  k.Table(-40, -150, 120, -60, 74, b.wood, b.wood);
  k.Block({200, 0, -250}, {340, 200, -200}, shelf);                // cupboard at the back left
  k.Block({-350, 0, 120}, {-290, 110, 330}, b.wood);               // chest on the right
  b.room.patches.push_back({-150, 150, 40, 300, cloth, 0});         // a rug, walkable
  k.Lamp({0, 250, 100}, {255, 232, 190}, 1600, 0.001, b.glow);
  k.Lamp({200, 230, -150}, {230, 220, 200}, 900, 0.002, b.glow);
  b.room.ambient = {48, 44, 40};
  SceneDescription d = LookingBack({0, 200, 600}, {0, 60, 0}, 50, 470, 500, 1.9);
  WriteScene(out, 131, b.room, d);
}

// The rendered room, written out, with what the layout needs of it.
RenderResult WriteRoom(Output& out, int number, const Room& room, SceneDescription d, RoomLayout& layout) {
  RenderResult r = RenderScene(room, d);
  WriteSceneFiles(out, number, r, d, true);
  layout.camera = d.camera;
  layout.start = d.start;
  layout.startHeading = d.startHeading;
  return r;
}

// A doorway of a side wall as a hotspot, the spot in front of it (facing out) and the
// spot where the hero comes in through it (facing the room).
void SideDoorPlaces(RoomLayout& layout, const RenderResult& r, const std::string& name, double wallX, double z0,
                    double z1, double height) {
  const Camera& cam = layout.camera;
  double inward = wallX > 0 ? -1 : 1, mid = (z0 + z1) / 2;
  layout.rects[name] = BoxOnScreen(cam, {wallX, 0, z0}, {wallX, height, z1});
  layout.spots[name] = SpotNear(r, cam, {wallX + inward * 38, 0, mid}, HeadingAlong(-inward, 0));
  layout.spots[name + "In"] = SpotNear(r, cam, {wallX + inward * 55, 0, mid + 25}, HeadingAlong(inward, 0.5));
}

void BackDoorPlaces(RoomLayout& layout, const RenderResult& r, const std::string& name, double x0, double x1,
                    double height, double back) {
  const Camera& cam = layout.camera;
  double mid = (x0 + x1) / 2;
  layout.rects[name] = BoxOnScreen(cam, {x0, 0, back}, {x1, height, back});
  layout.spots[name] = SpotNear(r, cam, {mid, 0, back + 36}, HeadingAlong(0, -1));
  layout.spots[name + "In"] = SpotNear(r, cam, {mid, 0, back + 55}, HeadingAlong(0, 1));
}

// Scene 75: a service room behind the empty lift doorway. A door on the left back to the
// landing, one in the back wall to the boiler room, and crates in the corner.
void Scene075(Output& out, RoomLayout& layout) {
  Palette p{{0.45, 0.47, 0.50}, {0.30, 0.31, 0.33}, {0.38, 0.38, 0.36}, {0.22, 0.22, 0.2}, {0.5, 0.5, 0.5},
            kBricks, kTiles, 50, 60};
  BasicRoom b = MakeRoom(p, 320, -250, 700, 280);
  RoomKit k{b.room};
  SideDoor(b, true, -60, 60, 220);
  BackDoor(b, -130, -30, 220, -250);
  int crate = k.Mat({0.55, 0.42, 0.24}, kPlanks, {0.3, 0.2, 0.1}, 12);
  k.Block({-260, 0, -200}, {-160, 90, -100}, crate);
  k.Block({-240, 90, -180}, {-180, 150, -120}, crate);
  k.Pillar(80, 0, 22, 0, 280, b.metal);
  k.Lamp({0, 255, 150}, {220, 230, 255}, 1500, 0.0012, b.glow);
  b.room.ambient = {36, 38, 42};
  RenderResult r = WriteRoom(out, 75, b.room, LookingBack({-40, 190, 620}, {10, 60, 0}, 50, 400, 500, 4.71), layout);
  const Camera& cam = layout.camera;
  SideDoorPlaces(layout, r, "landingDoor", 320, -60, 60, 220);
  BackDoorPlaces(layout, r, "boilerDoor", -130, -30, 220, -250);
  layout.rects["crate"] = BoxOnScreen(cam, {-260, 0, -200}, {-160, 150, -100});
  layout.rects["pipe"] = BoxOnScreen(cam, {58, 0, -22}, {102, 280, 22});
  // Far enough in front of the crate that his feet stand clear of it; the lantern held
  // out at arm's length is over its front.
  layout.spots["crate"] = SpotNear(r, cam, {-205, 0, -45}, HeadingAlong(0, -1));
}

// Scenes 115 and 149: the floors the lift goes to, the lift doors on the left. The
// archive keeps its shelves and, on a desk, the concierge's register; the workshops have
// a doorway to the washroom, a workbench with an old radio and the lift's switch box.
constexpr double kDeskTop = 74;
const V3 kRegisterLo{-22, kDeskTop, -140}, kRegisterHi{22, kDeskTop + 7, -110};
constexpr double kBenchTop = 74;
const V3 kRadioLo{-262, kBenchTop, -150}, kRadioHi{-208, kBenchTop + 30, -124};
const V3 kSwitchLo{-132, 96, -240}, kSwitchHi{-82, 166, -232};

Room LiftFloorRoom(const Palette& p, V3 lightColour, bool archive, bool withRadio, bool switchedToArchive) {
  BasicRoom b = MakeRoom(p, 380, -240, 700, 300);
  RoomKit k{b.room};
  SideDoor(b, true, -40, 80, 225);  // the lift doors on the left
  if (archive) {
    int books = k.Mat({0.45, 0.30, 0.22}, kStripes, {0.62, 0.55, 0.35}, 11);
    int cover = k.Mat({0.55, 0.10, 0.08});
    int paper = k.Mat({0.92, 0.88, 0.76});
    k.Block({-260, 0, -240}, {260, 215, -205}, books);  // shelves along the back wall
    for (double y = 0; y <= 215; y += 53.75) k.Block({-262, y - 3, -240}, {262, y + 3, -200}, b.wood, false);
    for (double x = -262; x <= 262; x += 104.8) k.Block({x - 3, 0, -240}, {x + 3, 218, -200}, b.wood, false);
    k.Pillar(-180, 60, 24, 0, 300, b.metal);
    k.Pillar(180, 60, 24, 0, 300, b.metal);
    k.Table(-45, -155, 45, -95, kDeskTop, b.wood, b.wood);
    k.Block(kRegisterLo, kRegisterHi, cover, false);
    k.Block(kRegisterLo + V3{2, 0, 1.5}, kRegisterHi + V3{-1, 0.5, -1.5}, paper, false);
  } else {
    BackDoor(b, -60, 60, 225, -240);
    k.Table(-300, -180, -150, -80, kBenchTop, b.wood, b.wood);
    int grey = k.Mat({0.42, 0.45, 0.44}, kPanel, {0.3, 0.32, 0.31}, 14);
    int lever = k.Mat({0.75, 0.12, 0.08});
    k.Block(kSwitchLo, kSwitchHi, grey, false);
    // The lever: up for the workshops, down for the archive.
    double y = switchedToArchive ? 112 : 140;
    k.Block({-110, y, -232}, {-104, y + 20, -222}, lever, false);
    if (withRadio) {
      int body = k.Mat({0.38, 0.24, 0.14}, kPlanks, {0.3, 0.18, 0.1}, 6);
      int dial = k.Mat({0.90, 0.82, 0.55}, kPlain, {}, 40, 0.2);
      k.Block(kRadioLo, kRadioHi, body, false);
      k.Block({-250, kBenchTop + 8, -124}, {-232, kBenchTop + 22, -123}, dial, false);
      k.Pillar(-214, -140, 1, kBenchTop + 30, kBenchTop + 62, b.metal, false);  // the aerial
    }
  }
  k.Lamp({0, 270, 200}, lightColour, 1700, 0.001, b.glow);
  b.room.ambient = {44, 44, 46};
  return b.room;
}

void Scene115(Output& out, RoomLayout& layout) {
  Palette p{{0.70, 0.68, 0.60}, {0.6, 0.58, 0.5}, {0.50, 0.50, 0.52}, {0.3, 0.3, 0.32}, {0.8, 0.8, 0.8}, kPanel,
            kTiles, 70, 50};
  Room room = LiftFloorRoom(p, {240, 240, 255}, true, false, false);
  RenderResult r = WriteRoom(out, 115, room, LookingBack({0, 200, 640}, {0, 70, 0}, 50, 400, 520, 0.0), layout);
  const Camera& cam = layout.camera;
  SideDoorPlaces(layout, r, "liftDoor", 380, -40, 80, 225);
  layout.rects["shelves"] = BoxOnScreen(cam, {-260, 0, -240}, {260, 215, -205});
  layout.rects["register"] = BoxOnScreen(cam, kRegisterLo, kRegisterHi, 6);
  layout.spots["desk"] = SpotNear(r, cam, {0, 0, -55}, HeadingAlong(0, -1));
}

void Scene149(Output& out, RoomLayout& layout) {
  Palette p{{0.58, 0.66, 0.58}, {0.45, 0.52, 0.45}, {0.52, 0.36, 0.22}, {0.3, 0.2, 0.1}, {0.8, 0.8, 0.78}, kStripes,
            kPlanks, 30, 20};
  V3 light{255, 230, 190};
  Room room = LiftFloorRoom(p, light, false, false, false);
  RenderResult r = WriteRoom(out, 149, room, LookingBack({0, 200, 640}, {0, 70, 0}, 50, 400, 520, 0.0), layout);
  const Camera& cam = layout.camera;
  SideDoorPlaces(layout, r, "liftDoor", 380, -40, 80, 225);
  BackDoorPlaces(layout, r, "washroomDoor", -60, 60, 225, -240);
  layout.rects["bench"] = BoxOnScreen(cam, {-300, 0, -180}, {-150, kBenchTop, -80});
  layout.spots["bench"] = SpotNear(r, cam, {-228, 0, -40}, HeadingAlong(0, -1));
  ScreenRect box = BoxOnScreen(cam, kSwitchLo, kSwitchHi + V3{0, 0, 10}, 2);
  layout.rects["switch"] = box;
  layout.spots["switch"] = SpotNear(r, cam, {-107, 0, -196}, HeadingAlong(0, -1));
  layout.pictures["switched"] =
      AddItemPicture(out, "gfx/scene149/switched.bmp", LiftFloorRoom(p, light, false, false, true), cam, box);
  ScreenRect radio = BoxOnScreen(cam, kRadioLo, kRadioHi + V3{0, 34, 0}, kItemMargin);
  layout.pictures["radio"] =
      AddItemPicture(out, "gfx/scene149/radio.bmp", LiftFloorRoom(p, light, false, true, false), cam, radio);
}

// Scene 24: a bathroom with a large mirror on the back wall; a towel lies on the bath.
const V3 kTowelLo{188, 55, -52}, kTowelHi{246, 63, -12};

Room Washroom(bool withTowel) {
  Palette p{{0.80, 0.84, 0.86}, {0.66, 0.72, 0.76}, {0.30, 0.40, 0.52}, {0.20, 0.26, 0.34}, {0.9, 0.9, 0.9},
            kTiles, kTiles, 25, 35};
  BasicRoom b = MakeRoom(p, 300, -200, 650, 270);
  RoomKit k{b.room};
  int mirror = k.Mat({0.85, 0.88, 0.9}, kPlain, {}, 40, 0, 0.85);
  int frame = k.Mat({0.6, 0.5, 0.3});
  int porcelain = k.Mat({0.92, 0.92, 0.90});
  SideDoor(b, false, -40, 80, 220);
  V3 m0{-120, 70, -199}, m1{120, 230, -199};
  k.Block({m0.x - 6, m0.y - 6, -200}, {m1.x + 6, m1.y + 6, -199.5}, frame, false);
  k.Block({m0.x, m0.y, -199.5}, {m1.x, m1.y, -199}, mirror, false);
  k.Block({-90, 0, -200}, {90, 80, -140}, porcelain);  // wash-stand under the mirror
  k.Block({150, 0, -200}, {290, 55, 10}, porcelain);   // bath along the left wall
  if (withTowel) {
    int towel = k.Mat({0.70, 0.22, 0.20}, kStripes, {0.85, 0.80, 0.70}, 8);
    k.Block(kTowelLo, kTowelHi, towel, false);
  }
  k.Lamp({0, 250, 60}, {255, 245, 235}, 1500, 0.0012, b.glow);
  b.room.ambient = {52, 54, 58};
  return b.room;
}

void Scene024(Output& out, RoomLayout& layout) {
  SceneDescription d = LookingBack({-60, 190, 560}, {0, 90, 0}, 50, 330, 480, 1.57);
  d.mirror = true;
  // Corners in the order the engine builds its plane from (0, 1, 2), facing the room.
  V3 m0{-120, 70, -199}, m1{120, 230, -199};
  d.mirrorCorners[0] = {m0.x, m1.y, -199};
  d.mirrorCorners[1] = {m1.x, m1.y, -199};
  d.mirrorCorners[2] = {m0.x, m0.y, -199};
  d.mirrorCorners[3] = {m1.x, m0.y, -199};
  d.mirrorValue = 0;
  RenderResult r = WriteRoom(out, 24, Washroom(false), d, layout);
  const Camera& cam = layout.camera;
  SideDoorPlaces(layout, r, "door", -300, -40, 80, 220);
  layout.rects["mirror"] = BoxOnScreen(cam, {m0.x - 6, m0.y - 6, -200}, {m1.x + 6, m1.y + 6, -199});
  layout.rects["washstand"] = BoxOnScreen(cam, {-90, 0, -200}, {90, 80, -140});
  layout.rects["bath"] = BoxOnScreen(cam, {150, 0, -200}, {290, 55, 10});
  layout.spots["mirror"] = SpotNear(r, cam, {0, 0, -95}, HeadingAlong(0, -1));
  layout.spots["bath"] = SpotNear(r, cam, {200, 0, 42}, HeadingAlong(0.3, -1));
  layout.pictures["towel"] =
      AddItemPicture(out, "gfx/scene024/towel.bmp", Washroom(true), cam, BoxOnScreen(cam, kTowelLo, kTowelHi, kItemMargin));
}

// Scene 25: the boiler room: steam from a valve, sparks from a broken cable box, a brass
// plaque with the year the house was built, batteries left on a bench.
const V3 kPlaqueLo{-150, 96, -240}, kPlaqueHi{-78, 136, -238.5};
const V3 kBatteries[2] = {{292, 45, 112}, {292, 45, 128}};

Room BoilerRoom(bool withBatteries) {
  Palette p{{0.50, 0.44, 0.38}, {0.32, 0.26, 0.22}, {0.32, 0.32, 0.30}, {0.2, 0.2, 0.2}, {0.4, 0.4, 0.4},
            kBricks, kTiles, 45, 55};
  BasicRoom b = MakeRoom(p, 340, -240, 680, 300);
  RoomKit k{b.room};
  int boiler = k.Mat({0.55, 0.20, 0.12});
  int pipe = k.Mat({0.60, 0.60, 0.58});
  int box = k.Mat({0.35, 0.40, 0.35}, kPanel, {0.2, 0.22, 0.2}, 18);
  int brass = k.Mat({0.78, 0.62, 0.30});
  SideDoor(b, false, -200, -80, 220);
  k.Pillar(150, -100, 80, 0, 230, boiler);
  k.Pillar(150, -100, 10, 230, 300, pipe, false);
  k.Block({-330, 180, -239}, {330, 192, -227}, pipe, false);  // a pipe along the back wall
  k.Block({-40, 150, -239}, {-20, 192, -220}, pipe, false);   // the valve
  k.Block({-330, 90, 0}, {-300, 170, 60}, box, false);        // cable box on the right wall
  k.Block(kPlaqueLo, kPlaqueHi, brass, false);
  k.Block({250, 0, 60}, {332, 45, 200}, b.wood);               // a bench by the left wall
  if (withBatteries) {
    int cell = k.Mat({0.20, 0.35, 0.75});
    int cap = k.Mat({0.80, 0.80, 0.82});
    for (V3 c : kBatteries) {
      k.Pillar(c.x, c.z, 5.5, c.y, c.y + 17, cell, false);
      k.Pillar(c.x, c.z, 2.5, c.y + 17, c.y + 20, cap, false);
    }
  }
  k.Lamp({0, 270, 150}, {255, 200, 150}, 1500, 0.0012, b.glow);
  b.room.ambient = {40, 34, 30};
  return b.room;
}

void Scene025(Output& out, RoomLayout& layout) {
  SceneDescription d = LookingBack({0, 200, 600}, {0, 80, 0}, 52, 330, 500, 1.57);
  d.particles.push_back({{-30, 150, -215}, 1.0, kSteamParticleFile});
  d.particles.push_back({{-296, 130, 30}, 1.0, kSparkParticleFile});
  RenderResult r = RenderScene(BoilerRoom(false), d);
  layout.camera = d.camera;
  // The year is cut into the plaque.
  ScreenRect plaque = BoxOnScreen(d.camera, kPlaqueLo, kPlaqueHi);
  int h = plaque.bottom - plaque.top;
  SansBoldFont().Draw(r.colour, (plaque.left + plaque.right) / 2, plaque.top + h * 3 / 4, "1957", std::max(8, h * 2 / 3),
                      {70, 48, 20, 255}, 1);
  WriteSceneFiles(out, 25, r, d, true);
  layout.start = d.start;
  layout.startHeading = d.startHeading;
  const Camera& cam = layout.camera;
  SideDoorPlaces(layout, r, "door", -340, -200, -80, 220);
  layout.rects["plaque"] = BoxOnScreen(cam, kPlaqueLo, kPlaqueHi, 4);
  layout.rects["boiler"] = BoxOnScreen(cam, {70, 0, -180}, {230, 230, -20});
  layout.rects["valve"] = BoxOnScreen(cam, {-40, 150, -239}, {-20, 192, -220}, 8);
  layout.rects["cableBox"] = BoxOnScreen(cam, {-330, 90, 0}, {-300, 170, 60}, 2);
  layout.spots["plaque"] = SpotNear(r, cam, {-114, 0, -190}, HeadingAlong(0, -1));
  layout.spots["bench"] = SpotNear(r, cam, {205, 0, 120}, HeadingAlong(1, 0));
  ScreenRect batteries = BoxOnScreen(cam, kBatteries[0] + V3{-7, 0, -7}, kBatteries[1] + V3{7, 21, 7}, kItemMargin);
  layout.pictures["batteries"] = AddItemPicture(out, "gfx/scene025/batteries.bmp", BoilerRoom(true), cam, batteries);
}

}  // namespace

void BuildMoreRooms(Output& out, Layouts& layouts) {
  Scene131(out);
  Scene075(out, layouts[75]);
  Scene115(out, layouts[115]);
  Scene149(out, layouts[149]);
  Scene024(out, layouts[24]);
  Scene025(out, layouts[25]);
  WriteParticleFiles(out);
}

}  // namespace tarvex::demo
