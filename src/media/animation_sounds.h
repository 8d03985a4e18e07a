// Footstep-like sounds that the first 16 actors trigger at given animation frames,
// placed by the actor's distance and side as seen from the scene camera.
#pragma once
#include <cstdint>

#include "base/math.h"

namespace tarvex {

constexpr int kSoundActorCount = 16;
constexpr int kSoundMarkCount = 64;

struct SoundMark {
    float frame = 0;
    int32_t slot = 0;  // 0 and -1: no mark
};

struct AnimationSoundTables {
    // Filled by the scene scripts.
    SoundMark actorSoundMarks[kSoundActorCount][kSoundMarkCount];
    // Left and right footstep variants: 1 plays a mark's slot, 0 the slot + 1.
    int footstepToggle = 0;
};
extern AnimationSoundTables animationSounds;

// Level and pan of a sound at `position` heard from `eye` looking at `target`.
void AnimationSoundLevelPan(const Vec3& position, const Vec3& eye, const Vec3& target, int& level, int& pan);

void ClearActorSoundMarks();
// The variant toggle and its count back to their start (scene reset).
void ResetAnimationSoundState();

}  // namespace tarvex
