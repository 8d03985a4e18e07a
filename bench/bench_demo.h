// The demo game the benchmarks play: written once next to the benchmark programs by the
// demo generator (or the folder TARVEX_BENCH_DEMO names); and the headless window they draw in.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/display.h"
#include "shell/display_setup.h"

namespace tarvex {

inline std::string BenchDemoFolder(const char* argv0) {
    if (const char* given = std::getenv("TARVEX_BENCH_DEMO")) return given;
    const std::filesystem::path self = std::filesystem::absolute(argv0).parent_path();
    const std::string folder = (self / "bench-demo").string();
    if (!std::filesystem::exists(folder + "/.complete")) {
        const std::string command = (self / "tarvex-demo").string() + " " + folder + " >/dev/null";
        if (std::system(command.c_str()) != 0) return "";
        std::FILE* f = std::fopen((folder + "/.complete").c_str(), "w");
        if (f) std::fclose(f);
    }
    return folder;
}

// The headless game window and its display device; `present`: frames are presented to the
// window, as a player's are (the frame benchmark), not skipped as headless runs do.
inline bool OpenBenchDisplay(bool present = false) {
    DisplayConfig config;
    config.headless = true;
    config.presentWhenHeadless = present;
    config.fullScreen = false;
    config.title = "bench";
    return CreateGameWindow(config) == DisplayStep::None && CreateDisplayDevice(true) == DisplayStep::None;
}

}  // namespace tarvex
