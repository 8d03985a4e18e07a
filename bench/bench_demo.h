// The demo game the benchmarks play: written once next to the benchmark programs by the
// demo generator (or the folder TARVEX_BENCH_DEMO names).
#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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

}  // namespace tarvex
