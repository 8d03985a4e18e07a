#include "shell/options.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace tarvex {

const char* UsageText() {
    return "usage: tarvex [options]\n"
           "  --path DIR             the game folder (default: the current directory)\n"
           "  --saves DIR            folder of the configuration and saved games (default: DIR/saves)\n"
           "  --windowed             play in a window (Alt+Enter switches at any time)\n"
           "  --fullscreen           play full screen (the default): a borderless window over the desktop\n"
           "  --mode-switch          full screen in a display mode of 800 x 600 (or the nearest)\n"
           "  --linear               scale the picture with linear filtering (default: nearest)\n"
           "  --settings             show the settings dialog at start-up\n"
           "  --scene N              start a new game directly in scene N (0..298)\n"
           "  --load FILE            start from a saved game (a refused file leaves the menu open)\n"
           "  --give TOOL            with --scene: the tool (0..999) is in the inventory (repeatable)\n"
           "  --flag SCENE:MASK      with --scene: flags of a scene set, MASK in hex (repeatable)\n"
           "  --tour N               visit every scene number 0..298 in turn, N frames each (soak runs)\n"
           "  --headless             no window and no sound device (offscreen drawing)\n"
           "  --fixed-fps F          a virtual clock advanced by exactly 1/F s per frame\n"
           "  --seed N               seed the random generator\n"
           "  --frames N             quit in order after N frames (frames 0..N-1)\n"
           "  --screenshot N:FILE    save frame N as a PNG (repeatable)\n"
           "  --window-shot N:FILE   save frame N as the window shows it, at its size (repeatable)\n"
           "  --dump-state N:FILE    write the game's state as JSON after frame N (repeatable);\n"
           "                         the folders of the three must exist\n"
           "  --replay FILE          take input from a replay script\n"
           "  --record FILE          write live input as a replay script\n"
           "  --help                 this text\n";
}

static bool ParseNumber(const std::string& text, long long min, long long max, long long& out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno || *end || v < min || v > max) return false;
    out = v;
    return true;
}

bool ParseOptions(int argc, const char* const* argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        long long n = 0;
        if (arg == "--headless") o.headless = true;
        else if (arg == "--windowed") o.fullScreen = false;
        else if (arg == "--fullscreen") o.fullScreen = true;
        else if (arg == "--linear") o.linearScaling = true;
        else if (arg == "--mode-switch") o.displayModeChange = true;
        else if (arg == "--settings") o.settings = true;
        else if (arg == "--help" || arg == "-h") o.help = true;
        else if (arg == "--path") { if (!value(o.path)) return false; }
        else if (arg == "--saves") { if (!value(o.saves)) return false; }
        else if (arg == "--replay") { if (!value(o.replay)) return false; }
        else if (arg == "--record") { if (!value(o.record)) return false; }
        else if (arg == "--load") { if (!value(o.load)) return false; }
        else if (arg == "--fixed-fps") {
            if (!value(v)) return false;
            char* end = nullptr;
            double f = std::strtod(v.c_str(), &end);
            if (*end || !(f >= 1.0 && f <= 1000.0)) { error = "--fixed-fps takes a rate from 1 to 1000"; return false; }
            o.fixedFps = f;
        } else if (arg == "--seed") {
            if (!value(v) || !ParseNumber(v, 0, 4294967295LL, n)) { error = "--seed takes a number from 0 to 4294967295"; return false; }
            o.haveSeed = true;
            o.seed = static_cast<uint32_t>(n);
        } else if (arg == "--frames") {
            if (!value(v) || !ParseNumber(v, 0, 1LL << 40, n)) { error = "--frames takes a count"; return false; }
            o.frames = n;
        } else if (arg == "--scene") {
            if (!value(v) || !ParseNumber(v, 0, 298, n)) { error = "--scene takes a scene number from 0 to 298"; return false; }
            o.scene = static_cast<int>(n);
        } else if (arg == "--tour") {
            if (!value(v) || !ParseNumber(v, 1, 100000, n)) { error = "--tour takes a count of frames from 1"; return false; }
            o.tour = static_cast<int>(n);
        } else if (arg == "--give") {
            if (!value(v) || !ParseNumber(v, 0, 999, n)) { error = "--give takes a tool number from 0 to 999"; return false; }
            o.give.push_back(static_cast<int>(n));
        } else if (arg == "--flag") {
            if (!value(v)) return false;
            const size_t colon = v.find(':');
            long long scene = 0;
            char* end = nullptr;
            const unsigned long long mask = colon == std::string::npos ? 0 : std::strtoull(v.c_str() + colon + 1, &end, 16);
            if (colon == std::string::npos || !ParseNumber(v.substr(0, colon), 0, 298, scene) || colon + 1 >= v.size() ||
                *end || mask > 0xFFFFFFFFull) {
                error = "--flag takes SCENE:MASK (scene 0..298, mask in hex)";
                return false;
            }
            o.flags.emplace_back(static_cast<int>(scene), static_cast<uint32_t>(mask));
        } else if (arg == "--screenshot" || arg == "--window-shot" || arg == "--dump-state") {
            if (!value(v)) return false;
            size_t colon = v.find(':');
            if (colon == std::string::npos || !ParseNumber(v.substr(0, colon), 0, 1LL << 40, n) || colon + 1 >= v.size()) {
                error = arg + (arg == "--dump-state" ? " takes FRAME:FILE.json" : " takes FRAME:FILE.png");
                return false;
            }
            const std::string file = v.substr(colon + 1);
            // The engine makes no folder for its outputs: a mistyped path is said at once,
            // not after the run (nor a folder made where none was meant, at the root).
            const std::filesystem::path folder = std::filesystem::path(file).parent_path();
            std::error_code ec;
            if (std::filesystem::path(file).filename().empty() || std::filesystem::is_directory(file, ec)) {
                error = arg + ": " + file + " is a folder, not a file";
                return false;
            }
            if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
                error = arg + ": the folder " + folder.string() + " does not exist";
                return false;
            }
            auto& list = arg == "--screenshot" ? o.screenshots : arg == "--window-shot" ? o.windowShots : o.stateDumps;
            list.emplace_back(n, file);
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

}  // namespace tarvex
