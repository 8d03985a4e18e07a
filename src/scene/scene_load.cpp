#include "scene/scene_load.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "platform/depth_buffer.h"
#include "render/actor_render.h"
#include "platform/display.h"
#include "platform/surface.h"
#include "resources/byte_io.h"
#include "resources/game_file.h"
#include "resources/picture.h"
#include "scene/scene_description.h"
#include "scene/walk_mask.h"
#include "shell/display_setup.h"
#include "shell/globals.h"

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
    for (float& d : depth) d = r.F32();
    return r.ok();
}

}  // namespace

std::string SceneFileBase(int scene) {
    char base[32];
    std::snprintf(base, sizeof base, "scenes/scr_%3.3d", scene);
    return base;
}

Vec3 ScreenToWorld(int x, int y, float d) { return Unprojector().At(x, y, d); }

void SceneryWindowDepth(const float* depthImage, float* windowDepth) {
    const Unprojector unproject;
    Mat4 viewProjection;
    MatMultiply(viewProjection, sceneCamera.viewMatrix, sceneCamera.projectionMatrix);
    const Mat4& m = viewProjection;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const size_t i = static_cast<size_t>(y) * 800 + x;
            const Vec3 p = unproject.At(x, y, depthImage[i]);
            const float z = p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14];
            const float w = p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15];
            const float depth = z / w;
            // A point outside the near..far range is clipped and leaves the cleared depth.
            windowDepth[i] = (w > 0.0f && depth >= 0.0f && depth <= 1.0f) ? depth : 1.0f;
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
    // A missing floor depth keeps the previous floor.
    if (!LoadFloorDepth(base + "m.msk")) ReportSceneFile(base + "m.msk", "not a floor depth picture");
    if (LocateGameFile(base + ".txt") == GameFileSource::Missing) ReportSceneFile(base + ".txt", "missing");
    LoadSceneDescription(base + ".txt");
    // The camera, lights, ambient colour and material go to the device with the scene.
    ApplySceneToDevice();

    // The scenery's depth, once per scene; a scene without a depth image hides nothing.
    if (DisplayReady()) {
        const bool clearStencil = stencilShadows == 4;
        if (haveDepth) {
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
