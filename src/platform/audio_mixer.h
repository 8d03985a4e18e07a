// The engine's software mixer in place of DirectSound: 64 buffers with volume and
// pan in hundredths of a decibel, one-shot or looping play, status and play
// position in bytes of the source data; plus a pulled music stream and a queued
// video sound. Output is 44,100 Hz stereo signed 16-bit. The audio device's
// callback renders on its own thread; without a device the game advances the
// mixer by its clock (PumpMixer), and tools and tests render offline (RenderMixer).
// Every call takes the mixer's lock, so the game thread and the device can share it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tarvex::audio {

constexpr int kOutputRate = 44100;
constexpr int kOutputChannels = 2;
constexpr int kMixerBufferCount = 64;
constexpr int kSilentVolume = -10000;

// Status bits as the game reads them.
constexpr uint32_t kStatusPlaying = 0x1;
constexpr uint32_t kStatusLooping = 0x4;

struct PcmFormat {
    int channels = 0;  // 1 or 2
    int rate = 0;      // any rate, resampled linearly
    int bits = 0;      // 8 (unsigned) or 16 (signed)
};

// Linear gain of an attenuation in hundredths of a decibel (0 full, -10,000 silent).
float VolumeToGain(int hundredthsDb);
// Gains of the two sides for a pan: the far side is attenuated by |pan|.
void PanGains(int pan, float& left, float& right);

// Buffers (index 0..63). A new buffer replaces the old one, stopped, at position 0,
// volume 0 and pan 0. False on a bad format or no whole frame (nothing changes).
bool CreateBuffer(int index, const PcmFormat& format, const uint8_t* data, size_t size);
void ReleaseBuffer(int index);
void ReleaseAllBuffers();
bool HasBuffer(int index);
int LiveBufferCount();  // buffers holding sound
// Starts from the present play position; a playing buffer only takes the new loop flag.
void PlayBuffer(int index, bool loop);
void StopBuffer(int index);  // keeps the play position
void SetBufferVolume(int index, int hundredthsDb);
int GetBufferVolume(int index);
void SetBufferPan(int index, int pan);
int GetBufferPan(int index);
uint32_t GetBufferStatus(int index);
// Play position in bytes of the source data (whole frames).
uint32_t GetBufferPosition(int index);
void SetBufferPosition(int index, uint32_t bytes);
uint32_t GetBufferSize(int index);

// A source of 44,100 Hz stereo samples pulled by the mixer (music). Read returns the
// frames it wrote; fewer than asked means the source has ended. Called with the
// mixer's lock held, on the device's thread.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual int Read(int16_t* stereo, int frames) = 0;
};

void SetMusicSource(std::shared_ptr<AudioSource> source);  // nullptr removes it (stopped)
bool HasMusicSource();
void SetMusicPlaying(bool playing);
bool MusicPlaying();
void SetMusicGain(float gain);  // linear 0..1
float MusicGain();

// The video's sound: 44,100 Hz stereo frames queued by the game thread.
void QueueVideoAudio(const int16_t* stereo, size_t frames);
void ClearVideoAudio();
size_t QueuedVideoAudio();
void SetVideoAudioGain(float gain);

// Mixes `frames` stereo frames into `out` and advances everything by that much.
void RenderMixer(int16_t* out, int frames);

// Without a device: advances the mixer to the millisecond clock value `nowMs` (the
// rendered sound is dropped), so sounds end on time in headless runs. The first call
// only sets the start. Catch-up is limited to one second at a time.
void PumpMixer(uint32_t nowMs);
void RestartPump();

// Everything back to empty (tests, shut-down).
void ResetMixer();

}  // namespace tarvex::audio
