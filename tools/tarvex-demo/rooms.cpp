#include "rooms.h"

#include <cmath>

namespace tarvex::demo {

namespace {

const V3 kWarmLight{255, 236, 205};
const V3 kCoolLight{205, 222, 255};

// Scene 23: the hero's flat, where a new game starts. A door on the left leads to the
// lift landing (scene 0), a door in the back wall to the old man's room (scene 131). The
// notebook lies on the table, a lantern stands on the bookcase: the background is drawn
// without them, their pictures are cut from the room drawn with them.
constexpr double kFlatTableTop = 72, kBookcaseTop = 190;
const V3 kNotebookLo{95, kFlatTableTop, 322}, kNotebookHi{137, kFlatTableTop + 4, 356};
const V3 kLanternAt{-300, kBookcaseTop, 20};

Room Flat(bool withNotebook, bool withLantern) {
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
  k.Table(50, 300, 190, 380, kFlatTableTop, wood, wood);
  k.Block({-330, 0, -60}, {-270, kBookcaseTop, 100}, books);  // bookcase on the right
  room.patches.push_back({-110, 60, 60, 200, rug, 7});  // the rug: walked over, not routed over
  if (withNotebook) {
    int cover = k.Mat({0.16, 0.24, 0.52}, kPlain);
    int paper = k.Mat({0.93, 0.90, 0.80});
    k.Block(kNotebookLo, kNotebookHi, cover, false);
    k.Block(kNotebookLo + V3{3, 0, 2}, kNotebookHi + V3{-1, 0.4, -2}, paper, false);
    k.Block(kNotebookLo + V3{3, 0, 2}, kNotebookHi + V3{-1, 0.8, -2}, cover, false);
  }
  if (withLantern) {
    int brass = k.Mat({0.70, 0.55, 0.25});
    int dim = k.Mat({0.75, 0.65, 0.35}, kPlain, {}, 40, 0.25);
    V3 l = kLanternAt;
    k.Pillar(l.x, l.z, 9, l.y, l.y + 6, brass, false);
    k.Pillar(l.x, l.z, 7, l.y + 6, l.y + 22, dim, false);
    k.Pillar(l.x, l.z, 9, l.y + 22, l.y + 26, brass, false);
    room.spheres.push_back(Sphere{{l.x, l.y + 30, l.z}, 4, brass});
  }

  k.Lamp({0, 260, 250}, kWarmLight, 1800, 0.0009, glow);
  k.Lamp({-250, 240, -60}, kCoolLight, 1200, 0.0015, glow);
  room.ambient = {46, 42, 38};
  room.walkMinX = -320; room.walkMaxX = 310; room.walkMinZ = -200; room.walkMaxZ = 640;
  return room;
}

void Scene023(Output& out, RoomLayout& layout) {
  Room room = Flat(false, false);
  SceneDescription d;
  d.camera.eye = {0, 210, 660};
  d.camera.target = {-20, 70, 0};
  d.camera.fovDegrees = 52;
  RoundCamera(d.camera);
  d.start = ScreenOnPlane(d.camera, 440, 520, 1, 0);  // in front of the rug
  d.start.y = 0;
  d.startHeading = 1.5708;
  RenderResult r = RenderScene(room, d);
  WriteSceneFiles(out, 23, r, d, true);

  const Camera& cam = d.camera;
  layout.camera = cam;
  layout.start = d.start;
  layout.startHeading = d.startHeading;
  layout.rects["leftDoor"] = BoxOnScreen(cam, {330, 0, -150}, {330, 230, -40});
  layout.rects["backDoor"] = BoxOnScreen(cam, {-90, 0, -220}, {30, 230, -220});
  layout.rects["table"] = BoxOnScreen(cam, {50, 0, 300}, {190, kFlatTableTop, 380});
  layout.rects["bookcase"] = BoxOnScreen(cam, {-330, 0, -60}, {-270, kBookcaseTop, 100});
  layout.rects["rug"] = BoxOnScreen(cam, {-110, 0, 60}, {60, 0, 200});
  layout.spots["leftDoor"] = SpotNear(r, cam, {285, 0, -95}, HeadingAlong(1, 0));
  layout.spots["fromLanding"] = SpotNear(r, cam, {270, 0, -60}, HeadingAlong(-1, 1));
  layout.spots["backDoor"] = SpotNear(r, cam, {-30, 0, -178}, HeadingAlong(0, -1));
  layout.spots["fromOldMan"] = SpotNear(r, cam, {-30, 0, -160}, HeadingAlong(0, 1));
  layout.spots["table"] = SpotNear(r, cam, {12, 0, 340}, HeadingAlong(1, 0));
  layout.spots["bookcase"] = SpotNear(r, cam, {-222, 0, 20}, HeadingAlong(-1, 0));

  // The notebook's shadow falls towards the front of the table: its picture takes it in.
  ScreenRect notebook = BoxOnScreen(cam, kNotebookLo, kNotebookHi + V3{0, 0, 24}, kItemMargin);
  layout.pictures["notebook"] = AddItemPicture(out, "gfx/scene023/notebook.bmp", Flat(true, false), cam, notebook);
  ScreenRect lantern = BoxOnScreen(cam, kLanternAt + V3{-10, 0, -10}, kLanternAt + V3{10, 35, 10}, kItemMargin);
  layout.pictures["lantern"] = AddItemPicture(out, "gfx/scene023/lantern.bmp", Flat(false, true), cam, lantern);
}

}  // namespace

void BuildScene000(Output& out, RoomLayout& layout);
void BuildCloseUps(Output& out);
void BuildMoreRooms(Output& out, Layouts& layouts);

void BuildRooms(Output& out, Layouts& layouts) {
  BuildScene000(out, layouts[0]);
  Scene023(out, layouts[23]);
  BuildCloseUps(out);
  BuildMoreRooms(out, layouts);
  // Passages the scripts leave at once (the old man's three ways out) and the ending,
  // which shows its video.
  for (int scene : {134, 135, 219, 261}) WriteBlackScene(out, scene);
}

}  // namespace tarvex::demo
