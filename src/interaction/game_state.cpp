#include "interaction/game_state.h"

#include "resources/anim_slot.h"
#include "shell/globals.h"

namespace tarvex {

uint32_t sceneState[kSceneWords];
uint32_t sceneFlags[kSceneWords];

bool TestFlags(uint32_t mask) { return TestFlagsOf(currentScene, mask); }

bool TestFlagsOf(int scene, uint32_t mask) {
    if (scene < 0 || scene >= kSceneWords) return false;
    return (sceneFlags[scene] & mask) != 0;
}

void PlayAnimation(int slot, float from, float speed) {
    if (slot < 0 || slot >= kAnimSlotCount) return;
    AnimSlot& s = animSlots[slot];
    // From 0 with a negative speed plays backward from the end.
    s.currentFrame = (from == 0.0f && speed < 0.0f) ? s.frameCount : from;
    s.speed = speed;
    s.mode = 1;
}

void ResetGameState() {
    for (int i = 0; i < kSceneWords; ++i) sceneState[i] = sceneFlags[i] = 0;
}

}  // namespace tarvex
