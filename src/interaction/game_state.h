// Scene state and flag words, and the small services scripts call.
#pragma once
#include <cstdint>

namespace tarvex {

constexpr int kSceneWords = 1024;
extern uint32_t sceneState[kSceneWords];
extern uint32_t sceneFlags[kSceneWords];

// True when any bit of mask is set in the current scene's / the given scene's flag word.
bool TestFlags(uint32_t mask);
bool TestFlagsOf(int scene, uint32_t mask);
// Starts slot `slot` playing from frame `from` at `speed`.
void PlayAnimation(int slot, float from, float speed);
void ResetGameState();

}  // namespace tarvex
