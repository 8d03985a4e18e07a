// Footstep-like sounds that the first 16 actors trigger at given animation frames.
// The actor table and the scene camera belong to other subsystems; they hand their
// values over through two small functions set here, so this file depends on neither.
#pragma once
#include <cstdint>

namespace tarvex {

constexpr int kSoundActorCount = 16;
constexpr int kSoundMarkCount = 64;

struct SoundMark {
    float frame = 0;
    int32_t slot = 0;  // 0 and -1: no mark
};

// Filled by the scene scripts.
extern SoundMark actorSoundMarks[kSoundActorCount][kSoundMarkCount];
// Left and right footstep variants: 1 plays a mark's slot, 0 the slot + 1.
extern int footstepToggle;

struct ActorSoundView {
    bool inUse = false;
    bool visible = false;
    float position[3] = {0, 0, 0};
    int32_t frameNow = 0;   // whole frame before the last animation step
    int32_t frameNext = 0;  // whole frame after it
};

struct SoundListener {
    float eye[3] = {0, 0, 0};
    float target[3] = {0, 0, 1};
};

using ActorSoundViewFunction = bool (*)(int actor, ActorSoundView& view);
using SoundListenerFunction = bool (*)(SoundListener& listener);
// Until both are set no animation sound plays.
void SetAnimationSoundSources(ActorSoundViewFunction actors, SoundListenerFunction listener);

// Level and pan of a sound at `position` heard from the listener.
void AnimationSoundLevelPan(const float position[3], const SoundListener& listener, int& level, int& pan);

void ClearActorSoundMarks();
// The variant toggle and its count back to their start (scene reset).
void ResetAnimationSoundState();

}  // namespace tarvex
