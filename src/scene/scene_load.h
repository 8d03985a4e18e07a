// Scene loading: the current scene's picture, scenery depth, walk mask, floor depth
// and description; the scenery depth goes into the depth buffer once per scene.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/math.h"
#include "scene/scene_description.h"

namespace tarvex {

struct SceneCamera;

constexpr size_t kDepthImageBytes = 800 * 600 * 4;

// Loads the scene whose number stands in currentScene (its files taken from memory when
// they were read ahead).
void LoadSceneFiles();
// Reads and decodes the files of `scene` on a loader thread while the current scene is
// shown (the scenery's window depths too, through the camera of its description), so that
// a switch to it only puts them in place. Called again for the same scene (every frame),
// it moves the picture and the window depths to the device a band of rows at a time once
// they are read, and then draws the scenery depth into a spare depth buffer. One scene
// ahead at most: another scene replaces it. Files that cannot be read are met again, and
// said, by the switch.
void PrefetchSceneFiles(int scene);
// Scene reset's part: lights, mirrors and the other per-scene object tables.
void ResetSceneObjects();

// "scenes/scr_NNN" for a scene number (the files add .tif, .zbf, m.raw, m.msk, .txt).
std::string SceneFileBase(int scene);

// The world point seen at screen pixel (x, y) with depth value d, through the scene's
// camera (depth images hold d; the floor at a pixel lies at its floor depth).
Vec3 ScreenToWorld(int x, int y, float d);

// Window depths (0..1) of the scenery from a depth image (800 x 600 values, rows
// top-down), as points drawn through the scene's view and projection would leave
// them; pixels whose point falls outside the depth range stay far (1.0).
void SceneryWindowDepth(const float* depthImage, float* windowDepth);
// The same through a given camera (any thread: nothing shared is read).
void SceneryWindowDepth(const SceneCamera& camera, const float* depthImage, float* windowDepth);

}  // namespace tarvex
