#include "media/animation_sounds.h"
#include "model/actor.h"
#include "scene/scene_description.h"
#include "media_fixture.h"

namespace tarvex::test {
namespace {

using SoundTest = MediaTest;

TEST_F(SoundTest, VolumeSettingsBecomeAttenuations) {
    for (auto [setting, effects] : {std::pair{100, 0}, {1, -9900}, {0, -10000}, {-50, -10000}})
        EXPECT_EQ(EffectsAttenuation(setting), effects) << setting;
    for (auto [setting, voice] : {std::pair{4, 0}, {3, -500}, {-100, -10000}})
        EXPECT_EQ(VoiceAttenuation(setting), voice) << setting;

    Sox("sound/a.wav", "-r 22050 -b 16 -c 1", "synth 1 sine 440");
    LoadSound("sound/a.wav", 3);
    LoadSound("sound/a.wav", kVoiceSlot);
    config.soundVolume = 50;
    soundTables.voiceVolume = 3;
    PlaySlot(3, 0, 0, 1);
    PlaySlot(kVoiceSlot, 0, 0, 0);
    auto volumes = [] { return std::tuple(audio::GetBufferVolume(3), audio::GetBufferVolume(kVoiceSlot)); };
    EXPECT_EQ(volumes(), std::tuple(-5000, -500));

    // Muting keeps the volumes to come back to; new settings apply at the restore.
    MuteAllSlots();
    EXPECT_EQ(volumes(), std::tuple(-10000, -10000));
    config.soundVolume = 80;
    ApplyVolumeSettings();
    EXPECT_EQ(volumes(), std::tuple(-10000, -10000));
    RestoreSlotVolumes();
    EXPECT_EQ(volumes(), std::tuple(-2000, -500));
}

TEST_F(SoundTest, RestartTurnsAPlayingOneShotIntoALoopWherePlayOnlyRewinds) {
    Sox("sound/a.wav", "-r 44100 -b 16 -c 1", "synth 0.5 sine 440");
    LoadSound("sound/a.wav", 4);
    PlaySlot(4, 0, 0, 0);
    Render(0.2);
    EXPECT_GT(GetSlotPosition(4), 0u);
    PlaySlot(4, 0, 0, 1);
    EXPECT_EQ(std::tuple(GetSlotPosition(4), audio::GetBufferStatus(4)), std::tuple(0u, audio::kStatusPlaying));
    Render(0.6);
    EXPECT_EQ(std::tuple(IsSlotPlaying(4), GetSlotPosition(4)), std::tuple(false, 0u));  // the one-shot ran out

    PlaySlot(4, 0, 0, 0);
    Render(0.2);
    RestartSlot(4, 0, 0, 1);
    EXPECT_EQ(std::tuple(GetSlotPosition(4), audio::GetBufferStatus(4)),
              std::tuple(0u, audio::kStatusPlaying | audio::kStatusLooping));
    const auto out = Render(1.3);
    EXPECT_TRUE(IsSlotPlaying(4));
    EXPECT_GT(Rms(out, 0, out.size() / 2 - 4410), 0.3);  // still sounding at the end
    StopAllSlots();
    EXPECT_FALSE(IsSlotPlaying(4));
}

TEST_F(SoundTest, PanAndVolumeFollowTheDecibelLawOnTheOutput) {
    Sox("sound/tone.wav", "-r 44100 -b 16 -c 1", "synth 0.5 sine 1000 vol 0.5");
    LoadSound("sound/tone.wav", 0);
    auto measure = [](int volume, int pan) {
        RestartSlot(0, 0, pan, 1);
        audio::SetBufferVolume(0, volume);
        const auto out = Render(0.2);
        return std::pair(Rms(out, 0), Rms(out, 1));
    };
    const auto [l0, r0] = measure(0, 0);
    EXPECT_NEAR(l0, 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_NEAR(r0, l0, 1e-4);
    // Pan -2000 takes the right side 20 dB down, 600 the left 6 dB; the ends are silent.
    const double db6 = std::pow(10.0, -0.3);
    const double cases[][4] = {{0, -2000, 1, 0.1}, {0, 600, db6, 1}, {-600, -600, db6, db6 * db6}, {0, 10000, 0, 1},
                               {-10000, 0, 0, 0}};
    for (const auto& c : cases) {
        const auto [l, r] = measure(static_cast<int>(c[0]), static_cast<int>(c[1]));
        EXPECT_NEAR(l / l0, c[2], c[2] ? 0.01 : 0) << "volume " << c[0] << ", pan " << c[1];
        EXPECT_NEAR(r / l0, c[3], c[3] ? 0.01 : 0) << "volume " << c[0] << ", pan " << c[1];
    }
}

TEST_F(SoundTest, OtherRatesAndStereoAreResampledInPlace) {
    Sox("sound/low.wav", "-r 22050 -b 8 -c 1", "synth 0.5 sine 1000 vol 0.5");
    Sox("sound/st.wav", "-r 11025 -b 16 -c 2", "synth 1 sine 300 sine 700");
    LoadSound("sound/low.wav", 1);
    PlaySlot(1, 0, 0, 0);
    auto out = Render(0.4);
    EXPECT_NEAR(Frequency(out, 0), 1000, 10);
    EXPECT_NEAR(Rms(out, 0), 0.5 / std::sqrt(2.0), 0.02);
    Render(0.095);
    EXPECT_TRUE(IsSlotPlaying(1));
    Render(0.01);  // 0.5 s of 22,050 Hz samples last 22,050 output frames
    EXPECT_FALSE(IsSlotPlaying(1));

    LoadSound("sound/st.wav", 2);
    PlaySlot(2, 0, 0, 0);
    out = Render(0.5);
    EXPECT_NEAR(Frequency(out, 0), 300, 6);
    EXPECT_NEAR(Frequency(out, 1), 700, 6);
    EXPECT_EQ(GetSlotPosition(2), uint32_t(11025 / 2 * 4));
}

TEST_F(SoundTest, MixToolWritesTheRenderedSound) {
    Sox("tone.wav", "-r 22050 -b 16 -c 1", "synth 0.5 sine 1000 vol 0.5");
    int status = -1;
    const std::string text = ToolOutput("mix --out out/mix.wav --seconds 1 --play 3:tone.wav:-600:-10000:1", status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(text.find("\"frames\":44100"), std::string::npos) << text;
    const auto wav = ReadBytes("out/mix.wav");
    ASSERT_EQ(wav.size(), 44u + 44100 * 4);
    std::vector<int16_t> samples(44100 * 2);
    std::memcpy(samples.data(), wav.data() + 44, samples.size() * 2);
    EXPECT_NEAR(Rms(samples, 0), 0.5 / std::sqrt(2.0) * std::pow(10.0, -0.3), 0.01);  // looped for the whole second
    EXPECT_EQ(Rms(samples, 1), 0.0);
    int peak = 0;
    for (int16_t s : samples) peak = std::max(peak, std::abs(int(s)));
    EXPECT_NE(text.find("\"peak\":" + std::to_string(peak)), std::string::npos) << text;
    for (const char* play : {"64:tone.wav:0:0:0", "1:missing.wav:0:0:0"}) {
        ToolOutput(std::string("mix --out x.wav --seconds 1 --play ") + play, status);
        EXPECT_NE(status, 0) << play;
    }
}

}  // namespace
}  // namespace tarvex::test
