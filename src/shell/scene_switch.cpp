#include "shell/scene_switch.h"

#include <algorithm>
#include <array>

#include "base/globals.h"
#include "interaction/interaction_state.h"
#include "media/sound.h"
#include "shell/game_tables.h"
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
#include "text/dialogue.h"

namespace tarvex {

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

}  // namespace tarvex
