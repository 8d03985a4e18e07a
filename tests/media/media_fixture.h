// Shared helpers of the media tests: a scratch game folder made current, fixture
// files made by sox, oggenc and ffmpeg, and offline rendering of the mixer. Files and
// packages are written by the world tests' helpers.
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

#include "base/config.h"
#include "media/sound.h"
#include "media/video.h"
#include "platform/audio_mixer.h"
#include "support/test_support.h"
#include "support/world_test_util.h"

namespace tarvex::test {

inline bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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
    // "music/NNN.ogg": a mono 500 Hz tone at half scale, made by sox and oggenc.
    void MakeTrack(int track, double seconds) {
        Sox("src/t.wav", "-r 22050 -b 16 -c 1", "synth " + std::to_string(seconds) + " sine 500 vol 0.5");
        char name[32];
        std::snprintf(name, sizeof name, "music/%03d.ogg", track);
        std::filesystem::create_directories("music");
        ASSERT_TRUE(Shell(std::string("oggenc -Q -o ") + name + " src/t.wav"));
    }
    std::string dir_;
    std::filesystem::path oldDir_;
};

}  // namespace tarvex::test
