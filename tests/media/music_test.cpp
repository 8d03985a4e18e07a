#include "media_fixture.h"
#include "platform/ogg_stream.h"

namespace tarvex::test {
namespace {

using MusicTest = MediaTest;

TEST_F(MusicTest, ATrackIsOpenedOnceStreamedAndLooped) {
    MakeTrack(3, 1.0);
    PlayMusic(3);  // "music/003.ogg"
    PlayMusic(3);
    EXPECT_EQ(std::tuple(MusicOpenCount(), soundTables.currentTrack, audio::MusicPlaying()), std::tuple(1, 3, true));
    const auto out = Render(2.5);
    EXPECT_NEAR(Frequency(out, 0), 500, 5);  // mono track resampled to 44,100 Hz stereo
    EXPECT_NEAR(Rms(out, 1, 44100 * 2, 44100 * 2 + 11025), 0.5 / std::sqrt(2.0), 0.05);  // the third pass

    config.musicVolume = 50;
    SetMusicVolume();
    const auto half = Render(0.2);
    EXPECT_NEAR(Rms(half, 0), 0.25 / std::sqrt(2.0), 0.03);
}

TEST_F(MusicTest, PauseResumeAndTheResumedFlag) {
    MakeTrack(3, 1.0);
    PlayMusic(3);
    PauseMusic();
    EXPECT_EQ(std::tuple(Rms(Render(0.1), 0), soundTables.musicResumed), std::tuple(0.0, 0));
    ResumeMusic();
    EXPECT_EQ(soundTables.musicResumed, 1);
    EXPECT_GT(Rms(Render(0.1), 0), 0.1);
    // The next poll takes the resumed stream whatever track it asks for.
    StopMusic();
    PlayMusic(5);
    EXPECT_EQ(std::tuple(soundTables.musicResumed, soundTables.currentTrack, audio::MusicPlaying(), MusicOpenCount()),
              std::tuple(0, 3, true, 1));
}

TEST_F(MusicTest, AMissingTrackSwitchesMusicOffForTheRunOnly) {
    MakeTrack(3, 0.5);
    PlayMusic(7);
    EXPECT_EQ(std::tuple(MusicOpenCount(), audio::MusicPlaying()), std::tuple(1, false));
    PlayMusic(3);  // the player's setting is not rewritten
    EXPECT_EQ(std::tuple(MusicOpenCount(), config.musicOn), std::tuple(1, 1));

    // With the setting off nothing opens at all.
    ResetSound();
    SetOfflineMixing(true);
    config.musicOn = 0;
    PlayMusic(3);
    EXPECT_EQ(MusicOpenCount(), 0);
}

TEST_F(MusicTest, ANonOggTrackIsRefused) {
    Sox("music/004.ogg", "-r 22050 -b 16 -c 1 -t wav", "synth 0.2 sine 440");
    PlayMusic(4);
    EXPECT_FALSE(audio::HasMusicSource());
    EXPECT_EQ(Rms(Render(0.1), 0), 0.0);
}

// A track cut anywhere is known as cut (its last page is missing, short, or not the
// stream's last). That a cut track plays on, looping, the damaged-files test plays.
TEST_F(MusicTest, ATrackCutAnywhereIsKnownAsCut) {
    MakeTrack(5, 20.0);
    const std::vector<uint8_t> whole = ReadBytes("music/005.ogg");
    ASSERT_GT(whole.size(), 5000u);
    EXPECT_TRUE(audio::OggEndsWhole(whole));
    for (size_t cut : {whole.size() - 1, whole.size() / 2, whole.size() / 3, size_t{5000}}) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(audio::OggEndsWhole(part)) << cut;
    }
    EXPECT_FALSE(audio::OggEndsWhole({}));
}

}  // namespace
}  // namespace tarvex::test
