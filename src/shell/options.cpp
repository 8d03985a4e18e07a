#include "shell/options.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "text/language_pack.h"
#include "base/play_settings.h"

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
           "  --language CODE        texts from the translation pack lang/CODE/ (ru: the game's own)\n"
           "  --scene N              start a new game directly in scene N (0..298)\n"
           "  --load FILE            start from a saved game (a refused file leaves the menu open)\n"
           "  --give TOOL            with --scene: the tool (0..999) is in the inventory (repeatable)\n"
           "  --flag SCENE:MASK      with --scene: flags of a scene set, MASK in hex (repeatable)\n"
           "  --tour N               visit every scene number 0..298 in turn, N frames each (soak runs)\n"
           "  --headless             no window and no sound device (offscreen drawing)\n"
           "  --fixed-fps F          a virtual clock advanced by exactly 1/F s per frame\n"
           "  --seed N               seed the random generator\n"
           "  --frames N             quit in order after N frames (frames 0..N-1)\n"
           "  --screenshot N:FILE    save frame N as a PNG (repeatable), without the overlays\n"
           "  --screenshot-overlays  screenshots show the overlays switched on\n"
           "  --window-shot N:FILE   save frame N as the window shows it, at its size (repeatable)\n"
           "  --dump-state N:FILE    write the game's state as JSON after frame N (repeatable);\n"
           "                         the folders of the three must exist\n"
           "  --replay FILE          take input from a replay script\n"
           "  --record FILE          write live input as a replay script\n"
           "  --text-size N          subtitles N pixels high: 16 (the game's), 20 or 24\n"
           "  --subtitle-band B      the band behind subtitles: design (half dark) or dark\n"
           "  --reading-speed F      a line without voice stays F times as long (1 to 4)\n"
           "  --wait-for-click       every line stays until a click, voice or not\n"
           "  --console LINE         run LINE at the console (the key left of 1, or F2) after the\n"
           "                         first frame; its output goes to stdout too (repeatable)\n"
           "  --help                 this text\n"
           "Overlays over the game (Ctrl+1 .. Ctrl+7 switch them): regions, tools, walk, depth,\n"
           "route, pointer, frametime. A changed scripts/sceneNNN.lua of the game folder is\n"
           "loaded at once: the scene is entered again, the hero where he stands.\n";
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

namespace {

// The options that take no value; false when the argument is none of them.
bool ParseSwitch(const std::string& arg, Options& o) {
    if (arg == "--headless") o.headless = true;
    else if (arg == "--windowed") o.fullScreen = false;
    else if (arg == "--fullscreen") o.fullScreen = true;
    else if (arg == "--linear") o.linearScaling = true;
    else if (arg == "--mode-switch") o.displayModeChange = true;
    else if (arg == "--settings") o.settings = true;
    else if (arg == "--screenshot-overlays") o.screenshotOverlays = true;
    else if (arg == "--wait-for-click") o.waitForClick = true;
    else if (arg == "--help" || arg == "-h") o.help = true;
    else return false;
    return true;
}

// The options that take a whole number in a range, and what is said when it is missing or wrong.
struct NumberOption {
    const char* name;
    long long min, max;
    const char* error;
    void (*set)(Options&, long long);
};

constexpr NumberOption kNumberOptions[] = {
    {"--seed", 0, 4294967295LL, "--seed takes a number from 0 to 4294967295",
     [](Options& o, long long n) {
         o.haveSeed = true;
         o.seed = static_cast<uint32_t>(n);
     }},
    {"--frames", 0, 1LL << 40, "--frames takes a count", [](Options& o, long long n) { o.frames = n; }},
    {"--scene", 0, 298, "--scene takes a scene number from 0 to 298",
     [](Options& o, long long n) { o.scene = static_cast<int>(n); }},
    {"--tour", 1, 100000, "--tour takes a count of frames from 1",
     [](Options& o, long long n) { o.tour = static_cast<int>(n); }},
    {"--give", 0, 999, "--give takes a tool number from 0 to 999",
     [](Options& o, long long n) { o.give.push_back(static_cast<int>(n)); }},
};

const NumberOption* FindNumberOption(const std::string& arg) {
    for (const NumberOption& option : kNumberOptions)
        if (arg == option.name) return &option;
    return nullptr;
}

bool IsOutputOption(const std::string& arg) {
    return arg == "--screenshot" || arg == "--window-shot" || arg == "--dump-state";
}

// The other options that take a value.
bool TakesValue(const std::string& arg) {
    return arg == "--path" || arg == "--saves" || arg == "--replay" || arg == "--record" || arg == "--load" ||
           arg == "--language" || arg == "--fixed-fps" || arg == "--flag" || arg == "--console" || arg == "--text-size" ||
           arg == "--subtitle-band" || arg == "--reading-speed" || IsOutputOption(arg);
}

// "--flag SCENE:MASK": the scene's flags to set, the mask in hex.
bool ParseFlag(const std::string& v, Options& o, std::string& error) {
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
    return true;
}

// "FRAME:FILE" of a screenshot, window shot or state dump, its folder existing.
bool ParseOutput(const std::string& arg, const std::string& v, Options& o, std::string& error) {
    long long n = 0;
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
    return true;
}

bool ParseValue(const std::string& arg, const std::string& v, Options& o, std::string& error) {
    if (arg == "--path") o.path = v;
    else if (arg == "--saves") o.saves = v;
    else if (arg == "--replay") o.replay = v;
    else if (arg == "--record") o.record = v;
    else if (arg == "--load") o.load = v;
    else if (arg == "--language") {
        // "ru" (or an empty code) is the game's own language.
        if (!v.empty() && v != "ru" && !IsLanguageCode(v)) {
            error = "--language takes a pack's code (letters, digits, '_' or '-'), as in lang/CODE/";
            return false;
        }
        o.language = v == "ru" ? "" : v;
        o.haveLanguage = true;
    }
    else if (arg == "--flag") return ParseFlag(v, o, error);
    else if (arg == "--console") o.consoleLines.push_back(v);
    else if (arg == "--text-size") {
        if (!ParseSubtitleSize(v, o.subtitleSize)) {
            error = "--text-size takes 16, 20 or 24";
            return false;
        }
    } else if (arg == "--subtitle-band") {
        if (v != "design" && v != "dark") {
            error = "--subtitle-band takes design or dark";
            return false;
        }
        o.subtitleBand = v == "dark" ? 1 : 0;
    } else if (arg == "--reading-speed") {
        if (!ParseReadingSpeed(v, o.readingSpeed)) {
            error = "--reading-speed takes a factor from 1 to 4";
            return false;
        }
    }
    else if (IsOutputOption(arg)) return ParseOutput(arg, v, o, error);
    else if (arg == "--fixed-fps") {
        char* end = nullptr;
        double f = std::strtod(v.c_str(), &end);
        if (*end || !(f >= 1.0 && f <= 1000.0)) {
            error = "--fixed-fps takes a rate from 1 to 1000";
            return false;
        }
        o.fixedFps = f;
    }
    return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (ParseSwitch(arg, o)) continue;
        const NumberOption* number = FindNumberOption(arg);
        if (!number && !TakesValue(arg)) {
            error = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            error = number ? number->error : arg + " needs a value";
            return false;
        }
        const std::string v = argv[++i];
        if (number) {
            long long n = 0;
            if (!ParseNumber(v, number->min, number->max, n)) {
                error = number->error;
                return false;
            }
            number->set(o, n);
        } else if (!ParseValue(arg, v, o, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace tarvex
