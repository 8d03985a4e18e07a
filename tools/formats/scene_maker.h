// A scene's five files made from an artist's files: a rendered picture, its depth pass,
// a painted walk area and the camera the picture was rendered with.
//
// The floor depth and the walk mask are computed as the engine reads them back: the engine
// unprojects a clicked pixel (x, y) along the ray through the pixel's corner (x, y), so the
// floor depth written there is the depth pass carried from the pixel's centre to that corner
// (1 / depth is affine on a plane); a click on the floor then lands on the world point the
// depth pass holds there. The scenery depth keeps each pixel's own value.
#pragma once
#include <string>
#include <vector>

#include "formats/image.h"
#include "formats/math3d.h"
#include "formats/output.h"

namespace tarvex::formats {

// The scene numbers the engine plays.
constexpr int kFirstSceneNumber = 0;
constexpr int kLastSceneNumber = 298;

// A depth pass in memory: distance along the view direction (the camera's own z, not the
// length of the ray), rows top-down. Values that are not finite, not above 0 or at least
// kNoDepthAtOrBeyond mark pixels where nothing was hit (sky, background).
struct DepthPass {
  int width = 0, height = 0;
  std::vector<float> values;
};
constexpr double kNoDepthAtOrBeyond = 1.0e7;

struct MakeSceneRequest {
  int scene = -1;       // 0..298
  std::string gameDir;  // the files go to gameDir/scenes/ (MakeScene)

  // The inputs, each from a file or, when its path is empty, from memory.
  std::string picturePath;  // PNG, JPEG or TIFF; 8 or 16 bits; RGB, RGBA or grey
  Image picture;
  std::string depthPath;    // 16-bit PNG, PFM or OpenEXR
  DepthPass depth;
  std::string walkPath;     // any picture the picture reader takes
  Image walk;

  // The camera the picture was rendered with, in the scene file's z-up coordinates (those of
  // the modelling program: file point (a, b, c) is the engine's (-a, c, -b)). fovDegrees is
  // the vertical field of view; the picture is 4:3.
  V3 eye, target;
  double fovDegrees = 50, rollDegrees = 0;

  double scale = 1.0;                // the characters' size in the scene
  V3 ambient{40, 40, 40};            // red, green, blue 0..255
  std::vector<PointLight> lights;    // positions in file coordinates; at most 16
  bool mirror = false;
  V3 mirrorCorners[4];               // file coordinates
  double mirrorOffset = 0;

  bool fit = false;                  // scale a 4:3 picture of another size to 800 x 600
  // Normalised depth: a stored value v in 0..1 (a 16-bit PNG's value / 65535) is the distance
  // near + v * (far - near). Without it a 16-bit PNG holds distances in scene units (0: none).
  bool depthRange = false;
  double depthNear = 0, depthFar = 0;
  Rgba walkColour{255, 255, 255, 255};  // floor in the walk picture (each channel within 64)
};

struct MakeSceneSummary {
  std::vector<std::string> files;  // relative to the game folder, "scenes/scr_NNN.tif" ...
  long floorPixels = 0;            // screen pixels with floor depth
  long walkCells = 0;              // free 2 x 2 cells of the walk mask
  V3 floorMin, floorMax;           // world bounds of the floor, engine coordinates
  int startX = 0, startY = 0;      // a roomy floor point near the middle of the floor
  V3 start;                        // its world point, engine coordinates
  // What the scene is made with but will not play well: floor beyond the engine's far plane
  // or nearer than its near plane, a floor above the camera (coordinates mixed up).
  std::vector<std::string> warnings;
};

// The five files of the scene, added to `out` under "scenes/". False with a message in
// `error` (and nothing added) when an input is refused.
bool MakeSceneFiles(const MakeSceneRequest& request, Output& out, MakeSceneSummary& summary, std::string& error);

// Makes the files and writes them loose into gameDir/scenes/, each through a temporary file
// renamed once all are written: on any refusal or failure nothing is left behind.
bool MakeScene(const MakeSceneRequest& request, MakeSceneSummary& summary, std::string& error);
bool MakeScene(const MakeSceneRequest& request, std::string& error);

// The picture readers make-scene uses, exposed for the other authoring tools. False with a
// message when the file cannot be read or is not one of the formats. A picture is PNG, JPEG
// or TIFF; a depth pass 16-bit PNG, PFM or OpenEXR, mapped from 0..1 to nearValue..farValue
// when `normalised` (see MakeSceneRequest::depthRange).
bool ReadPictureFile(const std::string& path, Image& image, std::string& error);
bool ReadDepthFile(const std::string& path, bool normalised, double nearValue, double farValue, DepthPass& depth,
                   std::string& error);
// The same from a file's bytes.
bool DecodePicture(const Bytes& bytes, Image& image, std::string& error);
bool DecodeDepth(const Bytes& bytes, bool normalised, double nearValue, double farValue, DepthPass& depth,
                 std::string& error);

}  // namespace tarvex::formats
