// Sound slots, music and the animation sounds. Effects and voices are WAV files
// loaded whole into 64 slots and played through the engine's mixer; music is one
// streamed, looping OGG track at a time.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

constexpr int kSoundSlotCount = 64;
constexpr int kAmbientSlot = 39;
constexpr int kVoiceSlot = 63;

struct SoundSlot {
    uint8_t playing = 0;   // set when the slot is started (the saved game's was-playing byte)
    uint8_t loaded = 0;    // a file was loaded into the slot (even when it was refused)
    int32_t level = 0;     // first value of the last play request
    int32_t pan = 0;       // -10,000 left .. 10,000 right
    int32_t loop = 0;      // play flags of the last request: 1 loops
    char name[128] = {};
    int32_t buffer = -1;   // the mixer buffer holding the sound; -1 none
    uint32_t position = 0; // play position in bytes, brought up to date for saving
};

struct SoundTables {
    SoundSlot soundSlots[kSoundSlotCount];
    // The sound system is present (sound setting on when it was initialised).
    int soundOn = 0;
    // Voice volume setting: 4 is full, each step below is 5 dB quieter.
    int voiceVolume = 4;
    // Music state.
    int currentTrack = -1;
    int musicResumed = 0;
};
extern SoundTables soundTables;

// Attenuations in hundredths of a decibel from the settings.
int EffectsAttenuation(int volumeSetting);  // (v - 100) * 100, not below -10,000
int VoiceAttenuation(int voiceSetting);     // (v - 4) * 500, not below -10,000

int InitSound();
// Loads a WAV game file (loose first, then "sound.res") into a slot.
void LoadSound(const char* path, int slot);
// The same rule on bytes already read (tools; `name` is stored as the slot's name).
void LoadSoundData(const char* name, const std::vector<uint8_t>& bytes, int slot);
// The bytes of samples the slot's buffer holds (0 without one).
uint64_t SoundSlotBytes(int slot);
void PlaySlot(int slot, int level, int pan, int loopFlags);
void RestartSlot(int slot, int level, int pan, int loopFlags);
// Stops one buffer (a slot's `buffer`), keeping its play position.
void StopBuffer(int32_t buffer);
void StopSlot(int slot);
bool IsSlotPlaying(int slot);
// Play position of a slot's sound in bytes (saved games); 0 without a buffer.
uint32_t GetSlotPosition(int slot);
void SetSlotPosition(int slot, uint32_t bytes);
// Refreshes every slot's `playing` and `position` from its buffer (before saving).
void CaptureSlotPlayback();
// Stops and releases every slot's buffer (loading a saved game); names stay.
void ReleaseSlotBuffers();
void StopAllSlots();
void MuteAllSlots();
void RestoreSlotVolumes();
void ApplyVolumeSettings();
// The volume a slot is played at (hundredths of a decibel), as last applied.
int SlotVolume(int slot);

// Without an audio device, advances the mixer to the millisecond clock (the loop's
// idle pass and the video frames call it), so sounds end on time.
void PumpSound();
void PlayMusic(int track);
void PauseMusic();
void ResumeMusic();
void StopMusic();
void SetMusicVolume();
// Name of a music track: "music/NNN.ogg".
std::string MusicTrackPath(int track);
// How many times a music file was opened (tests and tools watch it).
int MusicOpenCount();

void PlayAnimationSounds();
void ReleaseSound();
// Scene reset's part: the footstep variant toggle and the actors' sound marks.
void ResetSceneSounds();
// Everything back to its start-up state (tests).
void ResetSound();
// Tools and tests that render the mixer themselves (no device, no clock pump).
void SetOfflineMixing(bool offline);

}  // namespace tarvex
