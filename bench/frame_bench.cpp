// Frame time of a scene with the hero, a head prop on his neck, a stencil shadow and a
// mirror, measured against the bare minimum every frame does (the background copy and
// the present). Prints the ratio of the two.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "base/globals.h"
#include "bench_demo.h"
#include "measure_name.h"
#include "model/actor.h"
#include "model/model_file.h"
#include "platform/depth_buffer.h"
#include "platform/display.h"
#include "platform/png_io.h"
#include "platform/surface.h"
#include "render/actor_render.h"
#include "render/frame_render.h"
#include "scene/scene_description.h"
#include "shell/game_frame.h"
#include "scene/scene_load.h"
#include "shell/display_setup.h"

using namespace tarvex;

namespace {

// Model files for the bench, written directly in the model format.
struct Writer {
    std::vector<uint8_t> d;
    void U8(uint8_t v) { d.push_back(v); }
    void U16(uint16_t v) { U8(v & 0xFF); U8(v >> 8); }
    void U32(uint32_t v) { for (int i = 0; i < 4; ++i) U8((v >> (8 * i)) & 0xFF); }
    void F(float f) { uint32_t v; std::memcpy(&v, &f, 4); U32(v); }
    void Zeros(size_t n) { d.insert(d.end(), n, 0); }
    void Text(const std::string& s, size_t n) { for (size_t i = 0; i < n; ++i) U8(i < s.size() ? s[i] : 0); }
};

// A closed cylinder of `sides` segments and `rings` bands: a body-sized mesh.
std::vector<uint8_t> CylinderModel(int sides, int rings, float radius, float height, bool withNeck) {
    std::vector<float> points;
    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s < sides; ++s) {
            const float a = 6.2831853f * s / sides;
            points.insert(points.end(), {radius * std::cos(a), height * r / rings, radius * std::sin(a)});
        }
    const int n = static_cast<int>(points.size() / 3);
    std::vector<uint16_t> tris;
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < sides; ++s) {
            const uint16_t a = r * sides + s, b = r * sides + (s + 1) % sides, c = a + sides, e = b + sides;
            tris.insert(tris.end(), {a, c, b, b, c, e});
        }
    for (int s = 1; s + 1 < sides; ++s) {  // caps
        tris.insert(tris.end(), {0, static_cast<uint16_t>(s + 1), static_cast<uint16_t>(s)});
        const uint16_t top = rings * sides;
        tris.insert(tris.end(), {top, static_cast<uint16_t>(top + s), static_cast<uint16_t>(top + s + 1)});
    }
    // Wind every triangle so that (c - b) x (b - a) points out of the cylinder.
    for (size_t t = 0; t + 2 < tris.size(); t += 3) {
        const float* a = &points[tris[t] * 3];
        const float* b = &points[tris[t + 1] * 3];
        const float* c = &points[tris[t + 2] * 3];
        const float cb[3] = {c[0] - b[0], c[1] - b[1], c[2] - b[2]}, ba[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float nrm[3] = {cb[1] * ba[2] - cb[2] * ba[1], cb[2] * ba[0] - cb[0] * ba[2], cb[0] * ba[1] - cb[1] * ba[0]};
        const float out[3] = {a[0] + b[0] + c[0], a[1] + b[1] + c[1] - 1.5f * height, a[2] + b[2] + c[2]};
        if (nrm[0] * out[0] + nrm[1] * out[1] + nrm[2] * out[2] < 0) std::swap(tris[t + 1], tris[t + 2]);
    }
    Writer w;
    w.U32(300);
    w.Text("(c)Vexo 2001 ", 16);
    const uint32_t bones = withNeck ? 2 : 1;
    for (uint32_t v : {static_cast<uint32_t>(n), static_cast<uint32_t>(tris.size() / 3), static_cast<uint32_t>(n), 0u,
                       bones, 0u, 1u, 1u})
        w.U32(v);
    w.Zeros(48);
    for (float f : points) w.F(f);
    for (int i = 0; i < n; ++i) {
        const float x = points[i * 3], z = points[i * 3 + 2];
        const float l = std::sqrt(x * x + z * z);
        w.F(x / l), w.F(0), w.F(z / l);
    }
    for (uint16_t t : tris) w.U16(t);
    for (int i = 0; i < n; ++i) w.F(0.5f), w.F(0.5f);
    for (int i = 0; i < n; ++i) w.U8(1), w.U16(static_cast<uint16_t>(i));
    const float pose[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    for (float f : pose) w.F(f);
    w.Text("Bip01", 64);
    w.Zeros(48);
    w.U32(static_cast<uint32_t>(n));
    for (int i = 0; i < n; ++i) w.U16(static_cast<uint16_t>(i));
    w.U32(0);
    if (withNeck) {
        w.Text("Bip01 Neck", 64);
        w.Zeros(48);
        w.U32(0);
        w.U32(0);
    }
    w.U8(1);  // cull mode
    w.Text("", 256);
    for (uint32_t b = 0; b < bones; ++b) {
        const float attach[9] = {0, height, 0, 0, 0, 0, 100, 100, 100};
        for (float f : attach) w.F(f);
    }
    for (int m = 0; m < 256; ++m) {
        if (m != 0) {
            w.Zeros(44);
            continue;
        }
        w.F(0), w.F(30), w.F(0), w.F(1), w.U32(0), w.U8(1);
        w.Zeros(23);
    }
    return w.d;
}

Surface* background = nullptr;
bool sceneReady = false;

void SetUpScene() {
    if (sceneReady) return;
    sceneReady = true;
    const std::string dir = std::filesystem::temp_directory_path().string() + "/tarvex-frame-bench";
    std::filesystem::create_directories(dir + "/models");
    auto write = [&](const std::string& path, const std::vector<uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    write(dir + "/models/hero.md", CylinderModel(24, 16, 25, 160, true));
    write(dir + "/models/head.md", CylinderModel(16, 8, 15, 30, false));
    if (chdir(dir.c_str()) != 0) std::perror("chdir");

    if (!OpenBenchDisplay(true)) {
        std::fprintf(stderr, "no display\n");
        std::exit(1);
    }
    surfaceFormat.displayPixelDepth = 16;
    background = CreateSurface(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) SetPixel(*background, x, y, PackRgb(16, x / 4, y / 3, 128));
    displayValues.stencilShadows = 4;
    sceneTables.sceneCamera.eye = {0, 500, -800};
    sceneTables.sceneCamera.target = {0, 0, 0};
    MatLookAt(sceneTables.sceneCamera.viewMatrix, sceneTables.sceneCamera.eye, sceneTables.sceneCamera.target, Vec3{0, 1, 0});
    MatPerspectiveFov(sceneTables.sceneCamera.projectionMatrix, 45.0f * kDegreesToRadians, 0.75f, 100.0f, 10000.0f);
    sceneTables.ambientColour = 0xFF606060;
    sceneTables.sceneLights[0].enabled = true;
    sceneTables.sceneLights[0].position = {200, 600, -400};
    sceneTables.sceneLights[0].range = 5000;
    sceneTables.sceneLights[0].attenuation0 = 1;
    sceneTables.sceneLights[0].diffuse[0] = sceneTables.sceneLights[0].diffuse[1] = sceneTables.sceneLights[0].diffuse[2] = 1;
    sceneTables.sceneMirror.corner0 = {-300, 0, -300};
    sceneTables.sceneMirror.corner1 = {300, 0, -300};
    sceneTables.sceneMirror.corner2 = {-300, 0, -60};
    sceneTables.sceneMirror.corner3 = {300, 0, -60};
    sceneTables.sceneMirror.mirrorEnabled = true;
    sceneRendering.shadowLight = {2000, 1500, 0};
    sceneRendering.shadowLength = 5.0f;
    const int hero = LoadActor("models/hero.md", Vec3{0, 0, 0}, 0.0f);
    if (hero < 0 || AttachActor("models/head.md", "Bip01 Neck", hero) < 0) {
        std::fprintf(stderr, "models did not load\n");
        std::exit(1);
    }
    actorTable.actors[hero].shadowMode = 4;
    // The floor y = 0 as the scenery's depth, so that the shadow and reflection land on it.
    std::vector<float> floor(800 * 600), window(800 * 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const Vec3 far = ScreenToWorld(x, y, 1.0f);
            const float rayY = sceneTables.sceneCamera.eye.y - far.y;
            floor[y * 800 + x] = rayY < 0 ? sceneTables.sceneCamera.eye.y / rayY : -1e9f;
        }
    SceneryWindowDepth(floor.data(), window.data());
    WriteBackBufferDepth(window.data(), true);
    SaveBackBufferDepth();
}

void BackgroundAndPresent(benchmark::State& state) {
    SetUpScene();
    for (auto _ : state) {
        DrawSurface(*background, 0, 0);
        Present(false);
        benchmark::DoNotOptimize(ReadBackBufferRgb(false));  // wait for the frame to be done
    }
}

void SceneFrame(benchmark::State& state) {
    SetUpScene();
    for (auto _ : state) {
        DrawSurface(*background, 0, 0);
        actorTable.actors[0].heading += 0.01f;
        PoseDrawnActors();
        DrawActorsOfFrame();
        DrawShadowDarkening();
        Present(false);
        benchmark::DoNotOptimize(ReadBackBufferRgb(false));
    }
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) times[tarvex::MeasureName(r)] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

BENCHMARK(BackgroundAndPresent)->Unit(benchmark::kMillisecond);
BENCHMARK(SceneFrame)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const char* shot = std::getenv("TARVEX_BENCH_SCREENSHOT")) {
        // One frame of the measured scene, to look at.
        DrawSurface(*background, 0, 0);
        PoseDrawnActors();
        DrawActorsOfFrame();
        DrawShadowDarkening();
        WritePngRgb(shot, 800, 600, ReadBackBufferRgb(false));
    }
    const double base = reporter.times["BackgroundAndPresent"], frame = reporter.times["SceneFrame"];
    if (base > 0 && frame > 0)
        std::printf("scene frame / background and present: %.2f (goal: at most 1.15)\n", frame / base);
    benchmark::Shutdown();
    return 0;
}
