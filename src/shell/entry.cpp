#include "shell/entry.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>

#include "base/config.h"
#include "base/globals.h"
#include "base/mouse.h"
#include "base/play_settings.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "media/sound.h"
#include "media/video.h"
#include "menu/menu.h"
#include "menu/saved_games.h"
#include "platform/audio_device.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/png_io.h"
#include "platform/random.h"
#include "scripts/game_content.h"
#include "scripts/lua_scene.h"
#include "scripts/scene_dispatch.h"
#include "shell/display_setup.h"
#include "shell/game_frame.h"
#include "shell/game_tables.h"
#include "shell/scene_switch.h"
#include "shell/state_dump.h"
#include "shell/window_proc.h"
#include "text/fonts.h"
#include "text/language_pack.h"
#include "workbench/console.h"
#include "workbench/script_reload.h"

namespace tarvex {

namespace {

std::string Absolute(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    auto p = std::filesystem::absolute(path, ec);
    return ec ? path : p.string();
}

// The orderly quit: the configuration with the clean-exit flag, then everything released.
void OrderlyQuit() {
    FinishSaves();
    config.cleanExit = 1;
    config.windowed = 0;
    config.gammaMax = static_cast<int32_t>(sceneSwitch.gammaMax);
    config.shadows = displayValues.stencilShadows;
    SaveConfig();
    loop.quitRequested = 0;
    loop.appActive = 0;
    ReleaseAll();
}

}  // namespace

LoopPass RunLoopPass(uint64_t frame) {
    // Keys type the US layout's characters except while a save name is typed.
    SetPlayerLayoutTyping(menuTables.menuInputState == 2);
    BeginInputFrame(frame);
    Message message;
    while (TakeMessage(message))
        if (!WindowProc(message)) return LoopPass::Quit;
    ReportFailedSaves();
    if (!loop.appActive) return LoopPass::Inactive;
    PrefetchLikelyScene();
    if (loop.playMode != 2) PlayMusic(loop.requestedTrack);
    if (loop.menuActive) {
        if (ConsoleOpen()) CloseConsole();  // the game ended under it
        DescribeAndHandFrame();
        MenuFrame();
    } else if (ConsolePaused()) {
        PausedFrame();
    } else {
        // A scene script changed on disk (or a reload asked for) enters the scene again first.
        WatchSceneScript();
        GameFrame();
    }
    return LoopPass::Frame;
}

namespace {

// The files a run reads and writes, made absolute before the run moves to the game folder.
struct RunFiles {
    std::string saves, replay, record, load;
    std::map<long long, std::string> screenshots;
    std::multimap<long long, std::string> windowShots;
    std::multimap<long long, std::string> stateDumps;
};

// Paths given on the command line are relative to where the program was started;
// game files are relative to the game folder, which becomes the current directory.
RunFiles AbsoluteRunFiles(const Options& options) {
    RunFiles files;
    files.saves = Absolute(options.saves);
    for (const auto& [frame, file] : options.screenshots) files.screenshots[frame] = Absolute(file);
    for (const auto& [frame, file] : options.windowShots) files.windowShots.emplace(frame, Absolute(file));
    for (const auto& [frame, file] : options.stateDumps) files.stateDumps.emplace(frame, Absolute(file));
    files.replay = Absolute(options.replay);
    files.record = Absolute(options.record);
    files.load = Absolute(options.load);
    return files;
}

// The game folder, the saves, the game's content, the clock, the random seed and the replay
// or recording; false (with the reason written) when the run cannot start.
bool PrepareRun(const Options& options, const RunFiles& files) {
    if (!options.path.empty() && ::chdir(options.path.c_str()) != 0) {
        std::fprintf(stderr, "tarvex: cannot open the game folder %s\n", options.path.c_str());
        return false;
    }
    SetSavesDirectory(files.saves.empty() ? "saves" : files.saves);
    UseLanguage(options.haveLanguage ? options.language : StoredLanguage());
    // The game's own content behind the engine's hooks.
    RegisterGameContent();
    SetEndOfGameMenu(EnterMenuFromGame);
    // The workbench: its commands, and its console drawn over the picture in the window.
    StartWorkbench();
    SetWindowOverlay(DrawConsole);
    SetFixedFrameRate(options.fixedFps);
    SeedRandom(options.haveSeed ? options.seed
                                : static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    if (options.headless) audio::SelectDummyAudioDriver();
    if (!files.replay.empty()) {
        std::string error;
        if (!OpenReplay(files.replay, error)) {
            std::fprintf(stderr, "tarvex: %s\n", error.c_str());
            return false;
        }
    }
    if (!files.record.empty() && !OpenRecording(files.record)) {
        std::fprintf(stderr, "tarvex: cannot write %s\n", files.record.c_str());
        return false;
    }
    return true;
}

// The player's settings file, and the command line's over it for this run.
static void ApplyPlaySettings(const Options& options) {
    playSettings = PlaySettings{};
    LoadPlaySettings();
    if (options.subtitleSize) playSettings.subtitleSize = options.subtitleSize;
    if (options.subtitleBand >= 0) playSettings.darkBand = options.subtitleBand == 1;
    if (options.readingSpeed > 0) playSettings.readingSpeed = options.readingSpeed;
    if (options.waitForClick) playSettings.waitForClick = true;
}

// The stored configuration and its gamma, the window and display device (the settings
// dialog may come first), the mouse, the sound and the interface. Gives nothing when the
// game goes on, else the run's result.
std::optional<int> StartDevices(const Options& options, const RunFiles& files) {
    sceneSwitch.gammaMax = 255;
    LoadConfig();
    ApplyPlaySettings(options);
    config.windowed = 0;
    loop.quitRequested = 0;
    sceneSwitch.gammaMax = static_cast<uint32_t>(std::clamp<int64_t>(config.gammaMax, 0, kGammaMaxLimit));
    FillGammaRamps(sceneSwitch.gammaMax);
    SendGammaRamps();
    DisplayOptions display;
    display.headless = options.headless;
    display.fullScreen = options.fullScreen;
    display.linearScaling = options.linearScaling;
    display.displayModeChange = options.displayModeChange;
    display.presentWhenHeadless = !files.windowShots.empty();
    display.forceSettingsDialog = options.settings;
    const int displayResult = InitDisplay(display);
    if (displayResult == 1) return 0;  // "Выход" in the settings dialog is the player's choice, not a failure
    if (displayResult != 0) return kFailureResult;
    if (CreateMouse() < 0 || AcquireMouse() < 0) {
        ShowMessageBox("", "Error init mouse", true);
        ReleaseAll();
        return kFailureResult;
    }
    InitSound();
    // The interface; when it does not load, the run ends without an error status.
    if (LoadInterface() != 0) {
        ReleaseAll();
        return 0;
    }
    return std::nullopt;
}

// The menu behind the logo video and its music, then the scene or saved game the command
// line asks for.
void StartFirstScreen(const Options& options, const RunFiles& files) {
    RegisterGameOwners();
    ResetSceneState();
    loop.menuActive = 1;
    MenuInit();
    CreateGameFonts();
    videoPlayback.videoState = 1;
    StartVideo("video/intrologo.bik");
    loop.requestedTrack = 3;
    PlayMusic(3);

    if (options.scene >= 0)
        StartNewGame(options.scene, [&options] {
            for (int tool : options.give) SetToolOwnership(tool, 1, 0);
            for (const auto& [scene, mask] : options.flags) SetFlagsOf(scene, mask);
        });
    // A saved game to start from: as the load panel would load it; a refused file leaves
    // the menu open with the reason on the screen.
    if (!files.load.empty() && options.scene < 0) {
        StopVideo();
        LoadGameFile(files.load);
    }
}

// The screenshot asked for at this frame, of the back buffer as it is; false when none is.
bool WriteScreenshot(const RunFiles& files, long long frame) {
    auto shot = files.screenshots.find(frame);
    if (shot == files.screenshots.end()) return false;
    if (!WritePngRgb(shot->second, kScreenWidth, kScreenHeight, ReadBackBufferRgb(true)))
        std::fprintf(stderr, "tarvex: cannot write %s\n", shot->second.c_str());
    return true;
}

// The screenshots (unless the game frame took it already), window shots and state dumps
// asked for at this frame.
void WriteFrameOutputs(const RunFiles& files, long long frame, bool screenshotTaken) {
    if (!screenshotTaken) WriteScreenshot(files, frame);
    for (auto [shot, last] = files.windowShots.equal_range(frame); shot != last; ++shot) {
        int width = 0, height = 0;
        const std::vector<uint8_t> rgb = ReadWindowRgb(width, height);
        if (rgb.empty() || !WritePngRgb(shot->second, width, height, rgb))
            std::fprintf(stderr, "tarvex: cannot write %s\n", shot->second.c_str());
    }
    for (auto [dump, last] = files.stateDumps.equal_range(frame); dump != last; ++dump)
        if (!WriteStateDump(dump->second, frame))
            std::fprintf(stderr, "tarvex: cannot write %s\n", dump->second.c_str());
}

// The tour cuts to the next scene number every so many frames, as a script would ask,
// and ends after the last scene.
void AdvanceTour(const Options& options, long long frame) {
    if (options.tour <= 0 || frame % options.tour != 0 || loop.menuActive) return;
    const int next = frame / options.tour;
    if (next < kSceneCount) {
        sceneSwitch.instantCut = 1;
        sceneSwitch.pendingScene = next;
        sceneSwitch.fadeState = 4294967295u;
    } else {
        loop.quitRequested = 1;
    }
}

}  // namespace

int RunGame(const Options& options) {
    const RunFiles files = AbsoluteRunFiles(options);
    if (!PrepareRun(options, files)) return 1;
    if (const std::optional<int> result = StartDevices(options, files)) return *result;
    StartFirstScreen(options, files);
    RestartFrameRateWindow();
    // The window is active from the start; focus events keep it up to date.
    PostMessage(MessageType::Activate, 1);

    long long frame = 0;
    // A screenshot shows the game's picture without the workbench over it, unless the
    // command line asks for the overlays too: a game frame takes it before they are drawn.
    bool screenshotTaken = false;
    struct PictureHook {
        ~PictureHook() { SetGamePictureFinished({}); }
    } pictureHook;
    if (!options.screenshotOverlays)
        SetGamePictureFinished([&] { screenshotTaken = WriteScreenshot(files, frame); });
    for (;;) {
        screenshotTaken = false;
        const LoopPass pass = RunLoopPass(static_cast<uint64_t>(frame));
        if (pass == LoopPass::Quit) {
            CloseRecording();
            return 0;
        }
        if (pass == LoopPass::Inactive) {
            WaitForMessage();
            continue;
        }
        WriteFrameOutputs(files, frame, screenshotTaken);
        if (frame == 0)
            for (const std::string& line : options.consoleLines) RunConsoleText(line, true);
        ++frame;
        AdvanceVirtualClock();
        AdvanceTour(options, frame);
        if (options.frames >= 0 && frame >= options.frames) loop.quitRequested = 1;
        if (loop.quitRequested) {
            OrderlyQuit();
            CloseRecording();
            return 0;
        }
    }
}

}  // namespace tarvex
