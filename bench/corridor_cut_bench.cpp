// A walk through the corridor views as a player sees it: each view cuts to the next with the
// fast-fade flag, as the corridor's step forward does, while the engine's message loop runs
// headless and every frame is timed. The measure is the longest frame of a run against the
// median frame of the same run: a cut must not hitch. The demo has one corridor view (287);
// the other eleven view numbers get its files, as loose files in the benchmark's game folder.
//
// Options: --benchmark_repetitions=N runs (7 unless given; script/bench passes its own), the
// other options of the benchmark programs are accepted and have no effect here.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/config.h"
#include "base/globals.h"
#include "bench_demo.h"
#include "interaction/toolbar.h"
#include "menu/menu.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/surface.h"
#include "resources/game_file.h"
#include "scene/scene_load.h"
#include "shell/display_setup.h"
#include "shell/entry.h"
#include "shell/game_tables.h"
#include "shell/scene_switch.h"
#include "text/fonts.h"

using namespace tarvex;

namespace {

constexpr int kFirstView = 287;
constexpr int kViewCount = 12;
const char* const kSceneFiles[] = {".tif", ".zbf", "m.raw", "m.msk", ".txt"};
// Frames between two steps: a third of a second at 30 frames a second, a quick player.
constexpr int kFramesPerStep = 10;
// Steps of a measured run: once through the twelve views and back to the first.
constexpr int kStepsPerRun = kViewCount;

// Every corridor view number gets the files of the demo's corridor view.
bool MakeCorridorViews() {
    const std::string first = SceneFileBase(kFirstView);
    for (int view = kFirstView + 1; view < kFirstView + kViewCount; ++view) {
        const std::string base = SceneFileBase(view);
        for (const char* suffix : kSceneFiles) {
            if (std::filesystem::exists(base + suffix)) continue;
            std::vector<uint8_t> bytes;
            if (!ReadGameFile(first + suffix, bytes)) return false;
            std::filesystem::create_directories(std::filesystem::path(base).parent_path());
            std::ofstream out(base + suffix, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            if (!out) return false;
        }
    }
    return true;
}

bool StartInFirstView() {
    if (!OpenBenchDisplay()) return false;
    // Stencil shadows, as the display's set-up turns them on when the stencil was asked for.
    displayValues.stencilShadows = GetDisplayObjects().stencilBits > 0 ? 4 : 3;
    for (Surface** s : {&displayValues.sceneBackground, &displayValues.spareBackground, &displayValues.thumbnailSurface})
        if (!*s) *s = CreateSurface(kScreenWidth, kScreenHeight);
    const std::string saves = std::filesystem::temp_directory_path().string() + "/tarvex-corridor-bench-saves";
    std::filesystem::create_directories(saves);
    SetSavesDirectory(saves);
    // The game's own time runs on the virtual clock, so that every run plays alike; the
    // frames are timed on the wall clock.
    SetFixedFrameRate(30);
    // The game's tables, as the engine registers them at its start: without them a scene
    // switch resets nothing and the scene's picture is never drawn.
    RegisterGameOwners();
    if (LoadInterface() != 0) return false;
    CreateGameFonts();
    loop.appActive = 1;
    StartNewGame(kFirstView);
    return true;
}

uint64_t frameNumber = 0;

// A frame, timed, then the rest of its thirtieth of a second waited out as the paced game
// does (its frames wait for the display): the engine's own threads run in that time.
double TimedFrame() {
    const auto start = std::chrono::steady_clock::now();
    RunLoopPass(frameNumber);
    const auto end = std::chrono::steady_clock::now();
    AdvanceVirtualClock();
    ++frameNumber;
    std::this_thread::sleep_until(start + std::chrono::microseconds(1000000 / 30));
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// A step forward as the corridor view asks for it: the fast-fade flag and the next view.
void StepForward() {
    const int next = kFirstView + (loop.currentScene - kFirstView + 1) % kViewCount;
    sceneSwitch.instantCut = 1;
    sceneSwitch.pendingScene = next;
    sceneSwitch.fadeState = 4294967295u;
}

struct Run {
    double median = 0, longest = 0, cutMedian = 0;
    int cuts = 0, frames = 0;
    bool longestIsCut = false;
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// A run: the steps, with the frames in between; a frame in which the scene changed is a cut.
Run MeasureRun() {
    std::vector<double> all, cuts;
    Run run;
    for (int step = 0; step < kStepsPerRun; ++step) {
        StepForward();
        for (int i = 0; i < kFramesPerStep; ++i) {
            const int before = loop.currentScene;
            const double ms = TimedFrame();
            const bool cut = loop.currentScene != before;
            all.push_back(ms);
            if (cut) cuts.push_back(ms);
            if (ms > run.longest) run.longest = ms, run.longestIsCut = cut;
        }
    }
    run.median = Median(all);
    run.cutMedian = Median(cuts);
    run.cuts = static_cast<int>(cuts.size());
    run.frames = static_cast<int>(all.size());
    return run;
}

int Repetitions(int argc, char** argv) {
    const char* prefix = "--benchmark_repetitions=";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0) return std::max(1, std::atoi(argv[i] + std::strlen(prefix)));
    return 7;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string demo = BenchDemoFolder(argv[0]);
    if (demo.empty() || chdir(demo.c_str()) != 0 || !MakeCorridorViews() || !StartInFirstView()) {
        std::fprintf(stderr, "corridor cut bench: no demo game or no display\n");
        return 1;
    }
    // The first fade in, then one walk through the views unmeasured: the files come into
    // the system's cache and the engine's first-use work is done.
    for (int i = 0; i < 60 && (sceneSwitch.fadeState != 0 || loop.currentScene != kFirstView); ++i) TimedFrame();
    if (loop.currentScene != kFirstView) {
        std::fprintf(stderr, "corridor cut bench: the game did not start in scene %d\n", kFirstView);
        return 1;
    }
    MeasureRun();
    std::vector<double> ratios;
    const int repetitions = Repetitions(argc, argv);
    for (int r = 0; r < repetitions; ++r) {
        const Run run = MeasureRun();
        if (run.cuts != kStepsPerRun) {
            std::fprintf(stderr, "corridor cut bench: %d cuts in a run of %d steps\n", run.cuts, kStepsPerRun);
            return 1;
        }
        ratios.push_back(run.longest / run.median);
        std::printf("Run %d: %d frames, median %.2f ms, cuts %.2f ms (median of %d), longest %.2f ms (%s)\n", r + 1,
                    run.frames, run.median, run.cutMedian, run.cuts, run.longest,
                    run.longestIsCut ? "a cut" : "no cut");
    }
    std::printf("corridor cut, longest frame / median frame: %.2f (goal: at most 2.0)\n", Median(ratios));
    return 0;
}
