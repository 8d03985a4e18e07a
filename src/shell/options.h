// The command line.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarvex {

struct Options {
    bool headless = false;
    bool fullScreen = true;
    bool linearScaling = false;
    bool displayModeChange = false;  // full screen in an 800 x 600 display mode
    bool settings = false;
    double fixedFps = 0.0;
    bool haveSeed = false;
    uint32_t seed = 0;
    long long frames = -1;
    std::vector<std::pair<long long, std::string>> screenshots;
    bool screenshotOverlays = false;  // screenshots show the overlays switched on

    // The picture as the window shows it (scaled, letter-boxed), at the window's size.
    std::vector<std::pair<long long, std::string>> windowShots;
    std::vector<std::pair<long long, std::string>> stateDumps;
    std::string replay;
    std::string record;
    std::string path;   // game folder
    std::string saves;  // saves folder
    std::string load;   // a saved game to start from
    // The translation pack chosen for this run ("" the game's own texts), over the stored choice.
    std::string language;
    bool haveLanguage = false;
    int tour = 0;       // frames a scene when every scene number is visited in turn (soak runs)
    int scene = -1;
    // Developer options for a game started with --scene: items in the inventory and
    // flags of scenes set before the scene is entered.
    std::vector<int> give;
    std::vector<std::pair<int, uint32_t>> flags;
    // Lines run at the workbench console after the first frame, in order.
    std::vector<std::string> consoleLines;
    // The player's subtitle settings for this run, over those of the settings file.
    int subtitleSize = 0;         // 0: as the file says
    int subtitleBand = -1;        // -1: as the file says; 0 design, 1 dark
    float readingSpeed = 0;       // 0: as the file says
    bool waitForClick = false;
    bool help = false;
};

// Parses argv; false with a message on an unknown or malformed option, or an output file
// (--screenshot, --dump-state) whose folder does not exist.
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);
const char* UsageText();

}  // namespace tarvex
