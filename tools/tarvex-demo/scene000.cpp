// Scene 0, the lift landing. The camera and the left wall are laid out so that the
// screen places the scripts use fall on the right things: the doorway inside region
// (114, 69)-(249, 451), the door pictures at (125, 0), the lift at (141, 109), the call
// buttons under tools 379, 646 and 647, the panel under region (72, 289)-(110, 339),
// the bottle at (531, 393), and the hero's two entry points on free floor. The compiled
// script sends the hero to screen point (284, 587) facing 2.45 to press a call button;
// his pressing gesture is made to reach the buttons from there.
#include <algorithm>
#include <cmath>

#include "rooms.h"
#include "sequences.h"

namespace tarvex::demo {

namespace {

constexpr double kWallX = 5;  // the left wall (screen left is +x here)
constexpr double kDoorZ0 = 150, kDoorZ1 = 252, kDoorTop = 225;
// Where the compiled script has the hero press the call buttons.
constexpr int kButtonsSpotX = 284, kButtonsSpotY = 587;
constexpr double kButtonsFacing = 2.45;

enum class Beyond { Cabin, Shaft };

struct Landing {
  Room room;
  int doorMat = 0, cabinWall = 0, cabinGlow = 0, shaft = 0, buttonOff = 0, buttonOn = 0, streak = 0, bottleMat = 0;
  V3 button[3];       // centres of tools 379, 646, 647 on the wall
  V3 buttonHalf[3];   // half sizes
  V3 bottleBase;
};

Camera LandingCamera() {
  Camera c;
  c.eye = {-101.24, 207.96, 597.92};
  c.target = {-110.27, 84.06, 71.87};
  c.fovDegrees = 42.07;
  RoundCamera(c);
  return c;
}

// Places a wall feature under a screen rectangle (shrunk by `inset` pixels).
void WallRect(const Camera& cam, double x0, double y0, double x1, double y1, V3& centre, V3& half) {
  V3 a = ScreenOnPlane(cam, x0, y0, 0, kWallX), b = ScreenOnPlane(cam, x1, y1, 0, kWallX);
  V3 c = ScreenOnPlane(cam, (x0 + x1) / 2, (y0 + y1) / 2, 0, kWallX);
  centre = c;
  half = {0, std::fabs(a.y - b.y) / 2, std::fabs(a.z - b.z) / 2};
}

// The landing with the doors opened by `open` (0 closed .. 1 open), what stands behind
// them, the lit call button (-1 none) and, for the travel frames, a light streak.
Landing BuildLanding(const Camera& cam, double open, Beyond beyond, int litButton, double streakY, V3 bottleShift) {
  Landing L;
  Room& room = L.room;
  RoomKit k{room};
  int wall = k.Mat({0.62, 0.70, 0.66}, kPanel, {0.50, 0.56, 0.53}, 60);
  int floor = k.Mat({0.62, 0.60, 0.55}, kTiles, {0.30, 0.30, 0.28}, 45);
  int ceiling = k.Mat({0.80, 0.80, 0.78});
  int bench = k.Mat({0.35, 0.22, 0.12}, kPlanks, {0.2, 0.12, 0.06}, 10);
  int metal = k.Mat({0.55, 0.57, 0.60});
  int glow = k.Mat({1.0, 0.97, 0.85}, kPlain, {}, 40, 1.3);
  int plant = k.Mat({0.20, 0.45, 0.18});
  int pot = k.Mat({0.55, 0.30, 0.18});
  L.doorMat = k.Mat({0.62, 0.64, 0.68}, kPanel, {0.45, 0.46, 0.50}, 51);
  L.cabinWall = k.Mat({0.60, 0.42, 0.25}, kPlanks, {0.35, 0.22, 0.12}, 16);
  L.cabinGlow = k.Mat({1.0, 0.95, 0.80}, kPlain, {}, 40, 1.1);
  L.shaft = k.Mat({0.22, 0.22, 0.22}, kBricks, {0.12, 0.12, 0.12}, 40);
  L.buttonOff = k.Mat({0.55, 0.15, 0.10});
  L.buttonOn = k.Mat({1.0, 0.55, 0.25}, kPlain, {}, 40, 1.4);
  L.streak = k.Mat({1.0, 0.95, 0.75}, kPlain, {}, 40, 3.0);
  L.bottleMat = k.Mat({0.12, 0.40, 0.18});
  int panel = k.Mat({0.30, 0.32, 0.34}, kPanel, {0.15, 0.15, 0.16}, 5);
  int screen = k.Mat({0.25, 0.8, 0.4}, kScreen, {}, 40, 0.6);

  Box& shell = k.Shell({-520, 0, -200}, {kWallX, 290, 720}, wall, wall, floor, ceiling, wall, wall);
  shell.holes.push_back({1, 0, kDoorZ0, kDoorTop, kDoorZ1});

  // Behind the doorway: the cabin when the lift is here, else the bare shaft.
  if (beyond == Beyond::Cabin) {
    Box& c = k.Shell({kWallX, 0, kDoorZ0 - 10}, {kWallX + 170, 245, kDoorZ1 + 10}, L.cabinWall, L.cabinWall, floor,
                     L.cabinGlow, L.cabinWall, L.cabinWall);
    c.holes.push_back({0, 0, kDoorZ0, kDoorTop, kDoorZ1});
    k.Block({kWallX + 150, 90, kDoorZ0 + 5}, {kWallX + 168, 94, kDoorZ1 - 5}, metal, false);  // hand rail
    PointLight l;
    l.position = {kWallX + 120, 220, (kDoorZ0 + kDoorZ1) / 2};
    l.colour = {255, 235, 200};
    l.range = 130;
    l.a1 = 0.002;
    room.lights.push_back(l);
  } else {
    Box& s = k.Shell({kWallX, -400, kDoorZ0 - 10}, {kWallX + 170, 900, kDoorZ1 + 10}, L.shaft, L.shaft, L.shaft,
                     L.shaft, L.shaft, L.shaft);
    s.holes.push_back({0, 0, kDoorZ0, kDoorTop, kDoorZ1});
    k.Pillar(kWallX + 90, 180, 1.5, -400, 900, metal, false);
    k.Pillar(kWallX + 90, 222, 1.5, -400, 900, metal, false);
    k.Block({kWallX + 1, -6, kDoorZ0 - 10}, {kWallX + 14, 0, kDoorZ1 + 10}, metal, false);  // sill
  }
  if (streakY > -1000) k.Block({kWallX + 12, streakY - 20, kDoorZ0}, {kWallX + 20, streakY + 20, kDoorZ1}, L.streak, false);

  // The two sliding leaves, just behind the wall face; open leaves slide into the wall.
  double gap = streakY > -1000 ? 1.2 : 0.0;
  double mid = (kDoorZ0 + kDoorZ1) / 2, shift = (mid - kDoorZ0) * open;
  k.Block({kWallX + 2, 0, kDoorZ0 - shift}, {kWallX + 6, kDoorTop, mid - gap - shift}, L.doorMat, false);
  k.Block({kWallX + 2, 0, mid + gap + shift}, {kWallX + 6, kDoorTop, kDoorZ1 + shift}, L.doorMat, false);

  // Call buttons under tools 379, 646, 647 on a steel plate; the keypad panel beside them.
  const double rects[3][4] = {{45, 242, 58, 253}, {48, 262, 60, 271}, {48, 280, 64, 290}};
  V3 lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
  for (int i = 0; i < 3; ++i) {
    WallRect(cam, rects[i][0], rects[i][1], rects[i][2], rects[i][3], L.button[i], L.buttonHalf[i]);
    V3 c = L.button[i], h = L.buttonHalf[i] * 0.75;
    int mat = (i == litButton) ? L.buttonOn : L.buttonOff;
    k.Block({kWallX - 2.5, c.y - h.y, c.z - h.z}, {kWallX, c.y + h.y, c.z + h.z}, mat, false);
    lo = {0, std::min(lo.y, c.y - L.buttonHalf[i].y), std::min(lo.z, c.z - L.buttonHalf[i].z)};
    hi = {0, std::max(hi.y, c.y + L.buttonHalf[i].y), std::max(hi.z, c.z + L.buttonHalf[i].z)};
  }
  k.Block({kWallX - 0.8, lo.y - 3, lo.z - 3}, {kWallX, hi.y + 3, hi.z + 3}, metal, false);
  V3 pc, ph;
  WallRect(cam, 74, 291, 108, 337, pc, ph);
  k.Block({kWallX - 2, pc.y - ph.y, pc.z - ph.z}, {kWallX, pc.y + ph.y, pc.z + ph.z}, panel, false);
  k.Block({kWallX - 2.6, pc.y + ph.y * 0.35, pc.z - ph.z * 0.7}, {kWallX - 1.9, pc.y + ph.y * 0.85, pc.z + ph.z * 0.7},
          screen, false);

  // A bench and a plant on the right, the bottle on the floor by the bench.
  k.Block({-470, 0, 20}, {-380, 45, 260}, bench);
  k.Block({-470, 45, 20}, {-460, 110, 260}, bench, false);
  k.Pillar(-430, -120, 26, 0, 60, pot);
  room.spheres.push_back(Sphere{{-430, 100, -120}, 45, plant});
  L.bottleBase = ScreenOnPlane(cam, 546, 458, 1, 0) + bottleShift;
  V3 b = L.bottleBase;
  k.Pillar(b.x, b.z, 5.5, 0, 26, L.bottleMat, false);
  room.spheres.push_back(Sphere{{b.x, 26, b.z}, 5.5, L.bottleMat});
  k.Pillar(b.x, b.z, 2.2, 26, 42, L.bottleMat, false);

  k.Lamp({-150, 265, 300}, {255, 240, 215}, 1800, 0.0009, glow);
  k.Lamp({-300, 265, -60}, {225, 232, 255}, 1500, 0.0012, glow);
  room.ambient = {52, 54, 56};
  // The hero keeps his body out of the left wall.
  room.walkMinX = -500; room.walkMaxX = kWallX - 16; room.walkMinZ = -180; room.walkMaxZ = 680;
  return L;
}

}  // namespace

void BuildScene000(Output& out, RoomLayout& layout) {
  Camera cam = LandingCamera();
  Landing base = BuildLanding(cam, 0.0, Beyond::Cabin, -1, -1e9, {});
  SceneDescription d;
  d.camera = cam;
  d.start = {-58.56, 0.225, 224.98};
  d.startHeading = 6.88;
  RenderResult r = RenderScene(base.room, d);
  WriteSceneFiles(out, 0, r, d, true);
  // The way back to the flat runs along the bottom edge; the hero comes in from there, and
  // out of the doorway from the lift's floors and the service room.
  layout.camera = cam;
  layout.start = d.start;
  layout.startHeading = d.startHeading;
  layout.rects["wayBack"] = ScreenRect{0, 566, 800, 600};
  layout.spots["wayBack"] = SpotNear(r, cam, ScreenOnPlane(cam, 420, 586, 1, 0), HeadingAlong(0, 1));
  layout.spots["fromFlat"] = SpotNear(r, cam, ScreenOnPlane(cam, 420, 545, 1, 0), HeadingAlong(0, -1));
  layout.spots["fromDoorway"] = SpotNear(r, cam, ScreenOnPlane(cam, 264, 524, 1, 0), HeadingAlong(-1, 0.3));
  // The doorway is walked into: the hero goes to its middle, facing the lift.
  layout.spots["doorway"] = SpotNear(r, cam, {kWallX - 24, 0, (kDoorZ0 + kDoorZ1) / 2}, HeadingAlong(1, 0));
  // The middle call button's face, as the hero at the buttons' spot sees it.
  const V3 feet = ScreenOnPlane(cam, kButtonsSpotX, kButtonsSpotY, 1, 0);
  const V3 button = V3{kWallX - 2.5, base.button[1].y, base.button[1].z} - feet;
  const double h = kButtonsFacing;
  layout.pressTarget = {button.x * -std::cos(h) + button.z * std::sin(h), button.y,
                        button.x * -std::sin(h) + button.z * -std::cos(h)};

  // Door pictures: the crop starts at (125, 0) and covers the doorway.
  int doorW = 130, doorH = 560;
  for (int f = 0; f < 8; ++f) {
    double open = f / 7.0;
    open = open * open * (3 - 2 * open);
    Landing cab = BuildLanding(cam, open, Beyond::Cabin, -1, -1e9, {});
    AddFrame(out, "animgfx/scene000/Door1000.tif", f, RenderCrop(cab.room, cam, 125, 0, doorW, doorH));
    Landing sh = BuildLanding(cam, open, Beyond::Shaft, -1, -1e9, {});
    AddFrame(out, "animgfx/scene000/Door000.Tif", f, RenderCrop(sh.room, cam, 125, 0, doorW, doorH));
  }
  // The cabin passing behind the closed doors: light runs up the seam.
  for (int f = 0; f < 12; ++f) {
    Landing l = BuildLanding(cam, 0.0, Beyond::Shaft, -1, -60 + f * 30.0, {});
    AddFrame(out, "animgfx/scene000/Lift000.tif", f, RenderCrop(l.room, cam, 141, 109, 110, 420));
  }
  // The bottle rattles while the lift moves.
  const V3 jiggle[4] = {{0, 0, 0}, {1.2, 0, 0.6}, {0, 0, -0.8}, {-1.0, 0, 0.4}};
  for (int f = 0; f < 4; ++f) {
    Landing l = BuildLanding(cam, 0.0, Beyond::Cabin, -1, -1e9, jiggle[f]);
    AddFrame(out, "animgfx/scene000/botle000.tif", f, RenderCrop(l.room, cam, 531, 393, 34, 72));
  }
  // Call buttons blinking, ending lit: 1 for the call button (tool 647), 2 for the send button (646).
  for (int f = 0; f < 6; ++f) {
    bool lit = (f % 2) == 1;
    Landing a = BuildLanding(cam, 0.0, Beyond::Cabin, lit ? 2 : -1, -1e9, {});
    AddFrame(out, "animgfx/scene000/button1000.Tif", f, RenderCrop(a.room, cam, 41, 257, 30, 40));
    Landing b = BuildLanding(cam, 0.0, Beyond::Cabin, lit ? 1 : -1, -1e9, {});
    AddFrame(out, "animgfx/scene000/button2000.Tif", f, RenderCrop(b.room, cam, 41, 257, 30, 40));
  }
}

}  // namespace tarvex::demo
