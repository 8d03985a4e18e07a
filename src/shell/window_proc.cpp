#include "shell/window_proc.h"

#include <algorithm>

#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "media/sound.h"
#include "media/video.h"
#include "menu/menu.h"
#include "menu/saved_games.h"
#include "platform/display.h"
#include "platform/timers.h"
#include "scripts/devices.h"
#include "scripts/scene_dispatch.h"
#include "shell/config.h"
#include "shell/display_setup.h"
#include "shell/globals.h"
#include "shell/scene_switch.h"
#include "text/dialogue.h"

namespace tarvex {

int numberdigit = 0;
static bool mouseCreated = false;

namespace {

#define POD(scene) "animgfx/scene" scene "/pod000.bmp"
#define MASK(scene) "animgfx/scene" scene "/asterisk000.bmp"
const KeyboardDevice kDevices[] = {
    {1, POD("033"), MASK("033"), 269, 185, 20, 12, 2, 3, 1, {0, 0, 0}},
    {2, POD("097"), MASK("097"), 302, 362, 16, 11, 2, 3, 1, {0, 0, 0}},
    {3, POD("097"), MASK("097"), 302, 362, 16, 11, 2, 3, 1, {0, 0, 0}},
    {4, POD("097"), MASK("097"), 302, 362, 16, 11, 2, 3, 1, {0, 0, 0}},
    {6, POD("033"), MASK("033"), 333, 320, 20, 6, 24, 23, 1, {0, 0, 0}},
    {7, POD("252"), MASK("252"), 305, 348, 14, 12, 6, 7, 3, {0x1, 0x2, 0x4}},
    {8, POD("252"), MASK("252"), 305, 348, 14, 12, 29, 30, 2, {0x40000, 0x80000, 0}},
    {9, POD("252"), MASK("252"), 305, 348, 14, 12, 32, 33, 2, {0x40000, 0x80000, 0}},
    {10, POD("252"), MASK("252"), 305, 348, 14, 12, 43, 44, 1, {0, 0, 0}},
    {11, POD("252"), MASK("252"), 305, 348, 14, 12, 4, 11, 1, {0, 0, 0}},
    {12, POD("252"), MASK("252"), 305, 348, 14, 12, 10, 5, 1, {0, 0, 0}},
};
#undef POD
#undef MASK

// A game loaded from the menu leaves it, with any panel that was open there.
void LeaveMenuAfterLoad() {
    if (menuActive == 0) menuInputState = 0;
}

void RefillAndSendRamps() {
    FillGammaRamps(gammaMax);
    SendGammaRamps();
}

}  // namespace

const KeyboardDevice* FindKeyboardDevice(int mainSost) {
    for (const KeyboardDevice& d : kDevices)
        if (d.mainSost == mainSost) return &d;
    return nullptr;
}

int CreateMouse() {
    mouseCreated = true;
    return 0;
}

int AcquireMouse() {
    if (!mouseCreated) return 1;
    // The pointer keeps to a full-screen window while the game has the focus.
    ConfinePointer(appActive && IsFullScreen());
    return 0;
}

void HandleKeyDown(int key) {
    // Device codes type the US layout's characters except while a save name is typed.
    SetPlayerLayoutTyping(menuInputState == 2);
    switch (key) {
    case vk::Escape:
        if (playMode == 2) {
            skipVideo = 1;
        } else if (menuActive == 0) {
            EnterMenuFromGame();
        } else if (currentScene != -1 && gameStarted) {
            ReturnToGameFromMenu();
        }
        break;
    case vk::Space:
        skipVideo = 1;
        break;
    case vk::F5:
        if (menuActive == 0 && currentScene != -1) {
            if (thumbnailSurface) ReadBackBufferInto(*thumbnailSurface);
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
        gammaMax = gammaMax >= 34 ? gammaMax - 2 : 32;
        RefillAndSendRamps();
        break;
    case vk::F12:
        // No ceiling of its own; kept below the level at which a fade would wrap.
        gammaMax = std::min<uint32_t>(gammaMax + 2, kGammaMaxLimit);
        RefillAndSendRamps();
        break;
    default:
        break;
    }
}

void HandleCharacter(int ch) {
    const bool deviceChar = (ch >= '0' && ch <= '9') || (ch >= 0x40 && ch <= 0x80) || ch == 13 || ch == 0x27;
    if (MainSost != 0 && deviceChar && menuInputState == 0) {
        const KeyboardDevice* d = FindKeyboardDevice(MainSost);
        if (!d) return;  // the lantern view (5) takes no keys
        ++numberdigit;
        if (numberdigit >= d->limit) {
            // Past the device's limit keys only report the mismatch (Enter still
            // reaches the entry on the keyboards of modes 6 and up).
            if (ch != 13 || d->mainSost <= 4) {
                EXE = d->mismatchCode;
                return;
            }
        }
        for (int i = 0; i < d->textCount; ++i) {
            if (d->guards[i] && !TestFlagsOf(252, d->guards[i])) continue;
            TypedKey(ch, numberdigit, d->cursorPicture, d->maskPicture, d->x, d->y,
                     DeviceExpectedText(d->mainSost, i), d->step, d->mainSost);
        }
        return;
    }
    // With no keyboard device chosen, a scene's own on-screen keys may take it (the keypad's digits).
    if (MainSost == 0 && menuActive == 0 && menuInputState == 0 && playMode != 2 && SceneTypedCharacter(ch)) return;
    const bool saveChar = (ch >= '0' && ch <= '9') || (ch >= 0xC0 && ch <= 0xFF) || (ch >= 0x40 && ch <= 0x80) ||
                          ch == 8 || ch == 13 || ch == 32;
    if (menuInputState == 2 && saveChar) TypeSaveNameChar(ch);
}

void HandleTimer(int id) {
    if (videoState) return;
    switch (id) {
    case 1:
        if (!menuActive) PlayRandomLine(0, 3, 0);
        break;
    case 2:
        PlayAnimation(40, 1.0f, 0.99f);
        PlaySlot(44, 0, 0, 0);
        break;
    case 3:
        if (!TestFlags(0x1) && previousScene != 0 && menuActive == 0) {
            PlayAnimation(2, 0.0f, 0.38f);
            PlaySlot(2, 0, 10000, 0);
        }
        break;
    case 4:
        if (!TestFlagsOf(75, 0x1) && menuActive == 0) PlaySlot(2, 0, -10000, 0);
        break;
    default:
        break;
    }
}

bool WindowProc(const Message& m) {
    switch (m.type) {
    case MessageType::Activate:
        appActive = (m.value == 1 || m.value == 2) ? 1 : 0;
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
    case MessageType::Timer:
        HandleTimer(m.value);
        return true;
    }
    return true;
}

void ResetWindowProc() {
    numberdigit = 0;
    mouseCreated = false;
}

}  // namespace tarvex
