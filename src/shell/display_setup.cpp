#include "shell/display_setup.h"

#include "base/config.h"
#include "base/globals.h"
#include "media/sound.h"
#include "platform/message_box.h"
#include "platform/timers.h"
#include "scripts/lua_scene.h"
#include "shell/settings_dialog.h"
#include "text/fonts.h"

namespace tarvex {


const char* DisplayFailureMessage(DisplayStep step) {
    switch (step) {
    case DisplayStep::VideoSystem: return "DirectDrawCreateEx FAILED";
    case DisplayStep::FullScreen: return "SetCooperativeLevel FAILED";
    case DisplayStep::Context: return "CreateSurface FAILED";
    case DisplayStep::BackBuffer: return "GetAttachedSurface FAILED";
    case DisplayStep::Version: return "QueryInterface D3D FAILED";
    case DisplayStep::Device: return "D3D create device FAILED";
    case DisplayStep::DepthBuffer: return "Z-buffer create FAILED";
    case DisplayStep::OffscreenDepth: return "Z-buffer offscreen FAILED";
    case DisplayStep::AttachDepth: return "Z-buffer Add FAILED";
    case DisplayStep::VertexBuffers: return "";
    case DisplayStep::Gamma: return " Gamma QueryInterface FAILED";
    case DisplayStep::None: break;
    }
    return "";
}

int FatalError(int code, const std::string& message) {
    ReleaseAll();
    if (!message.empty()) ShowMessageBox(kGameTitle, message, true);
    return code;
}

void ReleaseAll() {
    CloseSceneScript();
    ReleaseFonts();
    ReleaseSurface(displayValues.sceneBackground);
    ReleaseSurface(displayValues.spareBackground);
    ReleaseSurface(displayValues.thumbnailSurface);
    if (config.musicOn) StopMusic();
    DestroyDisplay();
    ReleaseSound();
    KillAllWindowTimers();
}

int InitDisplay(const DisplayOptions& options) {
    DisplayConfig dc;
    dc.headless = options.headless;
    dc.fullScreen = options.fullScreen;
    dc.linearScaling = options.linearScaling;
    dc.displayModeChange = options.displayModeChange;
    dc.presentWhenHeadless = options.presentWhenHeadless;
    dc.title = kGameTitle;
    DisplayStep step = CreateGameWindow(dc);
    if (step != DisplayStep::None) return FatalError(kFailureResult, DisplayFailureMessage(step));

    // The settings dialog, after a run that did not end in order (or when asked).
    // Headless runs never show it: they take its values as if "Старт" were pressed.
    const bool showDialog = SettingsDialogWanted(options.headless, options.forceSettingsDialog);
    if (showDialog) {
        if (RunSettingsDialog() == SettingsChoice::Exit) {
            ReleaseAll();
            return 1;
        }
    } else if (config.cleanExit == 0) {
        AcceptSettings();
    }
    // A run that does not end through the orderly quit brings the dialog back next time.
    config.cleanExit = 0;
    SaveConfig();

    ShowGameWindow();
    // Colour depth: 32 bits when chosen, else the 16-bit (5-6-5) display.
    displayValues.colourDepth = config.colour32 ? 32 : 16;
    displayValues.backBufferCount = config.tripleBuffering ? 2 : 1;
    displayValues.stencilShadows = 0;
    const bool stencil = config.shadows != 0;
    step = CreateDisplayDevice(stencil);
    if (step == DisplayStep::VertexBuffers) return FatalError(kFailureResult, "");
    if (step != DisplayStep::None) return FatalError(kFailureResult, DisplayFailureMessage(step));
    const DisplayObjects& objects = GetDisplayObjects();
    if (!objects.cubeTextures) config.videosCopy = 0;
    // The device always has hardware transform and lighting here.
    if (stencil) displayValues.stencilShadows = objects.stencilBits > 0 ? 4 : 3;
    config.shadows = displayValues.stencilShadows;
    surfaceFormat.displayPixelDepth = displayValues.colourDepth;

    displayValues.sceneBackground = CreateSurface(kScreenWidth, kScreenHeight);
    displayValues.spareBackground = CreateSurface(kScreenWidth, kScreenHeight);
    displayValues.thumbnailSurface = CreateSurface(kScreenWidth, kScreenHeight);
    ClearBackBuffer(0.5f, 0.5f, 0.5f);
    return 0;
}

}  // namespace tarvex
