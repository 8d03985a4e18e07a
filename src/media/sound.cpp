#include "media/sound.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "base/config.h"
#include "media/animation_sounds.h"
#include "media/wav.h"
#include "platform/audio_device.h"
#include "platform/audio_mixer.h"
#include "platform/clock.h"
#include "platform/ogg_stream.h"
#include "resources/game_file.h"
#include "resources/load_limits.h"

namespace tarvex {

SoundTables soundTables;

namespace {

// The volume each slot is played at, as last applied by a play request or the settings.
int slotVolumes[kSoundSlotCount] = {};
// A music track is streamed from memory: 64 MiB is over an hour of OGG Vorbis at
// 128 kbit/s. A larger file, loose or packaged, is cut there.
constexpr size_t kMaxMusicBytes = 64u << 20;
// The bytes of samples each slot's buffer holds.
uint64_t slotBytes[kSoundSlotCount] = {};
bool outputTried = false;
bool pumpByClock = false;     // no device: the game's clock advances the mixer
bool offlineMixing = false;   // tools and tests render the mixer themselves
// Music that could not be opened is off for the rest of the run; the player's
// setting in the configuration stays as it was.
bool musicFailed = false;
int musicOpens = 0;

bool ValidSlot(int slot) { return slot >= 0 && slot < kSoundSlotCount; }
bool MusicEnabled() { return config.musicOn != 0 && !musicFailed; }

void EnsureAudioOutput() {
    if (outputTried) return;
    outputTried = true;
    pumpByClock = !audio::OpenAudioDevice();
    audio::RestartPump();
}

int PlayVolume(int slot) {
    return slot == kVoiceSlot ? VoiceAttenuation(soundTables.voiceVolume) : EffectsAttenuation(config.soundVolume);
}

// Copies the path cut four characters after its first "."; false when there is none
// or the result does not fit a slot's name.
bool CutName(const char* path, char (&name)[128]) {
    if (!path) return false;
    const char* dot = std::strchr(path, '.');
    if (!dot) return false;
    size_t length = static_cast<size_t>(dot - path);
    for (int i = 0; i < 4 && path[length] != '\0'; ++i) ++length;
    if (length >= sizeof name) return false;
    std::memset(name, 0, sizeof name);
    std::memcpy(name, path, length);
    return true;
}

void ReleaseSlotBuffer(int slot) {
    SoundSlot& s = soundTables.soundSlots[slot];
    if (s.buffer >= 0) {
        audio::StopBuffer(s.buffer);
        audio::ReleaseBuffer(s.buffer);
    }
    s.buffer = -1;
    slotBytes[slot] = 0;
}

// A sound slot takes the name of the file asked for, whether or not it loads; the buffer
// it held is released.
void NameSlot(int slot, const char (&name)[128]) {
    SoundSlot& s = soundTables.soundSlots[slot];
    s.loaded = 1;
    std::memcpy(s.name, name, sizeof s.name);
    ReleaseSlotBuffer(slot);
}

// The samples as a buffer at zero volume and centre pan.
void FillSlot(int slot, const WavInfo& wav, const uint8_t* samples) {
    audio::PcmFormat format{wav.channels, wav.rate, wav.bits};
    if (!audio::CreateBuffer(slot, format, samples, wav.dataSize)) return;
    soundTables.soundSlots[slot].buffer = slot;
    slotBytes[slot] = wav.dataSize;
    audio::SetBufferVolume(slot, 0);
    audio::SetBufferPan(slot, 0);
    slotVolumes[slot] = 0;
}

void ReportRefused(const char (&name)[128], const std::string& why) {
    std::fprintf(stderr, "tarvex: %s refused: %s\n", name, why.c_str());
}

// A WAV game file: the header first, checked against the file's size (the file system's or
// the package directory's), then only the samples it describes. False when the file is
// missing or refused; `why` then says why it was refused (empty: missing, or over the
// loads' budget).
bool ReadWav(const char* name, WavInfo& wav, std::vector<uint8_t>& samples, std::string& why) {
    uint64_t size = 0;
    FILE* f = OpenGameFile(name, size);
    if (!f) return false;
    uint8_t header[kWavHeaderSize];
    const size_t got = std::fread(header, 1, sizeof header, f);
    bool ok = ParseWavHeader(header, got, size, wav, &why) && TakeLoadBytes(wav.dataSize);
    if (ok) {
        ReadGameFileBytes(f, wav.dataSize, samples);
        // A file that shrank since it was opened keeps its whole sample frames.
        wav.dataSize = samples.size() - samples.size() % static_cast<size_t>(wav.bits / 8 * wav.channels);
        ok = wav.dataSize > 0;
        if (!ok) why = "no whole sample frame";
    }
    std::fclose(f);
    return ok;
}

void StartSlot(int slot, int level, int pan, int loopFlags, bool restart) {
    if (!soundTables.soundOn || !ValidSlot(slot)) return;
    SoundSlot& s = soundTables.soundSlots[slot];
    s.level = level;
    s.pan = pan;
    s.loop = loopFlags;
    if (s.buffer < 0) return;
    slotVolumes[slot] = PlayVolume(slot);
    audio::SetBufferVolume(s.buffer, slotVolumes[slot]);
    audio::SetBufferPan(s.buffer, pan);
    const bool loop = (loopFlags & 1) != 0;
    const bool playing = (audio::GetBufferStatus(s.buffer) & audio::kStatusPlaying) != 0;
    if (playing) {
        audio::SetBufferPosition(s.buffer, 0);
        if (restart) audio::PlayBuffer(s.buffer, loop);
    } else {
        audio::PlayBuffer(s.buffer, loop);
    }
    s.playing = 1;
}

}  // namespace

// Tools and tests that render the mixer themselves switch the clock pump off.
void SetOfflineMixing(bool offline) { offlineMixing = offline; }

int EffectsAttenuation(int volumeSetting) {
    const long v = (static_cast<long>(volumeSetting) - 100) * 100;
    return static_cast<int>(std::clamp<long>(v, audio::kSilentVolume, 0));
}

int VoiceAttenuation(int voiceSetting) {
    const long v = (static_cast<long>(voiceSetting) - 4) * 500;
    return static_cast<int>(std::clamp<long>(v, audio::kSilentVolume, 0));
}

int InitSound() {
    if (!config.soundOn) return 0;
    if (!offlineMixing) EnsureAudioOutput();
    soundTables.soundOn = 1;
    return 0;
}

void LoadSound(const char* path, int slot) {
    char name[128];
    if (!CutName(path, name) || !soundTables.soundOn || !ValidSlot(slot)) return;
    NameSlot(slot, name);
    if (LoadFailedBefore(LoadKind::Sound, name)) return;
    WavInfo wav;
    std::vector<uint8_t> samples;
    std::string why;
    if (!ReadWav(name, wav, samples, why)) {
        if (!why.empty()) ReportRefused(name, why);
        NoteFailedLoad(LoadKind::Sound, name);
        return;
    }
    FillSlot(slot, wav, samples.data());
}

void LoadSoundData(const char* nameText, const std::vector<uint8_t>& bytes, int slot) {
    char name[128];
    if (!CutName(nameText, name) || !soundTables.soundOn || !ValidSlot(slot)) return;
    NameSlot(slot, name);
    WavInfo wav;
    std::string why;
    if (!ParseWav(bytes.data(), bytes.size(), wav, &why)) {
        ReportRefused(name, why);
        return;
    }
    FillSlot(slot, wav, bytes.data() + wav.dataOffset);
}

uint64_t SoundSlotBytes(int slot) { return ValidSlot(slot) ? slotBytes[slot] : 0; }

void PlaySlot(int slot, int level, int pan, int loopFlags) { StartSlot(slot, level, pan, loopFlags, false); }

void RestartSlot(int slot, int level, int pan, int loopFlags) { StartSlot(slot, level, pan, loopFlags, true); }

void StopBuffer(int32_t buffer) {
    if (soundTables.soundOn && buffer >= 0) audio::StopBuffer(buffer);
}

void StopSlot(int slot) {
    if (ValidSlot(slot)) StopBuffer(soundTables.soundSlots[slot].buffer);
}

bool IsSlotPlaying(int slot) {
    if (!soundTables.soundOn || !ValidSlot(slot) || soundTables.soundSlots[slot].buffer < 0) return false;
    return (audio::GetBufferStatus(soundTables.soundSlots[slot].buffer) & audio::kStatusPlaying) != 0;
}

uint32_t GetSlotPosition(int slot) {
    if (!soundTables.soundOn || !ValidSlot(slot) || soundTables.soundSlots[slot].buffer < 0) return 0;
    return audio::GetBufferPosition(soundTables.soundSlots[slot].buffer);
}

void SetSlotPosition(int slot, uint32_t bytes) {
    if (!soundTables.soundOn || !ValidSlot(slot) || soundTables.soundSlots[slot].buffer < 0) return;
    audio::SetBufferPosition(soundTables.soundSlots[slot].buffer, bytes);
}

void CaptureSlotPlayback() {
    if (!soundTables.soundOn) return;
    for (int i = 0; i < kSoundSlotCount; ++i) {
        SoundSlot& s = soundTables.soundSlots[i];
        if (s.buffer < 0) continue;
        if (IsSlotPlaying(i)) {
            s.playing = 1;
            s.position = GetSlotPosition(i);
        } else {
            s.playing = 0;
        }
    }
}

void ReleaseSlotBuffers() {
    for (int i = 0; i < kSoundSlotCount; ++i) ReleaseSlotBuffer(i);
}

void StopAllSlots() {
    if (!soundTables.soundOn) return;
    for (int i = 0; i < kSoundSlotCount; ++i) StopSlot(i);
}

void MuteAllSlots() {
    if (!soundTables.soundOn) return;
    for (const SoundSlot& s : soundTables.soundSlots)
        if (s.loaded && s.buffer >= 0) audio::SetBufferVolume(s.buffer, audio::kSilentVolume);
}

void RestoreSlotVolumes() {
    if (!soundTables.soundOn) return;
    for (int i = 0; i < kSoundSlotCount; ++i)
        if (soundTables.soundSlots[i].loaded && soundTables.soundSlots[i].buffer >= 0) audio::SetBufferVolume(soundTables.soundSlots[i].buffer, slotVolumes[i]);
}

void ApplyVolumeSettings() {
    if (!soundTables.soundOn) return;
    for (int i = 0; i < kSoundSlotCount; ++i)
        if (soundTables.soundSlots[i].loaded) slotVolumes[i] = PlayVolume(i);
}

int SlotVolume(int slot) { return ValidSlot(slot) ? slotVolumes[slot] : audio::kSilentVolume; }

std::string MusicTrackPath(int track) {
    // "music/000.wav" with the track over the three digits, then ".ogg".
    char digits[16];
    std::snprintf(digits, sizeof digits, "%3.3d", track);
    std::string name = "music/000.wav";
    const size_t dot = name.find('.');
    name.replace(dot - 3, 3, digits);
    return name.substr(0, name.find('.')) + ".ogg";
}

int MusicOpenCount() { return musicOpens; }

void PumpSound() {
    if (pumpByClock && !offlineMixing) audio::PumpMixer(GetMilliseconds());
}

void PlayMusic(int track) {
    // The loop's idle pass: without a device the mixer follows the clock here.
    PumpSound();
    if (!MusicEnabled()) return;
    if (!offlineMixing) EnsureAudioOutput();
    if (soundTables.musicResumed && audio::HasMusicSource()) {
        audio::SetMusicPlaying(true);
        soundTables.musicResumed = 0;
        return;
    }
    if (track == soundTables.currentTrack) return;
    soundTables.currentTrack = track;
    audio::SetMusicSource(nullptr);
    std::vector<uint8_t> bytes;
    std::shared_ptr<audio::AudioSource> stream;
    ++musicOpens;
    const std::string path = MusicTrackPath(track);
    audio::OggInfo info;
    const bool read = ReadGameFile(path, bytes, kMaxMusicBytes);
    if (read) stream = audio::OpenOggStream(std::move(bytes), true, &info);
    // What is wrong with a track is said once a run.
    static std::set<std::string> reported;
    if (!stream) {
        if (reported.insert(path).second)
            std::fprintf(stderr, "tarvex: %s %s: no music\n", path.c_str(),
                         read ? "is not an OGG Vorbis stream" : "is missing or too large");
        musicFailed = true;
        return;
    }
    if (info.cutShort && reported.insert(path).second)
        std::fprintf(stderr, "tarvex: %s is cut short: it plays as far as it goes\n", path.c_str());
    audio::SetMusicSource(stream);
    SetMusicVolume();
    audio::SetMusicPlaying(true);
}

void PauseMusic() {
    if (!MusicEnabled()) return;
    audio::SetMusicPlaying(false);
    soundTables.musicResumed = 0;
}

void ResumeMusic() {
    if (!MusicEnabled()) return;
    audio::SetMusicPlaying(true);
    soundTables.musicResumed = 1;
}

void StopMusic() {
    if (!MusicEnabled()) return;
    audio::SetMusicPlaying(false);
}

void SetMusicVolume() {
    if (!MusicEnabled()) return;
    audio::SetMusicGain(static_cast<float>(std::clamp(config.musicVolume, 0, 100)) / 100.0f);
}

void ReleaseSound() {
    audio::CloseAudioDevice();
    audio::SetMusicSource(nullptr);
    ReleaseSlotBuffers();
    audio::ClearVideoAudio();
    outputTried = false;
    pumpByClock = false;
    soundTables.soundOn = 0;
    soundTables.currentTrack = -1;
    soundTables.musicResumed = 0;
}

void ResetSceneSounds() {
    ResetAnimationSoundState();
    ClearActorSoundMarks();
}

void ResetSound() {
    ReleaseSound();
    audio::ResetMixer();
    for (auto& s : soundTables.soundSlots) s = SoundSlot();
    for (int& v : slotVolumes) v = 0;
    soundTables.voiceVolume = 4;
    musicFailed = false;
    musicOpens = 0;
    offlineMixing = false;
    ResetSceneSounds();
}

}  // namespace tarvex
