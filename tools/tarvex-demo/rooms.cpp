#include "rooms.h"

#include <cmath>

namespace tarvex::demo {

namespace {

const V3 kWarmLight{255, 236, 205};
const V3 kCoolLight{205, 222, 255};

// Scene 23: the hero's flat, where a new game starts. A door on the left leads to the
// lift landing (scene 0), a door in the back wall to the old man's room (scene 131).
void Scene023(Output& out) {
  Room room;
  RoomKit k{room};
  int wall = k.Mat({0.78, 0.70, 0.55}, kStripes, {0.70, 0.60, 0.46}, 28);
  int floor = k.Mat({0.55, 0.36, 0.20}, kPlanks, {0.30, 0.18, 0.10}, 22);
  int ceiling = k.Mat({0.85, 0.85, 0.82});
  int door = k.Mat({0.42, 0.26, 0.14}, kPanel, {0.30, 0.18, 0.10}, 55);
  int dark = k.Mat({0.35, 0.32, 0.28}, kTiles, {0.2, 0.2, 0.2}, 30);
  int rug = k.Mat({0.55, 0.12, 0.10}, kRug, {0.85, 0.70, 0.30}, 34);
  int wood = k.Mat({0.45, 0.28, 0.15}, kPlanks, {0.25, 0.15, 0.08}, 14);
  int column = k.Mat({0.80, 0.80, 0.78}, kPlain);
  int glow = k.Mat({1.0, 0.95, 0.8}, kPlain, {}, 40, 1.2);
  int books = k.Mat({0.30, 0.35, 0.55}, kStripes, {0.60, 0.25, 0.20}, 9);

  Box& shell = k.Shell({-340, 0, -220}, {330, 300, 720}, wall, wall, floor, ceiling, wall, wall);
  // Doorway to the landing in the left wall (x = 330), to the old man in the back wall.
  shell.holes.push_back({1, 0, -150, 230, -40});   // face +x: y 0..230, z -150..-40
  shell.holes.push_back({4, -90, 0, 30, 230});     // face -z: x -90..30, y 0..230
  k.Shell({330, 0, -170}, {560, 260, -20}, dark, dark, dark, dark, dark, dark);
  k.Shell({-110, 0, -420}, {50, 260, -220}, door, door, dark, dark, dark, door);
  k.Lamp({450, 200, -95}, kWarmLight, 500, 0.004, glow);
  k.Lamp({-30, 200, -330}, kCoolLight, 500, 0.004, glow);
  // Door leaves stand open into the next rooms.
  k.Block({331, 0, -150}, {345, 228, -146}, door, false);
  k.Block({-90, 0, -236}, {-86, 228, -222}, door, false);

  k.Pillar(-150, 160, 26, 0, 300, column);
  k.Table(50, 300, 190, 380, 72, wood, wood);
  k.Block({-330, 0, -60}, {-270, 190, 100}, books);  // bookcase on the right
  room.patches.push_back({-110, 60, 60, 200, rug, 7});  // the rug: walked over, not routed over

  k.Lamp({0, 260, 250}, kWarmLight, 1800, 0.0009, glow);
  k.Lamp({-250, 240, -60}, kCoolLight, 1200, 0.0015, glow);
  room.ambient = {46, 42, 38};
  room.walkMinX = -320; room.walkMaxX = 310; room.walkMinZ = -200; room.walkMaxZ = 640;

  SceneDescription d;
  d.camera.eye = {0, 210, 660};
  d.camera.target = {-20, 70, 0};
  d.camera.fovDegrees = 52;
  RoundCamera(d.camera);
  d.start = ScreenOnPlane(d.camera, 440, 520, 1, 0);  // in front of the rug
  d.start.y = 0;
  d.startHeading = 1.5708;
  WriteScene(out, 23, room, d);
}

}  // namespace

void BuildScene000(Output& out);
void BuildCloseUps(Output& out);
void BuildMoreRooms(Output& out);

void BuildRooms(Output& out) {
  BuildScene000(out);
  Scene023(out);
  BuildCloseUps(out);
  BuildMoreRooms(out);
}

}  // namespace tarvex::demo
