#include "shell/scene_switch.h"

#include <algorithm>
#include <array>

#include "interaction/interaction_state.h"
#include "media/sound.h"
#include "menu/menu.h"
#include "menu/saved_games.h"
#include "model/actor.h"
#include "platform/display.h"
#include "platform/timers.h"
#include "render/frame_render.h"
#include "render/particles.h"
#include "resources/anim_slot.h"
#include "scene/scene_load.h"
#include "scripts/scene_dispatch.h"
#include "shell/game_tables.h"
#include "shell/globals.h"
#include "text/dialogue.h"

namespace tarvex {

int pendingScene = -1;
int previousScene = -1;
uint32_t fadeState = 0;
uint32_t gammaLevel = 0;
uint32_t gammaMax = 255;
uint8_t instantCut = 0;
uint16_t gammaRamp[3][256];

void FillGammaRamps(uint32_t scale) {
    for (int i = 0; i < 256; ++i) {
        const uint64_t v = std::min<uint64_t>(static_cast<uint64_t>(i) * scale, 65535);
        gammaRamp[0][i] = gammaRamp[1][i] = gammaRamp[2][i] = static_cast<uint16_t>(v);
    }
}

void SendGammaRamps() { SetGammaRamp(gammaRamp[0], gammaRamp[1], gammaRamp[2]); }

void SetGammaMax(uint32_t value) {
    gammaMax = std::min(value, kGammaMaxLimit);
    FillGammaRamps(gammaMax);
    SendGammaRamps();
}

namespace {

// The scene each scene was last left for: the one whose files are read ahead while it is shown.
std::array<int, kSceneCount> sceneLeftFor = [] {
    std::array<int, kSceneCount> none;
    none.fill(-1);
    return none;
}();

}  // namespace

void PrefetchLikelyScene() {
    if (currentScene < 0 || currentScene >= kSceneCount) return;
    const int next = sceneLeftFor[currentScene];
    if (next >= 0) PrefetchSceneFiles(next);
}

void CheckSceneRequest(int frameStartScene) {
    if (currentScene != frameStartScene && currentScene != -1) {
        pendingScene = currentScene;
        currentScene = frameStartScene;
        fadeState = 4294967295u;
    }
}

void StepSceneFade() {
    if (fadeState == 0) return;
    const uint32_t step = instantCut ? 512 : 16;
    if (fadeState > 300)
        gammaLevel -= step;
    else
        gammaLevel += step;
    if (gammaLevel > 65500)
        gammaLevel = 0;  // wrapped below zero
    else if (gammaLevel > gammaMax)
        gammaLevel = gammaMax;
    FillGammaRamps(gammaLevel);
    if (gammaLevel == gammaMax) {
        FillGammaRamps(gammaMax);
        fadeState = 0;
    }
    if (!instantCut) SendGammaRamps();
    if (gammaLevel == 0) SwitchScene();
}

void EnterCurrentScene() {
    LoadSceneFiles();
    InitScene();
    LoadScene();
    AutoSave();
}

void SwitchScene() {
    fadeState = 4;
    previousScene = currentScene;
    KillAllWindowTimers();
    currentScene = pendingScene;
    if (previousScene >= 0 && previousScene < kSceneCount) sceneLeftFor[previousScene] = currentScene;
    ResetSceneState();
    EnterCurrentScene();
    // The loading time must not enter the frame time scale.
    RestartFrameRateWindow();
}

void ResetSceneState() { ResetTablesForSceneSwitch(); }

void ResetSceneSwitch() {
    pendingScene = -1;
    previousScene = -1;
    fadeState = 0;
    gammaLevel = 0;
    gammaMax = 255;
    instantCut = 0;
    FillGammaRamps(255);
}

}  // namespace tarvex
