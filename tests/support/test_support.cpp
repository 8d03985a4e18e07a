#include "support/test_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/config.h"
#include "shell/game_tables.h"
#include "platform/clock.h"
#include "platform/file_writer.h"
#include "platform/display.h"

namespace tarvex::test {

std::string TempDir(const std::string& name) {
    // CTest runs test cases in parallel processes: each process gets folders of its own.
    std::filesystem::path p = std::filesystem::path(TARVEX_BINARY_DIR) / "test-tmp" /
                              (name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p.string();
}

bool EnsureHeadlessDisplay() {
    if (DisplayReady()) return true;
    DisplayConfig config;
    config.headless = true;
    config.fullScreen = false;
    config.title = "test";
    if (CreateGameWindow(config) != DisplayStep::None) return false;
    return CreateDisplayDevice(true) == DisplayStep::None;
}

std::string GeneratedDemo(const std::string& variant, bool loose) {
    namespace fs = std::filesystem;
    const std::string exe = std::string(TARVEX_BINARY_DIR) + "/tarvex-demo";
    std::error_code ec;
    const std::string stamp = std::to_string(fs::file_size(exe, ec)) + "-" +
                              std::to_string(fs::last_write_time(exe, ec).time_since_epoch().count());
    const fs::path cache = fs::path(TARVEX_BINARY_DIR) / "test_demo_cache" / stamp;
    const fs::path folder = cache / variant;
    if (fs::exists(folder / ".complete")) return folder.string();
    // Outputs of earlier builds of the generator are stale (about 170 MB each).
    for (const auto& e : fs::directory_iterator(cache.parent_path(), ec))
        if (e.path().filename().string() != stamp) fs::remove_all(e.path(), ec);
    const fs::path work = folder.string() + ".tmp" + std::to_string(::getpid());
    fs::remove_all(work, ec);
    fs::create_directories(cache, ec);
    const std::string command = exe + " " + work.string() + (loose ? " --loose" : "") + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return "";
    std::FILE* marker = std::fopen((work / ".complete").c_str(), "w");
    if (marker) std::fclose(marker);
    // Another test process may have finished first; either copy is the same. A folder
    // left without its marker by an interrupted run is replaced.
    if (!fs::exists(folder / ".complete")) fs::remove_all(folder, ec);
    fs::rename(work, folder, ec);
    if (ec) fs::remove_all(work, ec);
    return fs::exists(folder / ".complete") ? folder.string() : "";
}

bool LongTests() {
    const char* value = std::getenv("TARVEX_LONG");
    return value && std::string(value) == "1";
}

void ResetEngine() {
    ResetConfig();
    // Saves written by a test (the automatic save of every scene switch) stay in its folder;
    // the previous test's automatic save still being written lands before the folder goes.
    WaitForBackgroundWrites();
    SetSavesDirectory(TempDir("saves"));
    ResetAllTables();
    SetFixedFrameRate(0);
}

}  // namespace tarvex::test
