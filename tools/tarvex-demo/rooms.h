// The rooms of the demo game and the pictures cut from them (frame sequences that
// show parts of a room in other states).
#pragma once
#include <functional>
#include <string>

#include "output.h"
#include "raycast.h"
#include "scene_files.h"

namespace tarvex::demo {

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

std::string SceneName(int number, const std::string& suffix);  // "scenes/scr_023" + suffix

void BuildRooms(Output& out);

}  // namespace tarvex::demo
