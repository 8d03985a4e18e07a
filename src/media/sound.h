// Sound slots, music and the animation sounds. (Filled in by the sound work; the
// shell calls only these entry points.)
#pragma once
#include <cstdint>

namespace tarvex {

constexpr int kSoundSlotCount = 64;

int InitSound();
void PlaySlot(int slot, int level, int pan, int loopFlags);
void StopAllSlots();
void MuteAllSlots();
void RestoreSlotVolumes();
void ApplyVolumeSettings();
void PlayMusic(int track);
void StopMusic();
void PlayAnimationSounds();
void ReleaseSound();
// Scene reset's part: the actor sounds' value.
void ResetSceneSounds();

}  // namespace tarvex
