// The rooms of the demo game and the pictures cut from them (frame sequences that
// show parts of a room in other states).
#pragma once
#include <functional>
#include <map>
#include <string>

#include "formats/output.h"
#include "raycast.h"
#include "formats/scene_files.h"

namespace tarvex::demo {

using namespace tarvex::formats;

// Building blocks shared by the room descriptions.
struct RoomKit {
  Room& room;
  int Mat(V3 albedo, Pattern p = kPlain, V3 albedo2 = {0.3, 0.3, 0.3}, double scale = 40, double emissive = 0,
          double reflect = 0);
  // An enclosing room seen from inside; faces: -x, +x, floor, ceiling, -z, +z.
  Box& Shell(V3 lo, V3 hi, int wallX0, int wallX1, int floor, int ceiling, int wallZ0, int wallZ1);
  Box& Block(V3 lo, V3 hi, int material, bool obstacle = true);
  Cylinder& Pillar(double x, double z, double radius, double y0, double y1, int material, bool obstacle = true);
  void Lamp(V3 pos, V3 colour, double range, double a1, int glowMaterial);  // light + glowing globe
  void Table(double x0, double z0, double x1, double z1, double height, int top, int legs);
};

// Writes the five scene files (scr_NNN.tif, .zbf, m.raw, m.msk, .txt) of one room.
// The description's lights are taken from the room.
void WriteScene(Output& out, int number, const Room& room, SceneDescription desc);
// The same in two steps, for scenes whose picture gets painted details: render (the
// description's camera is rounded and its lights and ambient taken from the room),
// then write. A close-up (`walkable` false) has no floor to walk on.
RenderResult RenderScene(const Room& room, SceneDescription& desc);
void WriteSceneFiles(Output& out, int number, RenderResult& r, const SceneDescription& desc, bool walkable);
// Renders the screen rectangle of a room variant as a picture.
Image RenderCrop(const Room& room, const Camera& cam, int x, int y, int w, int h);


// Where a room's scripts find its things on the screen, taken from the camera that drew
// it: hotspot rectangles, floor spots the hero walks to or enters at, the pictures of
// items lying in the room. The scene scripts are written from these.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct FloorSpot {
  int x = 0, y = 0;   // screen point on free floor (a walk target)
  V3 world;           // the floor point under it
  double heading = 0; // the hero's facing there
};
struct ItemPicture {
  std::string file;   // gfx/sceneNNN/NAME.bmp: the room with the item, cut to the item
  int x = 0, y = 0;
};
struct RoomLayout {
  Camera camera;
  V3 start;
  double startHeading = 0;
  std::map<std::string, ScreenRect> rects;
  std::map<std::string, FloorSpot> spots;
  std::map<std::string, ItemPicture> pictures;
  // The landing only: where the hero's fingers press the call buttons, in his model space
  // (forward x, up y, left z) as he stands at the buttons' spot.
  V3 pressTarget;
};
using Layouts = std::map<int, RoomLayout>;

// Pixels around an item's picture: its shadow on what it lies on is part of it.
constexpr int kItemMargin = 7;
// The screen rectangle around a world box (grown by `grow` pixels, kept on the screen).
ScreenRect BoxOnScreen(const Camera& cam, V3 lo, V3 hi, int grow = 0);
// The facing of a walk in direction (dx, dz), as the engine measures headings.
double HeadingAlong(double dx, double dz);
// The free-floor screen point nearest to where world floor point `p` is seen (searched
// on the walk mask's 2 x 2 cells of the rendered room), with the hero's facing there.
FloorSpot SpotNear(const RenderResult& r, const Camera& cam, V3 p, double heading);
// Renders the room with an item in it and cuts the item's rectangle out as its picture.
ItemPicture AddItemPicture(Output& out, const std::string& file, const Room& withItem, const Camera& cam,
                           ScreenRect rect);
// A scene with nothing to see or walk on (a passage the scripts leave at once).
void WriteBlackScene(Output& out, int number);

void BuildRooms(Output& out, Layouts& layouts);

}  // namespace tarvex::demo
