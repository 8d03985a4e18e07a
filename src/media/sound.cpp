#include "media/sound.h"

namespace tarvex {

// Entry points of the sound system, to be filled by the sound work.
int InitSound() { return 0; }
void PlaySlot(int, int, int, int) {}
void StopAllSlots() {}
void MuteAllSlots() {}
void RestoreSlotVolumes() {}
void ApplyVolumeSettings() {}
void PlayMusic(int) {}
void StopMusic() {}
void PlayAnimationSounds() {}
void ReleaseSound() {}
void ResetSceneSounds() {}

}  // namespace tarvex
