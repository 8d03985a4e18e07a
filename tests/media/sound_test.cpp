#include "media/animation_sounds.h"
#include "model/actor.h"
#include "platform/clock.h"
#include "scene/scene_description.h"
#include "media_fixture.h"

namespace tarvex::test {
namespace {

using SoundTest = MediaTest;

TEST_F(SoundTest, VolumeSettingsBecomeAttenuations) {
    EXPECT_EQ(EffectsAttenuation(100), 0);
    EXPECT_EQ(EffectsAttenuation(0), -10000);
    EXPECT_EQ(EffectsAttenuation(1), -9900);
    EXPECT_EQ(EffectsAttenuation(-50), -10000);
    EXPECT_EQ(VoiceAttenuation(4), 0);
    EXPECT_EQ(VoiceAttenuation(3), -500);
    EXPECT_EQ(VoiceAttenuation(-100), -10000);

    Sox("sound/a.wav", "-r 22050 -b 16 -c 1", "synth 1 sine 440");
    LoadSound("sound/a.wav", 3);
    LoadSound("sound/a.wav", kVoiceSlot);
    config.soundVolume = 50;
    voiceVolume = 3;
    PlaySlot(3, 0, 0, 1);
    PlaySlot(kVoiceSlot, 0, 0, 0);
    EXPECT_EQ(audio::GetBufferVolume(3), -5000);
    EXPECT_EQ(audio::GetBufferVolume(kVoiceSlot), -500);

    // Muting keeps the volumes to come back to; new settings apply at the restore.
    MuteAllSlots();
    EXPECT_EQ(audio::GetBufferVolume(3), -10000);
    EXPECT_EQ(audio::GetBufferVolume(kVoiceSlot), -10000);
    config.soundVolume = 80;
    ApplyVolumeSettings();
    EXPECT_EQ(audio::GetBufferVolume(3), -10000);
    RestoreSlotVolumes();
    EXPECT_EQ(audio::GetBufferVolume(3), -2000);
    EXPECT_EQ(audio::GetBufferVolume(kVoiceSlot), -500);
}

TEST_F(SoundTest, RestartTurnsAPlayingOneShotIntoALoopWherePlayOnlyRewinds) {
    Sox("sound/a.wav", "-r 44100 -b 16 -c 1", "synth 0.5 sine 440");
    LoadSound("sound/a.wav", 4);
    PlaySlot(4, 0, 0, 0);
    Render(0.2);
    EXPECT_GT(GetSlotPosition(4), 0u);
    PlaySlot(4, 0, 0, 1);
    EXPECT_EQ(GetSlotPosition(4), 0u);
    EXPECT_EQ(audio::GetBufferStatus(4), audio::kStatusPlaying);
    Render(0.6);
    EXPECT_FALSE(IsSlotPlaying(4));  // the one-shot ran out
    EXPECT_EQ(GetSlotPosition(4), 0u);

    PlaySlot(4, 0, 0, 0);
    Render(0.2);
    RestartSlot(4, 0, 0, 1);
    EXPECT_EQ(GetSlotPosition(4), 0u);
    EXPECT_EQ(audio::GetBufferStatus(4), audio::kStatusPlaying | audio::kStatusLooping);
    const auto out = Render(1.3);
    EXPECT_TRUE(IsSlotPlaying(4));
    EXPECT_GT(Rms(out, 0, out.size() / 2 - 4410), 0.3);  // still sounding at the end
    StopAllSlots();
    EXPECT_FALSE(IsSlotPlaying(4));
}

TEST_F(SoundTest, PlayPositionSurvivesASaveAndReload) {
    Sox("sound/a.wav", "-r 44100 -b 16 -c 2", "synth 1 sine 300 sine 700");
    LoadSound("sound/a.wav", 10);
    PlaySlot(10, -300, 2500, 0);
    const auto whole = Render(0.5);

    ResetSound();
    SetOfflineMixing(true);
    InitSound();
    LoadSound("sound/a.wav", 10);
    PlaySlot(10, -300, 2500, 0);
    Render(0.25);
    CaptureSlotPlayback();
    const SoundSlot saved = soundSlots[10];
    EXPECT_EQ(saved.playing, 1);
    EXPECT_EQ(saved.position, uint32_t(11025 * 4));
    ReleaseSlotBuffers();
    EXPECT_FALSE(IsSlotPlaying(10));
    LoadSound(saved.name, 10);
    PlaySlot(10, saved.level, saved.pan, saved.loop);
    SetSlotPosition(10, saved.position);
    const auto rest = Render(0.25);
    // The reloaded slot carries on exactly where it was saved.
    const std::vector<int16_t> secondHalf(whole.begin() + whole.size() / 2, whole.end());
    ASSERT_EQ(rest.size(), secondHalf.size());
    int worst = 0;
    for (size_t i = 0; i < rest.size(); ++i) worst = std::max(worst, std::abs(rest[i] - secondHalf[i]));
    EXPECT_LE(worst, 1);
}

TEST_F(SoundTest, PanAndVolumeFollowTheDecibelLawOnTheOutput) {
    Sox("sound/tone.wav", "-r 44100 -b 16 -c 1", "synth 0.5 sine 1000 vol 0.5");
    LoadSound("sound/tone.wav", 0);
    auto measure = [](int volume, int pan, double& left, double& right) {
        RestartSlot(0, 0, pan, 1);
        audio::SetBufferVolume(0, volume);
        const auto out = Render(0.2);
        left = Rms(out, 0);
        right = Rms(out, 1);
    };
    double l0, r0, l, r;
    measure(0, 0, l0, r0);
    EXPECT_NEAR(l0, 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_NEAR(r0, l0, 1e-4);
    measure(0, -2000, l, r);  // right side 20 dB down
    EXPECT_NEAR(l / l0, 1.0, 0.01);
    EXPECT_NEAR(r / l0, 0.1, 0.005);
    measure(0, 600, l, r);  // left side 6 dB down
    EXPECT_NEAR(l / l0, std::pow(10.0, -0.3), 0.01);
    EXPECT_NEAR(r / l0, 1.0, 0.01);
    measure(-600, -600, l, r);
    EXPECT_NEAR(l / l0, std::pow(10.0, -0.3), 0.01);
    EXPECT_NEAR(r / l0, std::pow(10.0, -0.6), 0.01);
    measure(0, 10000, l, r);
    EXPECT_EQ(l, 0.0);
    measure(-10000, 0, l, r);
    EXPECT_EQ(l + r, 0.0);
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

TEST_F(SoundTest, WithoutADeviceTheClockAdvancesTheMixer) {
    // The dummy driver counts as no device: the loop's idle pass moves the mixer on.
    ResetSound();
    SetFixedFrameRate(10);
    InitSound();
    Sox("sound/line.wav", "-r 22050 -b 16 -c 1", "synth 0.5 sine 440");
    LoadSound("sound/line.wav", kVoiceSlot);
    PlayMusic(0);  // first service pass starts the clock
    PlaySlot(kVoiceSlot, 0, 0, 0);
    int frames = 0;
    while (IsSlotPlaying(kVoiceSlot) && frames < 100) {
        AdvanceVirtualClock();
        PlayMusic(0);
        ++frames;
    }
    EXPECT_EQ(frames, 5);  // half a second at ten frames a second
}

TEST_F(SoundTest, MixToolWritesTheRenderedSound) {
    Sox("tone.wav", "-r 22050 -b 16 -c 1", "synth 0.5 sine 1000 vol 0.5");
    const std::string tool = std::string(TARVEX_BINARY_DIR) + "/tarvex-tool";
    ASSERT_TRUE(Shell(tool + " mix --out out/mix.wav --seconds 1 --play 3:tone.wav:-600:-10000:1 > mix.json"));
    const auto json = ReadBytes("mix.json");
    const std::string text(json.begin(), json.end());
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
    EXPECT_FALSE(Shell(tool + " mix --out x.wav --seconds 1 --play 64:tone.wav:0:0:0 > /dev/null"));
    EXPECT_FALSE(Shell(tool + " mix --out x.wav --seconds 1 --play 1:missing.wav:0:0:0 > /dev/null"));
}

TEST_F(SoundTest, AnimationSoundsFireOnTheirFramesWithLevelPanAndVariants) {
    int level = 0, pan = 0;
    // Left-handed, y up: looking along +z, +x is on the right.
    const Vec3 eye{0, 0, 0}, target{0, 0, 100};
    AnimationSoundLevelPan({100, 0, 100}, eye, target, level, pan);
    EXPECT_EQ(level, 3152);  // trunc(-6 * 141.42) + 4000
    EXPECT_EQ(pan, 2928);    // trunc((1 - cos 45) * 100 * 100)
    AnimationSoundLevelPan({-100, 0, 100}, eye, target, level, pan);
    EXPECT_EQ(pan, -2928);
    AnimationSoundLevelPan({0, 0, 500}, eye, target, level, pan);
    EXPECT_EQ(level, 1000);
    EXPECT_EQ(pan, 0);
    AnimationSoundLevelPan({100, 0, 100}, eye, Vec3{0, 100, 0}, level, pan);  // looking straight up
    EXPECT_EQ(pan, 0);

    Sox("sound/step.wav", "-r 22050 -b 16 -c 1", "synth 0.3 sine 440");
    for (int s : {45, 46, 47, 48}) LoadSound("sound/step.wav", s);
    ResetActors();
    sceneCamera.eye = eye;
    sceneCamera.target = target;
    auto place = [](int a, bool visible) {
        actors[a].inUse = 1;
        actors[a].visible = visible;
        actors[a].position = {100, 0, 100};
        actors[a].frameNow = 278;
        actors[a].frameNext = 280;
    };
    place(2, true);
    place(3, false);  // hidden actors are silent
    actorSoundMarks[3][0] = {279, 47};
    actorSoundMarks[2][0] = {279, 45};
    actorSoundMarks[2][1] = {279, 47};  // an alternative: skipped once mark 0 fired
    actorSoundMarks[2][5] = {280, 47};  // not before frameNext
    actorSoundMarks[2][6] = {278.5f, 47};  // not a whole frame
    PlayAnimationSounds();
    // Toggle 0 plays the slot + 1 variant.
    EXPECT_TRUE(IsSlotPlaying(46));
    EXPECT_FALSE(IsSlotPlaying(45) || IsSlotPlaying(47) || IsSlotPlaying(48));
    EXPECT_EQ(soundSlots[46].level, 3152);
    EXPECT_EQ(soundSlots[46].pan, 2928);
    EXPECT_EQ(soundSlots[46].loop, 0);
    EXPECT_EQ(audio::GetBufferPan(46), 2928);

    // The toggle flips after every second sound.
    PlayAnimationSounds();
    EXPECT_EQ(footstepToggle, 1);
    StopAllSlots();
    PlayAnimationSounds();
    EXPECT_TRUE(IsSlotPlaying(45));
    EXPECT_FALSE(IsSlotPlaying(46));

    ResetSceneSounds();
    EXPECT_EQ(footstepToggle, 0);
    StopAllSlots();
    PlayAnimationSounds();
    EXPECT_FALSE(IsSlotPlaying(46));  // marks cleared with the scene
    ResetActors();
}

}  // namespace
}  // namespace tarvex::test
