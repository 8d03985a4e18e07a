#include "shell/game_frame.h"

#include <algorithm>

#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "model/actor.h"
#include "media/sound.h"
#include "media/video.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/render_device.h"
#include "render/frame_render.h"
#include "render/particles.h"
#include "resources/anim_slot.h"
#include "scripts/scene_dispatch.h"
#include "shell/config.h"
#include "shell/display_setup.h"
#include "shell/globals.h"
#include "shell/scene_switch.h"
#include "text/dialogue.h"
#include "text/fonts.h"

namespace tarvex {

bool ReadPointer() {
    if (ReadMouse(cursorX, cursorY, mouseState) != 0) return false;
    cursorX = std::clamp(cursorX + mouseState.dx, 2, 797);
    cursorY = std::clamp(cursorY + mouseState.dy, 2, 597);
    return true;
}

bool SkipSpokenLine() {
    // The press stays used until the button is released.
    if (mouseState.buttons[0] & 0x80) {
        if (LeftKey == 0) {
            StopVoice();
            LeftKey = 1;
            return true;
        }
    } else {
        LeftKey = 0;
    }
    return false;
}

static void DrawBackgroundAndLayers() {
    if (playMode != 0) {
        if (playMode != 2) ClearBackBuffer(0, 0, 0);
        return;
    }
    if (backgroundValid && sceneBackground) DrawSurface(*sceneBackground, 0, 0);
    for (int slot = 31; slot <= 34; ++slot) animSlots[slot].currentFrame = 0;
    if (currentVerb < 5 && currentVerb >= 0) animSlots[30 + currentVerb].currentFrame = 1.0f;
    DrawSlots(0, 30);
    if (NotebookIconFrame())
        DrawSlots(30, 36);
    else
        DrawSlots(30, 35);
    for (int i = 0; i < 1000; ++i) {
        ToolRecord& t = ToolTable[i];
        if (t.shownInScene && t.scene == currentScene && t.sceneSurface) DrawSurface(*t.sceneSurface, t.x, t.y);
    }
}

static void DrawSubtitleBand() {
    const bool subtitle = subtitleTimer != 0 && !subtitleText.empty() && config.subtitlesOn;
    if (!subtitle && !choiceActive) return;
    const int h = choiceActive ? 16 * choiceCount : 32;
    DrawColourRect(0, 352, 800, 352 + h, 0, 0, 0, 127);
}

static void DrawPointer() {
    if (playMode == 2) return;
    const int slot = 50 + cursorPicture;
    if (slot < 0 || slot >= kAnimSlotCount) return;
    AnimSlot& s = animSlots[slot];
    if (cursorPicture == 0) {
        s.x = static_cast<float>(cursorX);
        s.y = static_cast<float>(cursorY);
    } else {
        s.x = static_cast<float>(std::max(cursorX - 16, 0));
        s.y = static_cast<float>(std::max(cursorY - 16, 0));
    }
    DrawSlot(slot);
}

static void DrawTexts() {
    DrawDialogText();
    UpdateSubtitle();
    if (cursorPicture == 4 && regionUnderPointer >= 0 && regionUnderPointer < kActionRegionCount) {
        std::u16string name = GetZoneName(actionRegions[regionUnderPointer].nameNumber);
        if (!name.empty() && regularFont) {
            const int w = TextWidth(regularFont, name);
            DrawText(regularFont, cursorX - w / 2, cursorY + 8, name, 255, 255, 255);
        }
    }
}

void GameFrame() {
    // 1. Fog values of the scene; fog itself is switched on only for actors in scenes that ask.
    device::SetFogRange(fogStart, fogEnd, fogColour);
    // 2.
    gameStarted = 1;
    const double frameStart = ClockSeconds();
    ResetPathSearchBudget();
    // 3. Mouse.
    if (!ReadPointer()) return;
    // 4.
    StepSceneFade();
    // 5.
    const int frameStartScene = currentScene;
    // 6.
    DrawBackgroundAndLayers();
    // 7.
    BeginScene3d();
    // 8. Scene logic; while the toolbar is open the scene sees no click.
    const bool toolbarHidesClick = DRAWTOOLBAR && playMode == 0;
    uint8_t savedButton = 0;
    int32_t savedLeftKey = 0;
    if (toolbarHidesClick) {
        savedButton = mouseState.buttons[0];
        savedLeftKey = LeftKey;
        mouseState.buttons[0] = 0;
    }
    if (playMode == 0) {
        RunScene();
        UpdateEmitters();
        MoveParticles();
        DrawParticles();
        PlayAnimationSounds();
    } else if (playMode == 1) {
        playMode = 0;
    } else if (playMode == 2) {
        VideoFrame();
    }
    // 9.
    SkipSpokenLine();
    if (toolbarHidesClick) {
        mouseState.buttons[0] = savedButton;
        LeftKey = savedLeftKey;
    }
    // 10.-12. Full-screen passes.
    if (stencilShadows == 4 && playMode == 0) DrawShadowDarkening();
    if (MainSost == 5) DrawLanternView();
    DrawSubtitleBand();
    // 13.
    postedEndEvent = -1;
    EndScene3d();
    // 14. Right button.
    if (playMode == 0 && interfaceEnabled && !choiceActive) ToolbarRightButton();
    // 15.-17. Toolbar, new item, held item.
    if (DRAWTOOLBAR && playMode == 0) ToolbarFrame();
    NewItemFrame();
    HeldItemFrame();
    // 18.-19.
    DrawPointer();
    DrawTexts();
    // 20.
    CheckSceneRequest(frameStartScene);
    // 21.
    CountFrame(ClockSeconds());
    // 22. Present.
    if (presentEnabled) Present(frameRateCap >= 35.0f && playMode != 2);
    // 23. Pacing: an exact period for scenes that ask for more than 35 frames a second.
    if (playMode != 2 && frameRateCap > 35.0f && !ClockIsVirtual()) {
        const double period = 1.0 / frameRateCap;
        while (ClockSeconds() - frameStart < period) {
            const double left = period - (ClockSeconds() - frameStart);
            if (left > 0.002) SleepMilliseconds(1);
        }
    }
}

}  // namespace tarvex
