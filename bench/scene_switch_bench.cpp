// A scene switch's loading (the picture, the scenery depth into the depth buffer, the walk
// mask, the floor depth and the scene text, all from the demo's packages) against reading
// the same bytes and decoding the picture with libtiff alone. Prints the ratio.
#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/globals.h"
#include "bench_demo.h"
#include "measure_name.h"
#include "platform/display.h"
#include "platform/surface.h"
#include "resources/game_file.h"
#include "scene/scene_load.h"
#include "shell/display_setup.h"

using namespace tarvex;

namespace {

constexpr int kScene = 0;
const char* const kFiles[] = {".tif", ".zbf", "m.raw", "m.msk", ".txt"};

bool OpenDisplay() {
    if (!OpenBenchDisplay()) return false;
    displayValues.stencilShadows = 4;
    surfaceFormat.displayPixelDepth = 32;
    displayValues.sceneBackground = CreateSurface(800, 600);
    return displayValues.sceneBackground != nullptr;
}

// libtiff over bytes in memory.
struct Memory {
    const std::vector<uint8_t>* bytes;
    toff_t at = 0;
};
tsize_t Read(thandle_t h, tdata_t out, tsize_t n) {
    auto* m = static_cast<Memory*>(h);
    const size_t left = m->bytes->size() - std::min<size_t>(m->at, m->bytes->size());
    const size_t count = std::min<size_t>(static_cast<size_t>(n), left);
    if (count) std::memcpy(out, m->bytes->data() + m->at, count);
    m->at += count;
    return static_cast<tsize_t>(count);
}
tsize_t Write(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t Seek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<Memory*>(h);
    if (whence == SEEK_CUR) off += m->at;
    if (whence == SEEK_END) off += m->bytes->size();
    m->at = off;
    return off;
}
int Close(thandle_t) { return 0; }
toff_t Size(thandle_t h) { return static_cast<Memory*>(h)->bytes->size(); }
int Map(thandle_t, tdata_t*, toff_t*) { return 0; }
void Unmap(thandle_t, tdata_t, toff_t) {}

void BM_SceneSwitchLoad(benchmark::State& state) {
    loop.currentScene = kScene;
    for (auto _ : state) LoadSceneFiles();
}

void BM_BytesAndLibtiff(benchmark::State& state) {
    const std::string base = SceneFileBase(kScene);
    std::vector<std::vector<uint8_t>> files(std::size(kFiles));
    std::vector<uint8_t> row;
    for (auto _ : state) {
        for (size_t i = 0; i < std::size(kFiles); ++i) ReadGameFile(base + kFiles[i], files[i]);
        Memory m{&files[0]};
        TIFF* tiff = TIFFClientOpen("scene", "r", &m, Read, Write, Seek, Close, Size, Map, Unmap);
        if (!tiff) continue;
        uint32_t height = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        row.resize(static_cast<size_t>(TIFFScanlineSize(tiff)));
        for (uint32_t y = 0; y < height; ++y) TIFFReadScanline(tiff, row.data(), y, 0);
        TIFFClose(tiff);
        benchmark::DoNotOptimize(row.data());
    }
}

BENCHMARK(BM_SceneSwitchLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytesAndLibtiff)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (tarvex::MeasureName(r) == "BM_SceneSwitchLoad") ours = r.GetAdjustedRealTime();
            if (tarvex::MeasureName(r) == "BM_BytesAndLibtiff") peer = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double ours = 0, peer = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string demo = BenchDemoFolder(argv[0]);
    if (demo.empty() || chdir(demo.c_str()) != 0 || !OpenDisplay()) {
        std::fprintf(stderr, "scene switch bench: no demo game or no display\n");
        return 1;
    }
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.peer > 0)
        std::printf("scene switch / bytes and libtiff: %.2f (no goal)\n", reporter.ours / reporter.peer);
    return 0;
}
