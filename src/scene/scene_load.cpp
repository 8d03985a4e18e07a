#include "scene/scene_load.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <chrono>
#include <future>
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
#include "resources/file_lookup.h"
#include "resources/picture.h"
#include "resources/tiff_client.h"
#include "scene/scene_description.h"
#include "scene/walk_mask.h"

namespace tarvex {


namespace {

// The files of a scene that the switch reads from the disk, in this order.
enum SceneFileKind { kDepthFile, kPictureFile, kMaskFile, kFloorFile, kDescriptionFile, kSceneFileKinds };
const char* const kSceneFileSuffix[kSceneFileKinds] = {".zbf", ".tif", "m.raw", "m.msk", ".txt"};
// The most of each that is read (the picture's larger files are refused instead).
const uint64_t kSceneFileLimit[kSceneFileKinds] = {kDepthImageBytes, kMaxTiffFileBytes, kWalkMaskBytes,
                                                   kFloorDepthFileLimit, kSceneDescriptionBytes};
// Rows of the picture and of the window depths moved to the device in a frame of read-ahead.
constexpr int kStagedRowsAFrame = 200;

// A scene's files opened by the loose-first rule. Opening uses the file lookup, which is
// the main thread's; the open streams may then be read on any thread.
struct OpenedSceneFiles {
    FILE* files[kSceneFileKinds] = {};
    uint64_t sizes[kSceneFileKinds] = {};
};

OpenedSceneFiles OpenSceneFiles(const std::string& base) {
    OpenedSceneFiles opened;
    for (int kind = 0; kind < kSceneFileKinds; ++kind) {
        // The picture may be a translation pack's own (captions painted into the room).
        const std::string path = base + kSceneFileSuffix[kind];
        opened.files[kind] = OpenGameFile(kind == kPictureFile ? PicturePath(path) : path, opened.sizes[kind]);
    }
    return opened;
}

// A scene's files read and decoded, ready to be put in place.
struct SceneFiles {
    bool depthFound = false;
    size_t depthBytes = 0;
    std::vector<float> depth;  // 800 x 600 values when the depth image is whole
    std::string pictureWhy;    // "" when the picture is taken, else why not
    std::vector<uint8_t> pixels;       // the picture as backgroundPixels holds it
    std::vector<uint8_t> displayRows;  // the picture in the display format, rows packed
    int displayDepth = 0;
    bool maskFound = false;
    std::vector<uint8_t> mask;
    bool floorTaken = false;
    std::vector<float> floor;
    bool descriptionFound = false;
    std::vector<uint8_t> description;
    std::vector<float> windowDepth;  // through the description's camera, when it has one
};

std::vector<uint8_t> ReadOpened(FILE*& f, uint64_t size, uint64_t limit) {
    std::vector<uint8_t> bytes;
    ReadGameFileBytes(f, std::min(size, limit), bytes);
    std::fclose(f);
    f = nullptr;
    return bytes;
}

// The picture: only an 800 x 600 one is taken, converted once to the display format.
void DecodePicture(FILE*& f, uint64_t size, int displayDepth, SceneFiles& out) {
    BgrPicture picture;
    // A file past the picture limit is refused from its size, before a byte is read.
    if (!f || size > kMaxTiffFileBytes) {
        if (f) std::fclose(f);
        f = nullptr;
        out.pictureWhy = "not an 8-bit RGB TIFF";
        return;
    }
    const std::vector<uint8_t> bytes = ReadOpened(f, size, size);
    if (!DecodeTiffPicture(bytes.data(), bytes.size(), picture)) {
        out.pictureWhy = "not an 8-bit RGB TIFF";
        return;
    }
    if (picture.width != 800 || picture.height != 600) {
        out.pictureWhy =
            std::to_string(picture.width) + " x " + std::to_string(picture.height) + " pixels, not 800 x 600";
        return;
    }
    out.pixels.assign(kBackgroundPixelBytes, 0);
    for (size_t i = 0; i < static_cast<size_t>(800) * 600; ++i)
        std::memcpy(&out.pixels[4 * i], &picture.bgr[3 * i], 3);
    out.displayDepth = displayDepth;
    if (displayDepth == 0) return;
    const size_t rowBytes = displayDepth == 16 || displayDepth == 15 ? 800 * 2 : 800 * 4;
    out.displayRows.resize(rowBytes * 600);
    for (int y = 0; y < 600; ++y)
        ConvertRowToDisplay(picture.bgr.data() + static_cast<size_t>(y) * 800 * 3, 800, 600 - y, displayDepth,
                            out.displayRows.data() + rowBytes * y);
}

// Reads and decodes the opened files (any thread: nothing shared is touched) and closes them;
// the buffers of `reuse`, files put in place before, are filled again.
SceneFiles ReadSceneFiles(OpenedSceneFiles opened, int displayDepth, SceneFiles reuse) {
    SceneFiles out = std::move(reuse);
    out.depthFound = out.maskFound = out.floorTaken = out.descriptionFound = false;
    out.depthBytes = 0;
    out.displayDepth = 0;
    out.pictureWhy.clear();
    for (auto* v : {&out.pixels, &out.displayRows, &out.mask, &out.description}) v->clear();
    for (auto* v : {&out.depth, &out.floor, &out.windowDepth}) v->clear();
    FILE** f = opened.files;
    const uint64_t* size = opened.sizes;
    if (f[kDepthFile]) {
        out.depthFound = true;
        const auto bytes = ReadOpened(f[kDepthFile], size[kDepthFile], kSceneFileLimit[kDepthFile]);
        out.depthBytes = bytes.size();
        if (bytes.size() >= kDepthImageBytes) {
            ByteReader r(bytes.data(), bytes.size());
            out.depth.resize(800 * 600);
            if (!r.F32s(out.depth.data(), out.depth.size())) out.depth.clear();
        }
    }
    DecodePicture(f[kPictureFile], size[kPictureFile], displayDepth, out);
    if (f[kMaskFile]) {
        out.maskFound = true;
        out.mask = ReadOpened(f[kMaskFile], size[kMaskFile], kSceneFileLimit[kMaskFile]);
    }
    if (f[kFloorFile]) {
        const auto bytes = ReadOpened(f[kFloorFile], size[kFloorFile], kSceneFileLimit[kFloorFile]);
        out.floor.resize(static_cast<size_t>(kFloorWidth) * kFloorHeight);
        out.floorTaken = DecodeFloorDepth(bytes, out.floor.data());
        if (!out.floorTaken) out.floor.clear();
    }
    if (f[kDescriptionFile]) {
        out.descriptionFound = true;
        out.description = ReadOpened(f[kDescriptionFile], size[kDescriptionFile], kSceneFileLimit[kDescriptionFile]);
        const SceneCamera camera = ReadSceneCamera(out.description);
        if (camera.present && !out.depth.empty()) {
            out.windowDepth.resize(out.depth.size());
            SceneryWindowDepth(camera, out.depth.data(), out.windowDepth.data());
        }
    }
    return out;
}

// The depth of the game picture's surface, which the picture is converted to (0: none).
int BackgroundSurfaceDepth() {
    const Surface* s = displayValues.sceneBackground;
    return s && s->width == 800 && s->height == 600 ? s->depth : 0;
}

// The picture into backgroundPixels and the game picture's surface.
void PutPicture(const SceneFiles& files) {
    std::memcpy(sceneTables.backgroundPixels, files.pixels.data(), kBackgroundPixelBytes);
    Surface* surface = displayValues.sceneBackground;
    if (BackgroundSurfaceDepth() == 0) return;
    if (surface->depth == files.displayDepth) {
        const size_t rowBytes = files.displayRows.size() / 600;
        for (int y = 0; y < 600; ++y)
            std::memcpy(PixelRow(*surface, y), files.displayRows.data() + rowBytes * y, rowBytes);
    } else {
        // The display changed its depth since the files were read.
        std::vector<uint8_t> bgr(800 * 3);
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) std::memcpy(&bgr[3 * x], &files.pixels[(static_cast<size_t>(y) * 800 + x) * 4], 3);
            ConvertRowToDisplay(bgr.data(), 800, 600 - y, surface->depth, PixelRow(*surface, y));
        }
    }
    surface->dirty = true;
}

// The next scene's files, read on the loader thread: one scene ahead at most. Once read they
// are taken on the main thread, and their picture and window depths staged on the device.
struct Prefetch {
    int scene = -1;
    std::string folder;
    uint64_t lookupGeneration = 0;
    std::string picturePath;  // the picture's file, the game's or a language pack's
    std::future<SceneFiles> files;
    bool read = false;  // the loader is done: the files are in `loaded`
    SceneFiles loaded;
    int pictureRows = 0, depthRows = 0;
    bool depthDrawn = false;
};
Prefetch prefetch;
// The picture's texture being staged (kept from one scene to the next).
StagedSurfaceTexture stagedPicture;
// The buffers of the files last put in place, filled again by the next read: large blocks
// are neither freed nor faulted in on the frame of a switch.
SceneFiles recycled;

// What the switch takes from the read-ahead: the files, and what is on the device already.
struct Prefetched {
    SceneFiles files;
    bool pictureStaged = false;
    bool depthStaged = false;
};

// Ends the read-ahead: its files, waited for when the loader is not done. What was staged
// stays until it is put in place or dropped.
SceneFiles EndPrefetch() {
    SceneFiles files;
    if (prefetch.read)
        files = std::move(prefetch.loaded);
    else if (prefetch.files.valid())
        files = prefetch.files.get();
    prefetch.scene = -1;
    prefetch.read = false;
    prefetch.pictureRows = prefetch.depthRows = 0;
    prefetch.depthDrawn = false;
    return files;
}

// The file a scene's picture is read from (a language chosen meanwhile may change it).
std::string ScenePicturePath(int scene) { return PicturePath(SceneFileBase(scene) + kSceneFileSuffix[kPictureFile]); }

std::string CurrentFolder() {
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

// The prefetched files of `scene`, when they are that scene's in this game folder.
bool TakePrefetched(int scene, Prefetched& out) {
    if (prefetch.scene != scene || (!prefetch.read && !prefetch.files.valid())) return false;
    const bool current = prefetch.folder == CurrentFolder() && prefetch.lookupGeneration == FileLookupGeneration() &&
                         prefetch.picturePath == ScenePicturePath(scene);
    out.pictureStaged = prefetch.pictureRows == 600;
    out.depthStaged = prefetch.depthDrawn;
    out.files = EndPrefetch();
    if (current) return true;
    DropStagedDepth();
    recycled = std::move(out.files);
    out = Prefetched{};
    return false;
}

// The picture's rows in the display's format and the window depths to the device, a band of
// each a frame, then the depth drawn into the spare buffer.
void StageReadAhead() {
    if (!prefetch.read) {
        if (!prefetch.files.valid() || prefetch.files.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return;
        prefetch.loaded = prefetch.files.get();
        prefetch.read = true;
    }
    if (!DisplayReady()) return;
    const SceneFiles& files = prefetch.loaded;
    const Surface* surface = displayValues.sceneBackground;
    if (prefetch.pictureRows < 600 && !files.displayRows.empty() && surface && surface->width == 800 &&
        surface->height == 600 && surface->depth == files.displayDepth) {
        const int rows = std::min(kStagedRowsAFrame, 600 - prefetch.pictureRows);
        if (StageSurfaceRows(stagedPicture, 800, 600, files.displayDepth, files.displayRows.data(), prefetch.pictureRows,
                             rows))
            prefetch.pictureRows += rows;
        else
            prefetch.pictureRows = 600 + 1;  // not staged: the switch uploads it
    }
    if (prefetch.depthRows < 600 && files.windowDepth.size() == static_cast<size_t>(800) * 600) {
        const int rows = std::min(kStagedRowsAFrame, 600 - prefetch.depthRows);
        if (StageDepthRows(files.windowDepth.data(), prefetch.depthRows, rows))
            prefetch.depthRows += rows;
        else
            prefetch.depthRows = 600 + 1;
    } else if (prefetch.depthRows == 600 && !prefetch.depthDrawn) {
        prefetch.depthDrawn = DrawStagedDepth();
    }
}

// Files of scenes already said to be refused: each is said once a run.
std::set<std::string> reportedSceneFiles;

// Says once why a scene file was not taken (missing, or refused with the reason).
void ReportSceneFile(const std::string& path, const std::string& why) {
    if (why.empty() || !reportedSceneFiles.insert(path).second) return;
    const bool missing = LocateGameFile(path) == GameFileSource::Missing;
    std::fprintf(stderr, "tarvex: scene %d: %s %s\n", loop.currentScene, path.c_str(),
                 missing ? "is missing" : ("is refused: " + why).c_str());
}

// The camera's unprojection, formed once for many pixels.
struct Unprojector {
    Vec3 eye;
    Mat4 inverseView;
    float p00 = 1.0f, p11 = 1.0f;

    explicit Unprojector(const SceneCamera& camera) {
        eye = camera.eye;
        MatIdentity(inverseView);
        MatInverse(inverseView, nullptr, camera.viewMatrix);
        p00 = camera.projectionMatrix[0];
        p11 = camera.projectionMatrix[5];
    }

    Vec3 At(int x, int y, float d) const {
        Vec3 dir{(2.0f * x / 800.0f - 1.0f) / p00, -(2.0f * y / 600.0f - 1.0f) / p11, 1.0f};
        Vec3TransformNormal(dir, dir, inverseView);
        return Vec3{eye.x - d * dir.x, eye.y - d * dir.y, eye.z - d * dir.z};
    }
};

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

Vec3 ScreenToWorld(int x, int y, float d) { return Unprojector(sceneTables.sceneCamera).At(x, y, d); }

void SceneryWindowDepth(const float* depthImage, float* windowDepth) {
    SceneryWindowDepth(sceneTables.sceneCamera, depthImage, windowDepth);
}

void SceneryWindowDepth(const SceneCamera& camera, const float* depthImage, float* windowDepth) {
    // A pixel's point is eye - d * dir, with dir linear in the pixel's x and y, so its clip
    // z and w are too: z = ze - d * (z0 + zx * x + zy * y), and w alike. The coefficients
    // are formed once (in double), leaving a few operations a pixel.
    const Unprojector unproject(camera);
    Mat4 viewProjection;
    MatMultiply(viewProjection, camera.viewMatrix, camera.projectionMatrix);
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
    sceneTables.sceneMirror.mirrorEnabled = false;
    sceneTables.particleSystemCount = 0;
    const std::string base = SceneFileBase(loop.currentScene);
    Prefetched taken;
    const bool wasRead = TakePrefetched(loop.currentScene, taken);
    if (!wasRead)
        taken.files = ReadSceneFiles(OpenSceneFiles(base), BackgroundSurfaceDepth(), std::move(recycled));
    SceneFiles& files = taken.files;

    // Without a whole depth image every pixel is far away.
    const std::string depthPath = base + kSceneFileSuffix[kDepthFile];
    const bool haveDepth = !files.depth.empty();
    if (files.depthFound && !haveDepth)
        ReportSceneFile(depthPath, std::to_string(files.depthBytes) + " bytes, not " + std::to_string(kDepthImageBytes));
    if (!haveDepth) ReportSceneFile(depthPath, "missing");
    if (files.pictureWhy.empty()) {
        PutPicture(files);
        // The picture's texture was made while the player looked at the last scene.
        if (taken.pictureStaged && displayValues.sceneBackground && displayValues.sceneBackground->depth == files.displayDepth)
            GiveStagedTexture(stagedPicture, *displayValues.sceneBackground);
    }
    ReportSceneFile(base + kSceneFileSuffix[kPictureFile], files.pictureWhy);

    if (!files.maskFound || !ApplyWalkMask(files.mask))
        ReportSceneFile(base + "m.raw", "shorter than a walk mask (120,000 bytes)");
    // A scene without a camera has none: the previous scene's belongs to another picture.
    sceneTables.sceneCamera = SceneCamera{};
    if (files.descriptionFound)
        ParseSceneDescription(files.description, DefaultSceneDescriptionHooks());
    else if (LocateGameFile(base + ".txt") == GameFileSource::Missing)
        ReportSceneFile(base + ".txt", "missing");
    // Nor a floor without its picture, or without a camera to place its points in the world
    // (a room being made): the hero does not walk there.
    const bool haveFloor = files.floorTaken;
    if (haveFloor) std::copy(files.floor.begin(), files.floor.end(), walkTables.floorDepth);
    if (!haveFloor) ReportSceneFile(base + "m.msk", "not a floor depth picture");
    if (!haveFloor || !sceneTables.sceneCamera.present) std::fill(std::begin(walkTables.floorDepth), std::end(walkTables.floorDepth), 2.0f * kNoFloor);

    // The scenery's depth, once per scene; a scene without a depth image hides nothing. The
    // window depths come from the files' own description, the one just read.
    if (DisplayReady()) {
        const bool clearStencil = displayValues.stencilShadows == 4;
        const bool scenery = haveDepth && sceneTables.sceneCamera.present && !files.windowDepth.empty();
        if (scenery && taken.depthStaged && PutStagedDepth(clearStencil)) {
        } else if (scenery) {
            WriteBackBufferDepth(files.windowDepth.data(), clearStencil);
            SaveBackBufferDepth();
        } else {
            ClearBackBufferDepth(clearStencil);
            SaveBackBufferDepth();
        }
    }
    // A staged depth not put in place is this scene's no more (another read-ahead's is kept).
    if (wasRead) DropStagedDepth();
    recycled = std::move(files);
}

void PrefetchSceneFiles(int scene) {
    if (scene < 0 || scene > 999) return;
    const std::string folder = CurrentFolder();
    if (prefetch.scene == scene && prefetch.folder == folder && prefetch.lookupGeneration == FileLookupGeneration() &&
        prefetch.picturePath == ScenePicturePath(scene)) {
        StageReadAhead();
        return;
    }
    // The files are opened here, read and decoded on the loader thread.
    OpenedSceneFiles opened = OpenSceneFiles(SceneFileBase(scene));
    const int depth = BackgroundSurfaceDepth();
    if (prefetch.scene >= 0 || prefetch.files.valid()) recycled = EndPrefetch();
    DropStagedDepth();
    prefetch.scene = scene;
    prefetch.folder = folder;
    prefetch.lookupGeneration = FileLookupGeneration();
    prefetch.picturePath = ScenePicturePath(scene);
    prefetch.files = std::async(std::launch::async, ReadSceneFiles, opened, depth, std::move(recycled));
}

void ResetSceneObjects() { ResetSceneDescriptionObjects(); }

}  // namespace tarvex
