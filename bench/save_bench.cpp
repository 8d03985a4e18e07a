// Saving and loading a game against a plain write and read of the same bytes: the cost
// of building and checking a save over the file system's own. Prints the ratio.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/config.h"
#include "base/globals.h"
#include "interaction/interaction_state.h"
#include "measure_name.h"
#include "shell/game_tables.h"
#include "menu/save_file.h"
#include "menu/saved_games.h"
#include "platform/atomic_file.h"

using namespace tarvex;

namespace {

std::string Folder() {
    static const std::string dir = [] {
        auto p = std::filesystem::temp_directory_path() / ("tarvex-save-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p.string();
    }();
    return dir;
}

void Prepare() {
    ResetAllTables();
    SetSavesDirectory(Folder());
    loop.currentScene = 0;
    for (int n = 0; n < 200; ++n) interaction.ToolTable[n].inInventory = n % 3 == 0;
}

std::vector<uint8_t> Thumbnail() { return std::vector<uint8_t>(kThumbnailBytes, 90); }

// A save written through the engine (built, written to a temporary file, synced, renamed),
// then read back and checked whole.
void BM_SaveAndLoad(benchmark::State& state) {
    Prepare();
    const std::vector<uint8_t> thumb = Thumbnail();
    const std::string path = Folder() + "/bench.sav";
    for (auto _ : state) {
        const std::vector<uint8_t> bytes = BuildSave(thumb);
        WriteFileAtomically(path, bytes.data(), bytes.size());
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> back((std::istreambuf_iterator<char>(in)), {});
        std::string error;
        benchmark::DoNotOptimize(CheckSave(back.data(), back.size(), error));
    }
}

// The same bytes written the same safe way and read back, nothing built or checked.
void BM_PlainWriteAndRead(benchmark::State& state) {
    Prepare();
    const std::vector<uint8_t> bytes = BuildSave(Thumbnail());
    const std::string path = Folder() + "/plain.sav";
    for (auto _ : state) {
        WriteFileAtomically(path, bytes.data(), bytes.size());
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> back((std::istreambuf_iterator<char>(in)), {});
        benchmark::DoNotOptimize(back.data());
    }
}

BENCHMARK(BM_SaveAndLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWriteAndRead)->Unit(benchmark::kMillisecond);

// Reports the ratio of the two after both ran.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (tarvex::MeasureName(r) == "BM_SaveAndLoad") engine = r.GetAdjustedRealTime();
            if (tarvex::MeasureName(r) == "BM_PlainWriteAndRead") plain = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double engine = 0, plain = 0;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.plain > 0)
        std::printf("save and load / plain write and read: %.2f (goal: at most 1.5)\n", reporter.engine / reporter.plain);
    std::filesystem::remove_all(Folder());
    return 0;
}
