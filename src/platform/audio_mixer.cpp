#include "platform/audio_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace tarvex::audio {

namespace {

struct MixBuffer {
    bool present = false;
    PcmFormat format;
    std::vector<uint8_t> data;
    size_t frameCount = 0;
    int blockAlign = 0;
    bool playing = false;
    bool looping = false;
    double position = 0;  // in source frames
    int volume = 0;
    int pan = 0;
};

struct MixerState {
    std::mutex lock;
    MixBuffer buffers[kMixerBufferCount];
    std::shared_ptr<AudioSource> music;
    bool musicPlaying = false;
    float musicGain = 1.0f;
    std::vector<int16_t> video;  // interleaved stereo
    size_t videoHead = 0;        // first unplayed sample in `video`
    float videoGain = 1.0f;
    bool pumpStarted = false;
    uint32_t pumpLastMs = 0;
    double pumpCarry = 0;        // fractional frames owed by the pump
    std::vector<float> accumulator;
    std::vector<int16_t> scratch;
};

MixerState& State() {
    static MixerState state;
    return state;
}

bool ValidIndex(int index) { return index >= 0 && index < kMixerBufferCount; }

// One sample of one channel as a float in -1..1; `p` points at the frame.
template <int Bits>
inline float SampleAt(const uint8_t* p, int channel) {
    if constexpr (Bits == 8) {
        return (static_cast<int>(p[channel]) - 128) / 128.0f;
    } else {
        const uint8_t* q = p + 2 * channel;
        return static_cast<int16_t>(static_cast<uint16_t>(q[0] | (q[1] << 8))) / 32768.0f;
    }
}

// Mixes one buffer of a known format into the accumulator with linear interpolation between
// source frames; a mono buffer is interpolated once and panned to both sides.
template <int Bits, int Channels>
void MixFormatInto(MixBuffer& b, float* acc, int frames, float left, float right) {
    constexpr size_t kBlock = Bits / 8 * Channels;
    const double step = static_cast<double>(b.format.rate) / kOutputRate;
    const size_t n = b.frameCount;
    const double end = static_cast<double>(n);
    const uint8_t* data = b.data.data();
    double position = b.position;
    for (int i = 0; i < frames; ++i) {
        const size_t f0 = static_cast<size_t>(position);
        const float frac = static_cast<float>(position - static_cast<double>(f0));
        size_t f1 = f0 + 1;
        if (f1 >= n) f1 = b.looping ? 0 : f0;
        const uint8_t* p0 = data + f0 * kBlock;
        const uint8_t* p1 = data + f1 * kBlock;
        if constexpr (Channels == 1) {
            const float s0 = SampleAt<Bits>(p0, 0), s1 = SampleAt<Bits>(p1, 0);
            const float v = s0 + (s1 - s0) * frac;
            acc[2 * i] += v * left;
            acc[2 * i + 1] += v * right;
        } else {
            const float l0 = SampleAt<Bits>(p0, 0), l1 = SampleAt<Bits>(p1, 0);
            const float r0 = SampleAt<Bits>(p0, 1), r1 = SampleAt<Bits>(p1, 1);
            acc[2 * i] += (l0 + (l1 - l0) * frac) * left;
            acc[2 * i + 1] += (r0 + (r1 - r0) * frac) * right;
        }
        position += step;
        if (position >= end) {
            if (b.looping) {
                position = std::fmod(position, end);
            } else {
                // A finished one-shot is ready to play again from the start.
                b.playing = false;
                b.position = 0;
                return;
            }
        }
    }
    b.position = position;
}

void MixBufferInto(MixBuffer& b, float* acc, int frames) {
    float left = 1, right = 1;
    PanGains(b.pan, left, right);
    const float gain = VolumeToGain(b.volume);
    left *= gain;
    right *= gain;
    const bool wide = b.format.channels == 2;
    if (b.format.bits == 8) {
        wide ? MixFormatInto<8, 2>(b, acc, frames, left, right) : MixFormatInto<8, 1>(b, acc, frames, left, right);
    } else {
        wide ? MixFormatInto<16, 2>(b, acc, frames, left, right) : MixFormatInto<16, 1>(b, acc, frames, left, right);
    }
}

void RenderLocked(MixerState& s, int16_t* out, int frames) {
    s.accumulator.assign(static_cast<size_t>(frames) * 2, 0.0f);
    float* acc = s.accumulator.data();
    for (auto& b : s.buffers)
        if (b.present && b.playing) MixBufferInto(b, acc, frames);
    if (s.music && s.musicPlaying) {
        s.scratch.assign(static_cast<size_t>(frames) * 2, 0);
        const int got = std::clamp(s.music->Read(s.scratch.data(), frames), 0, frames);
        for (int i = 0; i < got * 2; ++i) acc[i] += s.scratch[i] / 32768.0f * s.musicGain;
        if (got < frames) s.musicPlaying = false;
    }
    const size_t available = (s.video.size() - s.videoHead) / 2;
    const size_t take = std::min(available, static_cast<size_t>(frames));
    for (size_t i = 0; i < take * 2; ++i) acc[i] += s.video[s.videoHead + i] / 32768.0f * s.videoGain;
    s.videoHead += take * 2;
    if (s.videoHead == s.video.size()) {
        s.video.clear();
        s.videoHead = 0;
    }
    if (out) {
        for (size_t i = 0; i < static_cast<size_t>(frames) * 2; ++i) {
            const float v = std::clamp(acc[i] * 32768.0f, -32768.0f, 32767.0f);
            out[i] = static_cast<int16_t>(std::lrint(v));
        }
    }
}

}  // namespace

float VolumeToGain(int hundredthsDb) {
    if (hundredthsDb <= kSilentVolume) return 0.0f;
    if (hundredthsDb >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

void PanGains(int pan, float& left, float& right) {
    left = right = 1.0f;
    if (pan < 0) right = VolumeToGain(pan);
    if (pan > 0) left = VolumeToGain(-pan);
}

bool CreateBuffer(int index, const PcmFormat& format, const uint8_t* data, size_t size) {
    if (!ValidIndex(index) || !data) return false;
    if ((format.bits != 8 && format.bits != 16) || (format.channels != 1 && format.channels != 2)) return false;
    if (format.rate <= 0 || format.rate > 1000000) return false;
    const int block = format.bits / 8 * format.channels;
    const size_t frames = size / static_cast<size_t>(block);
    if (frames == 0) return false;
    MixBuffer fresh;
    fresh.present = true;
    fresh.format = format;
    fresh.blockAlign = block;
    fresh.frameCount = frames;
    fresh.data.assign(data, data + frames * static_cast<size_t>(block));
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.buffers[index] = std::move(fresh);
    return true;
}

void ReleaseBuffer(int index) {
    if (!ValidIndex(index)) return;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.buffers[index] = MixBuffer();
}

void ReleaseAllBuffers() {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    for (auto& b : s.buffers) b = MixBuffer();
}

int LiveBufferCount() {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    int n = 0;
    for (const auto& b : s.buffers) n += b.present ? 1 : 0;
    return n;
}

bool HasBuffer(int index) {
    if (!ValidIndex(index)) return false;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.buffers[index].present;
}

void PlayBuffer(int index, bool loop) {
    if (!ValidIndex(index)) return;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    MixBuffer& b = s.buffers[index];
    if (!b.present) return;
    b.playing = true;
    b.looping = loop;
}

void StopBuffer(int index) {
    if (!ValidIndex(index)) return;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.buffers[index].playing = false;
}

void SetBufferVolume(int index, int hundredthsDb) {
    if (!ValidIndex(index)) return;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.buffers[index].volume = std::clamp(hundredthsDb, kSilentVolume, 0);
}

int GetBufferVolume(int index) {
    if (!ValidIndex(index)) return 0;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.buffers[index].volume;
}

void SetBufferPan(int index, int pan) {
    if (!ValidIndex(index)) return;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.buffers[index].pan = std::clamp(pan, -10000, 10000);
}

int GetBufferPan(int index) {
    if (!ValidIndex(index)) return 0;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.buffers[index].pan;
}

uint32_t GetBufferStatus(int index) {
    if (!ValidIndex(index)) return 0;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const MixBuffer& b = s.buffers[index];
    if (!b.present || !b.playing) return 0;
    return kStatusPlaying | (b.looping ? kStatusLooping : 0);
}

uint32_t GetBufferPosition(int index) {
    if (!ValidIndex(index)) return 0;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const MixBuffer& b = s.buffers[index];
    if (!b.present) return 0;
    return static_cast<uint32_t>(static_cast<size_t>(b.position) * static_cast<size_t>(b.blockAlign));
}

void SetBufferPosition(int index, uint32_t bytes) {
    if (!ValidIndex(index)) return;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    MixBuffer& b = s.buffers[index];
    if (!b.present) return;
    size_t frame = bytes / static_cast<size_t>(b.blockAlign);
    // A position past the end (an old save of another file) starts over.
    if (frame >= b.frameCount) frame = 0;
    b.position = static_cast<double>(frame);
}

uint32_t GetBufferSize(int index) {
    if (!ValidIndex(index)) return 0;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return static_cast<uint32_t>(s.buffers[index].data.size());
}

void SetMusicSource(std::shared_ptr<AudioSource> source) {
    std::shared_ptr<AudioSource> old;
    auto& s = State();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        old = std::move(s.music);
        s.music = std::move(source);
        s.musicPlaying = false;
    }
    // The old stream is destroyed outside the lock.
    old.reset();
}

bool HasMusicSource() {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.music != nullptr;
}

void SetMusicPlaying(bool playing) {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.musicPlaying = playing && s.music != nullptr;
}

bool MusicPlaying() {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.musicPlaying;
}

void SetMusicGain(float gain) {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.musicGain = std::clamp(gain, 0.0f, 1.0f);
}

float MusicGain() {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.musicGain;
}

void QueueVideoAudio(const int16_t* stereo, size_t frames) {
    if (!stereo || frames == 0) return;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.videoHead > 0 && s.videoHead >= s.video.size() / 2) {
        s.video.erase(s.video.begin(), s.video.begin() + static_cast<std::ptrdiff_t>(s.videoHead));
        s.videoHead = 0;
    }
    s.video.insert(s.video.end(), stereo, stereo + frames * 2);
}

void ClearVideoAudio() {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.video.clear();
    s.videoHead = 0;
}

size_t QueuedVideoAudio() {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return (s.video.size() - s.videoHead) / 2;
}

void SetVideoAudioGain(float gain) {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.videoGain = std::clamp(gain, 0.0f, 1.0f);
}

void RenderMixer(int16_t* out, int frames) {
    if (frames <= 0) return;
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    RenderLocked(s, out, frames);
}

void PumpMixer(uint32_t nowMs) {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.pumpStarted) {
        s.pumpStarted = true;
        s.pumpLastMs = nowMs;
        s.pumpCarry = 0;
        return;
    }
    const uint32_t elapsed = std::min<uint32_t>(nowMs - s.pumpLastMs, 1000);
    s.pumpLastMs = nowMs;
    s.pumpCarry += elapsed * (kOutputRate / 1000.0);
    const int frames = static_cast<int>(s.pumpCarry);
    s.pumpCarry -= frames;
    if (frames > 0) RenderLocked(s, nullptr, frames);
}

void RestartPump() {
    auto& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.pumpStarted = false;
}

void ResetMixer() {
    std::shared_ptr<AudioSource> old;
    auto& s = State();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        for (auto& b : s.buffers) b = MixBuffer();
        old = std::move(s.music);
        s.musicPlaying = false;
        s.musicGain = 1.0f;
        s.video.clear();
        s.videoHead = 0;
        s.videoGain = 1.0f;
        s.pumpStarted = false;
        s.pumpCarry = 0;
    }
}

}  // namespace tarvex::audio
