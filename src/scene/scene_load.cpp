#include "scene/scene_load.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "base/byte_io.h"
#include "base/display_values.h"
#include "base/globals.h"
#include "platform/depth_buffer.h"
#include "platform/display.h"
#include "platform/render_device.h"
#include "platform/surface.h"
#include "resources/game_file.h"
#include "resources/picture.h"
#include "scene/scene_description.h"
#include "scene/walk_mask.h"

namespace tarvex {

uint8_t backgroundPixels[kBackgroundPixelBytes];

namespace {

// The scene picture into backgroundPixels and, converted once to the display format,
// into the background surface. Only a full-screen picture replaces them; "" when it did,
// else why not.
std::string LoadBackground(const std::string& path) {
    BgrPicture picture;
    if (!ReadTiffPicture(path, picture)) return "not an 8-bit RGB TIFF";
    if (picture.width != 800 || picture.height != 600)
        return std::to_string(picture.width) + " x " + std::to_string(picture.height) + " pixels, not 800 x 600";
    for (size_t i = 0; i < static_cast<size_t>(800) * 600; ++i) {
        backgroundPixels[4 * i] = picture.bgr[3 * i];
        backgroundPixels[4 * i + 1] = picture.bgr[3 * i + 1];
        backgroundPixels[4 * i + 2] = picture.bgr[3 * i + 2];
    }
    Surface* surface = sceneBackground;
    if (!surface || surface->width != 800 || surface->height != 600) return "";
    for (int y = 0; y < 600; ++y)
        ConvertRowToDisplay(picture.bgr.data() + static_cast<size_t>(y) * 800 * 3, 800, 600 - y, surface->depth,
                            PixelRow(*surface, y));
    surface->dirty = true;
    return "";
}

// Files of scenes already said to be refused: each is said once a run.
std::set<std::string> reportedSceneFiles;

// Says once why a scene file was not taken (missing, or refused with the reason).
void ReportSceneFile(const std::string& path, const std::string& why) {
    if (why.empty() || !reportedSceneFiles.insert(path).second) return;
    const bool missing = LocateGameFile(path) == GameFileSource::Missing;
    std::fprintf(stderr, "tarvex: scene %d: %s %s\n", currentScene, path.c_str(),
                 missing ? "is missing" : ("is refused: " + why).c_str());
}

// The camera's unprojection, formed once for many pixels.
struct Unprojector {
    Vec3 eye;
    Mat4 inverseView;
    float p00 = 1.0f, p11 = 1.0f;

    Unprojector() {
        eye = sceneCamera.eye;
        MatIdentity(inverseView);
        MatInverse(inverseView, nullptr, sceneCamera.viewMatrix);
        p00 = sceneCamera.projectionMatrix[0];
        p11 = sceneCamera.projectionMatrix[5];
    }

    Vec3 At(int x, int y, float d) const {
        Vec3 dir{(2.0f * x / 800.0f - 1.0f) / p00, -(2.0f * y / 600.0f - 1.0f) / p11, 1.0f};
        Vec3TransformNormal(dir, dir, inverseView);
        return Vec3{eye.x - d * dir.x, eye.y - d * dir.y, eye.z - d * dir.z};
    }
};

// Reads the depth image; false (every pixel far away) when the file is missing or short.
bool ReadDepthImage(const std::string& path, std::vector<float>& depth) {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(path, bytes, kDepthImageBytes)) return false;
    if (bytes.size() < kDepthImageBytes) {
        ReportSceneFile(path, std::to_string(bytes.size()) + " bytes, not " + std::to_string(kDepthImageBytes));
        return false;
    }
    ByteReader r(bytes.data(), bytes.size());
    depth.resize(800 * 600);
    return r.F32s(depth.data(), depth.size());
}

// One row of window depths: z and w are linear in x along a row. The rows do not overlap, and
// the tests are joined without branches, so that the row is computed in vectors.
void WindowDepthRow(const float* __restrict in, float* __restrict out, float zEye, float zRow, float zStep,
                    float wEye, float wRow, float wStep) {
    for (int x = 0; x < 800; ++x) {
        const float d = in[x];
        const float z = zEye - d * (zRow + zStep * static_cast<float>(x));
        const float w = wEye - d * (wRow + wStep * static_cast<float>(x));
        const float depth = z / w;
        // A point outside the near..far range is clipped and leaves the cleared depth.
        const bool inside = (w > 0.0f) & (depth >= 0.0f) & (depth <= 1.0f);
        out[x] = inside ? depth : 1.0f;
    }
}

}  // namespace

std::string SceneFileBase(int scene) {
    char base[32];
    std::snprintf(base, sizeof base, "scenes/scr_%3.3d", scene);
    return base;
}

Vec3 ScreenToWorld(int x, int y, float d) { return Unprojector().At(x, y, d); }

void SceneryWindowDepth(const float* depthImage, float* windowDepth) {
    // A pixel's point is eye - d * dir, with dir linear in the pixel's x and y, so its clip
    // z and w are too: z = ze - d * (z0 + zx * x + zy * y), and w alike. The coefficients
    // are formed once (in double), leaving a few operations a pixel.
    const Unprojector unproject;
    Mat4 viewProjection;
    MatMultiply(viewProjection, sceneCamera.viewMatrix, sceneCamera.projectionMatrix);
    const Mat4& m = viewProjection;
    const Mat4& r = unproject.inverseView;
    auto dot = [](double a0, double a1, double a2, double b0, double b1, double b2) { return a0 * b0 + a1 * b1 + a2 * b2; };
    const double mz[3] = {m[2], m[6], m[10]}, mw[3] = {m[3], m[7], m[11]};
    // dir = u * row0 + v * row1 + row2 of the inverse view's rotation.
    const double rz[3] = {dot(r[0], r[1], r[2], mz[0], mz[1], mz[2]), dot(r[4], r[5], r[6], mz[0], mz[1], mz[2]),
                          dot(r[8], r[9], r[10], mz[0], mz[1], mz[2])};
    const double rw[3] = {dot(r[0], r[1], r[2], mw[0], mw[1], mw[2]), dot(r[4], r[5], r[6], mw[0], mw[1], mw[2]),
                          dot(r[8], r[9], r[10], mw[0], mw[1], mw[2])};
    const Vec3 e = unproject.eye;
    const double ze = dot(e.x, e.y, e.z, mz[0], mz[1], mz[2]) + m[14];
    const double we = dot(e.x, e.y, e.z, mw[0], mw[1], mw[2]) + m[15];
    // u = (2x / 800 - 1) / p00, v = -(2y / 600 - 1) / p11.
    const double ux = 2.0 / 800.0 / unproject.p00, u0 = -1.0 / unproject.p00;
    const double vy = -2.0 / 600.0 / unproject.p11, v0 = 1.0 / unproject.p11;
    for (int y = 0; y < 600; ++y) {
        const double v = v0 + vy * y;
        const float zRow = static_cast<float>(u0 * rz[0] + v * rz[1] + rz[2]);
        const float wRow = static_cast<float>(u0 * rw[0] + v * rw[1] + rw[2]);
        const float zStep = static_cast<float>(ux * rz[0]), wStep = static_cast<float>(ux * rw[0]);
        WindowDepthRow(depthImage + static_cast<size_t>(y) * 800, windowDepth + static_cast<size_t>(y) * 800,
                       static_cast<float>(ze), zRow, zStep, static_cast<float>(we), wRow, wStep);
    }
}

void LoadSceneFiles() {
    sceneMirror.mirrorEnabled = false;
    particleSystemCount = 0;
    const std::string base = SceneFileBase(currentScene);

    std::vector<float> depthImage;
    const bool haveDepth = ReadDepthImage(base + ".zbf", depthImage);
    if (!haveDepth) ReportSceneFile(base + ".zbf", "missing");
    ReportSceneFile(base + ".tif", LoadBackground(base + ".tif"));

    if (!LoadWalkMask(base + "m.raw")) ReportSceneFile(base + "m.raw", "shorter than a walk mask (120,000 bytes)");
    // A scene without a camera has none: the previous scene's belongs to another picture.
    sceneCamera = SceneCamera{};
    if (LocateGameFile(base + ".txt") == GameFileSource::Missing) ReportSceneFile(base + ".txt", "missing");
    LoadSceneDescription(base + ".txt");
    // Nor a floor without its picture, or without a camera to place its points in the world
    // (a room being made): the hero does not walk there.
    const bool haveFloor = LoadFloorDepth(base + "m.msk");
    if (!haveFloor) ReportSceneFile(base + "m.msk", "not a floor depth picture");
    if (!haveFloor || !sceneCamera.present) std::fill(std::begin(floorDepth), std::end(floorDepth), 2.0f * kNoFloor);

    // The scenery's depth, once per scene; a scene without a depth image hides nothing.
    if (DisplayReady()) {
        const bool clearStencil = stencilShadows == 4;
        if (haveDepth && sceneCamera.present) {
            std::vector<float> windowDepth(800 * 600);
            SceneryWindowDepth(depthImage.data(), windowDepth.data());
            WriteBackBufferDepth(windowDepth.data(), clearStencil);
        } else {
            ClearBackBufferDepth(clearStencil);
        }
        SaveBackBufferDepth();
    }
}

void ResetSceneObjects() { ResetSceneDescriptionObjects(); }

}  // namespace tarvex
