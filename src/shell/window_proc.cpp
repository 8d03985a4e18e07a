#include "shell/window_proc.h"

#include <algorithm>

#include "base/config.h"
#include "base/globals.h"
#include "base/mouse.h"
#include "interaction/game_hooks.h"
#include "interaction/game_state.h"
#include "media/sound.h"
#include "media/video.h"
#include "menu/menu.h"
#include "menu/saved_games.h"
#include "platform/display.h"
#include "platform/timers.h"
#include "shell/display_setup.h"
#include "shell/scene_switch.h"
#include "text/dialogue.h"
#include "workbench/console.h"
#include "workbench/workbench.h"

namespace tarvex {

namespace {

// A game loaded from the menu leaves it, with any panel that was open there.
void LeaveMenuAfterLoad() {
    if (loop.menuActive == 0) menuTables.menuInputState = 0;
}

void RefillAndSendRamps() {
    FillGammaRamps(sceneSwitch.gammaMax);
    SendGammaRamps();
}

}  // namespace

void HandleKeyDown(int key) {
    // Device codes type the US layout's characters except while a save name is typed.
    SetPlayerLayoutTyping(menuTables.menuInputState == 2);
    switch (key) {
    case vk::Escape:
        if (loop.playMode == 2) {
            videoPlayback.skipVideo = 1;
        } else if (loop.menuActive == 0) {
            EnterMenuFromGame();
        } else if (loop.currentScene != -1 && loop.gameStarted) {
            ReturnToGameFromMenu();
        }
        break;
    case vk::Space:
        videoPlayback.skipVideo = 1;
        break;
    case vk::F5:
        if (loop.menuActive == 0 && loop.currentScene != -1) {
            // With overlays on, the frame kept the picture under them already.
            if (displayValues.thumbnailSurface && !WorkbenchDrawsOverPicture())
                ReadBackBufferInto(*displayValues.thumbnailSurface);
            QuickSave();
            RestartFrameRateWindow();
        }
        break;
    case vk::F6:
        LoadQuickSave();
        LeaveMenuAfterLoad();
        RestartFrameRateWindow();
        break;
    case vk::F7:
        LoadAutoSave();
        LeaveMenuAfterLoad();
        RestartFrameRateWindow();
        break;
    case vk::F9:
        config.modeValue = config.modeValue >= 0 && config.modeValue < 3 ? config.modeValue + 1 : 0;
        break;
    case vk::F11:
        sceneSwitch.gammaMax = sceneSwitch.gammaMax >= 34 ? sceneSwitch.gammaMax - 2 : 32;
        RefillAndSendRamps();
        break;
    case vk::F12:
        // No ceiling of its own; kept below the level at which a fade would wrap.
        sceneSwitch.gammaMax = std::min<uint32_t>(sceneSwitch.gammaMax + 2, kGammaMaxLimit);
        RefillAndSendRamps();
        break;
    default:
        break;
    }
}

void HandleCharacter(int ch) {
    // Outside the menu's entries the game's devices and scenes may take it.
    if (menuTables.menuInputState == 0 && gameHooks.typedCharacter &&
        gameHooks.typedCharacter(ch, loop.menuActive == 0 && loop.playMode != 2))
        return;
    const bool saveChar = (ch >= '0' && ch <= '9') || (ch >= 0xC0 && ch <= 0xFF) || (ch >= 0x40 && ch <= 0x80) ||
                          ch == 8 || ch == 13 || ch == 32;
    if (menuTables.menuInputState == 2 && saveChar) TypeSaveNameChar(ch);
}

void HandleTimer(int id) {
    if (videoPlayback.videoState) return;
    if (id == kMenuClockTimer) {
        PlayAnimation(40, 1.0f, 0.99f);
        PlaySlot(44, 0, 0, 0);
    } else if (gameHooks.windowTimer) {
        gameHooks.windowTimer(id);
    }
}

bool WindowProc(const Message& m) {
    if (ConsoleTakesMessage(m)) return true;
    switch (m.type) {
    case MessageType::Activate:
        loop.appActive = (m.value == 1 || m.value == 2) ? 1 : 0;
        AcquireMouse();
        return true;
    case MessageType::Close:
        ReleaseAll();
        return false;
    case MessageType::KeyDown:
        HandleKeyDown(m.value);
        return true;
    case MessageType::SysKeyDown:
        // Alt+Enter: full screen or a window, back and forth.
        if (m.value == vk::Return) {
            SetFullScreen(!IsFullScreen());
            AcquireMouse();
        }
        return true;
    case MessageType::Char:
        HandleCharacter(m.value);
        return true;
    case MessageType::CtrlKeyDown:
        HandleWorkbenchKey(m.value);
        return true;
    case MessageType::Timer:
        HandleTimer(m.value);
        return true;
    case MessageType::Text:  // the console's typing, left over after it closed
        return true;
    }
    return true;
}

}  // namespace tarvex
