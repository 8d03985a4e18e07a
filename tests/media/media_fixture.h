// Shared helpers of the media tests: a scratch game folder made current, fixture
// files made by sox, oggenc and ffmpeg, and offline rendering of the mixer.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "media/sound.h"
#include "media/video.h"
#include "platform/audio_mixer.h"
#include "shell/config.h"
#include "support/test_support.h"

namespace tarvex::test {

inline bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    const auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Renders `seconds` of the mixer: interleaved stereo samples.
inline std::vector<int16_t> Render(double seconds) {
    const int frames = static_cast<int>(std::lround(seconds * audio::kOutputRate));
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    audio::RenderMixer(out.data(), frames);
    return out;
}

inline double Rms(const std::vector<int16_t>& s, int channel, size_t firstFrame = 0, size_t lastFrame = SIZE_MAX) {
    double sum = 0;
    size_t n = 0;
    for (size_t f = firstFrame; f < s.size() / 2 && f < lastFrame; ++f, ++n) sum += double(s[2 * f + channel]) * s[2 * f + channel];
    return n ? std::sqrt(sum / n) / 32768.0 : 0;
}

// Upward zero crossings a second.
inline double Frequency(const std::vector<int16_t>& s, int channel) {
    int crossings = 0;
    for (size_t f = 1; f < s.size() / 2; ++f)
        if (s[2 * (f - 1) + channel] < 0 && s[2 * f + channel] >= 0) ++crossings;
    return crossings * double(audio::kOutputRate) / (s.size() / 2);
}

// A u32-count package with 136-byte entries: the resource format, written here
// independently of its reader.
inline void WritePackage(const std::string& path, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files) {
    std::vector<uint8_t> out;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    };
    u32(uint32_t(files.size()));
    uint32_t offset = 4 + 136 * uint32_t(files.size());
    for (const auto& [name, bytes] : files) {
        std::vector<uint8_t> field(128, 0);
        std::copy(name.begin(), name.end(), field.begin());
        out.insert(out.end(), field.begin(), field.end());
        u32(offset);
        u32(uint32_t(bytes.size()));
        offset += uint32_t(bytes.size());
    }
    for (const auto& f : files) out.insert(out.end(), f.second.begin(), f.second.end());
    WriteBytes(path, out);
}

// Each test runs in a fresh game folder with the sound system reset for offline mixing.
class MediaTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngine();
        ResetSound();
        ResetVideo();
        oldDir_ = std::filesystem::current_path();
        dir_ = TempDir(std::string("media-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::current_path(dir_);
        SetOfflineMixing(true);
        config.soundOn = 1;
        config.musicOn = 1;
        config.soundVolume = 100;
        config.musicVolume = 100;
        InitSound();
    }
    void TearDown() override {
        ResetVideo();
        ResetSound();
        std::filesystem::current_path(oldDir_);
    }
    // A sox-made file in the game folder; `synth` is sox's effect chain.
    void Sox(const std::string& path, const std::string& format, const std::string& synth) {
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent);
        ASSERT_TRUE(Shell("sox -n " + format + " " + path + " " + synth)) << path;
    }
    std::string dir_;
    std::filesystem::path oldDir_;
};

}  // namespace tarvex::test
