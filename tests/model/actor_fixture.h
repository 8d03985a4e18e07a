// Shared pieces of the actor tests: a flat one-bone model and a camera looking down at
// the floor y = 0.
#pragma once
#include "scene/scene_description.h"
#include "scene/scene_load.h"
#include "support/model_writer.h"

namespace tarvex::test {

// A quad facing -z, 2 * half wide, from y0 up `height`, on the bone "Bip01" (a second
// bone "Bip01 Neck" holds nothing); motion 0 loops ten frames.
inline ModelSpec QuadSpec(float half, float y0, float height) {
    ModelSpec s;
    s.points = {{-half, y0, 0}, {half, y0, 0}, {-half, y0 + height, 0}, {half, y0 + height, 0}};
    s.normals.assign(4, {0, 0, -1});
    s.uvs = {{0, 1}, {1, 1}, {0, 0}, {1, 0}};
    s.pointVertices = {{0}, {1}, {2}, {3}};
    s.triangles = {{0, 2, 1}, {1, 2, 3}};
    s.poses = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}};
    s.frameCount = 1;
    s.bones = {{"Bip01", {0, 1, 2, 3}, {0}}, {"Bip01 Neck", {}, {0}}};
    s.motions[0] = {0, 10, 0, 1.0f, 0};
    return s;
}

// The scene camera at (0, 500, -800) looking at the origin.
inline void LookDownAtFloor() {
    sceneTables.sceneCamera.eye = {0, 500, -800};
    sceneTables.sceneCamera.target = {0, 0, 0};
    MatLookAt(sceneTables.sceneCamera.viewMatrix, sceneTables.sceneCamera.eye, sceneTables.sceneCamera.target, Vec3{0, 1, 0});
    MatPerspectiveFov(sceneTables.sceneCamera.projectionMatrix, 45.0f * kDegreesToRadians, 0.75f, 100.0f, 10000.0f);
}

// The view depth where the pixel's ray meets the floor y = 0 (the unprojection is
// eye - d * ray), or far below any floor where it does not.
inline float FloorRayDepth(int x, int y) {
    const float rayY = sceneTables.sceneCamera.eye.y - ScreenToWorld(x, y, 1.0f).y;
    return rayY < 0 ? sceneTables.sceneCamera.eye.y / rayY : -1e9f;
}

}  // namespace tarvex::test
