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
    if (loop.currentScene < 0 || loop.currentScene >= kSceneCount) return;
    const int next = sceneLeftFor[loop.currentScene];
    if (next >= 0) PrefetchSceneFiles(next);
}

void StepSceneFade() {
    if (sceneSwitch.fadeState == 0) return;
    const uint32_t step = sceneSwitch.instantCut ? 512 : 16;
    if (sceneSwitch.fadeState > 300)
        sceneSwitch.gammaLevel -= step;
    else
        sceneSwitch.gammaLevel += step;
    if (sceneSwitch.gammaLevel > 65500)
        sceneSwitch.gammaLevel = 0;  // wrapped below zero
    else if (sceneSwitch.gammaLevel > sceneSwitch.gammaMax)
        sceneSwitch.gammaLevel = sceneSwitch.gammaMax;
    FillGammaRamps(sceneSwitch.gammaLevel);
    if (sceneSwitch.gammaLevel == sceneSwitch.gammaMax) {
        FillGammaRamps(sceneSwitch.gammaMax);
        sceneSwitch.fadeState = 0;
    }
    if (!sceneSwitch.instantCut) SendGammaRamps();
    if (sceneSwitch.gammaLevel == 0) SwitchScene();
}

void SwitchScene() {
    sceneSwitch.fadeState = 4;
    sceneSwitch.previousScene = loop.currentScene;
    KillAllWindowTimers();
    loop.currentScene = sceneSwitch.pendingScene;
    if (sceneSwitch.previousScene >= 0 && sceneSwitch.previousScene < kSceneCount) sceneLeftFor[sceneSwitch.previousScene] = loop.currentScene;
    ResetSceneState();
    EnterCurrentScene();
    // The loading time must not enter the frame time scale.
    RestartFrameRateWindow();
}

void ResetSceneState() { ResetTablesForSceneSwitch(); }

}  // namespace tarvex
