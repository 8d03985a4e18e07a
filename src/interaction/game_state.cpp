#include "interaction/game_state.h"

#include <algorithm>

#include "base/globals.h"
#include "base/scene_request.h"
#include "interaction/interaction_state.h"
#include "platform/clock.h"
#include "resources/anim_slot.h"

namespace tarvex {

GameStateTables gameState;

namespace {

bool ValidScene(int scene) { return scene >= 0 && scene < kSceneWords; }
bool ValidSlot(int slot) { return slot >= 0 && slot < kAnimSlotCount; }

}  // namespace

void SetState(uint32_t value) { SetStateOf(loop.currentScene, value); }
void SetStateOf(int scene, uint32_t value) {
    if (ValidScene(scene)) gameState.sceneState[scene] = value;
}
uint32_t GetState() { return GetStateOf(loop.currentScene); }
uint32_t GetStateOf(int scene) { return ValidScene(scene) ? gameState.sceneState[scene] : 0; }

void SetFlags(uint32_t mask) { SetFlagsOf(loop.currentScene, mask); }
uint32_t TestFlags(uint32_t mask) { return TestFlagsOf(loop.currentScene, mask); }
void ClearFlags(uint32_t mask) { ClearFlagsOf(loop.currentScene, mask); }

void SetFlagsOf(int scene, uint32_t mask) {
    if (ValidScene(scene)) gameState.sceneFlags[scene] |= mask;
}
uint32_t TestFlagsOf(int scene, uint32_t mask) { return ValidScene(scene) ? gameState.sceneFlags[scene] & mask : 0; }
void ClearFlagsOf(int scene, uint32_t mask) {
    if (ValidScene(scene)) gameState.sceneFlags[scene] &= ~mask;
}

void PlayAnimation(int slot, float from, float speed) {
    if (!ValidSlot(slot)) return;
    AnimSlot& s = animation.animSlots[slot];
    // From 0 with a negative speed plays backward from the end.
    s.currentFrame = (from == 0.0f && speed < 0.0f) ? s.frameCount : from;
    s.speed = speed;
    s.mode = 1;
}

namespace {
// Milliseconds the script clock stood still, and when its present pause began.
uint32_t scriptClockPausedMs = 0;
uint32_t scriptClockPauseStart = 0;
bool scriptClockPaused = false;
bool scriptClockHeld = false;  // held by the workbench's pause: only its release resumes it
}  // namespace

void PauseScriptClock() {
    if (scriptClockPaused) return;
    scriptClockPaused = true;
    scriptClockPauseStart = GetMilliseconds();
}

void ResumeScriptClock() {
    if (!scriptClockPaused) return;
    scriptClockPaused = false;
    scriptClockPausedMs += GetMilliseconds() - scriptClockPauseStart;
}

void HoldScriptClock(bool held) {
    scriptClockHeld = held;
    if (held)
        PauseScriptClock();
    else
        ResumeScriptClock();
}

float ScriptSeconds() {
    // A game loaded from the menu left it without resuming the clock.
    if (scriptClockPaused && !scriptClockHeld && !loop.menuActive) ResumeScriptClock();
    const uint32_t now = scriptClockPaused ? scriptClockPauseStart : GetMilliseconds();
    return static_cast<float>((now - scriptClockPausedMs) * 0.001);
}

bool PlayAnimationEvery(int slot, float speed, int interval) {
    if (!ValidSlot(slot)) return false;
    const float now = ScriptSeconds();
    if (now - gameState.sequenceClock < static_cast<float>(interval)) return false;
    gameState.sequenceClock = now;
    PlayAnimation(slot, animation.animSlots[slot].currentFrame, speed);
    return true;
}

bool AnimationAtEnd(int slot) {
    return ValidSlot(slot) && animation.animSlots[slot].currentFrame >= animation.animSlots[slot].frameCount - 1.0f;
}

bool AnimationAtStart(int slot) { return ValidSlot(slot) && animation.animSlots[slot].currentFrame <= 1.0f; }

void FadeIn() { gameState.fadeDirection = 1; }
void FadeOut() { gameState.fadeDirection = -1; }

bool FadeStep() {
    if (gameState.fadeDirection == 0) return true;
    const int64_t next = static_cast<int64_t>(sceneSwitch.gammaLevel) + 16 * gameState.fadeDirection;
    sceneSwitch.gammaLevel = static_cast<uint32_t>(std::clamp<int64_t>(next, 0, sceneSwitch.gammaMax));
    FillGammaRamps(sceneSwitch.gammaLevel);
    SendGammaRamps();
    if (sceneSwitch.gammaLevel == sceneSwitch.gammaMax || sceneSwitch.gammaLevel == 0) {
        gameState.fadeDirection = 0;
        return true;
    }
    return false;
}

void ResetGameState() {
    std::fill(std::begin(gameState.sceneState), std::end(gameState.sceneState), 0u);
    std::fill(std::begin(gameState.sceneFlags), std::end(gameState.sceneFlags), 0u);
    std::fill(std::begin(gameState.notebookEntries), std::end(gameState.notebookEntries), 0u);
    gameState.notebookNewEntry = 0;
    gameState.notebookNewEntryTime = 0;
    gameState.sequenceClock = 0;
    gameState.fadeDirection = 0;
}

}  // namespace tarvex
