// Encoders for the five files of a scene: picture, depth, walk mask, floor depth, description.
#pragma once
#include <string>
#include <vector>

#include "formats/math3d.h"
#include "formats/output.h"

namespace tarvex::formats {

// A scene's file in the game folder: "scenes/scr_023" + suffix.
std::string SceneName(int number, const std::string& suffix);

// 800 x 600 little-endian floats, rows top-down.
Bytes EncodeDepth(const std::vector<float>& depth);
// Floor depth in the run-length layout: a 600-entry big-endian row table (row y at
// byte 2396 - 4y, value = row offset + 740), then per row seven channels of PackBits
// packets; channels 3..6 carry the float's bytes from the top down. Pixels without
// floor hold -1,000,000. The lowest mantissa byte is rounded away (relative error
// below 2^-16) so that the file stays well under its 921,600-byte limit.
Bytes EncodeFloorDepth(const std::vector<float>& floorDepth);
// Quantisation used by EncodeFloorDepth, exposed for the scene builders.
float QuantiseFloorDepth(float d);
// 400 x 300 cells: 0 when all four pixels are walkable floor, a patch's value when all
// four are floor and one lies on a marked patch, else 255.
Bytes EncodeWalkMask(const std::vector<uint8_t>& floorClass);

struct SceneParticles {
  V3 position;  // engine coordinates
  double scale;
  std::string file;
};

struct SceneDescription {
  Camera camera;
  double scale = 1.0;
  V3 ambient{40, 40, 40};  // red, green, blue 0..255
  V3 start;                // hero start, engine coordinates
  double startHeading = 0;
  std::vector<PointLight> lights;
  std::vector<SceneParticles> particles;
  bool mirror = false;
  V3 mirrorCorners[4];
  double mirrorValue = 0;
};

// Rounds the camera to the precision the text keeps, so the picture is rendered with
// exactly the camera the engine will read back.
void RoundCamera(Camera& cam);
std::string SceneDescriptionText(const SceneDescription& s);

}  // namespace tarvex::formats
