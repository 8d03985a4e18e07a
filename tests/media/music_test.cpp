#include "media_fixture.h"
#include "platform/ogg_stream.h"

namespace tarvex::test {
namespace {

class MusicTest : public MediaTest {
protected:
    void MakeTrack(int track, double seconds) {
        Sox("src/t.wav", "-r 22050 -b 16 -c 1", "synth " + std::to_string(seconds) + " sine 500 vol 0.5");
        char name[32];
        std::snprintf(name, sizeof name, "music/%03d.ogg", track);
        std::filesystem::create_directories("music");
        ASSERT_TRUE(Shell(std::string("oggenc -Q -o ") + name + " src/t.wav"));
    }
};

TEST_F(MusicTest, TrackNames) {
    EXPECT_EQ(MusicTrackPath(3), "music/003.ogg");
    EXPECT_EQ(MusicTrackPath(160), "music/160.ogg");
}

TEST_F(MusicTest, ATrackIsOpenedOnceStreamedAndLooped) {
    MakeTrack(3, 1.0);
    PlayMusic(3);
    PlayMusic(3);
    EXPECT_EQ(MusicOpenCount(), 1);
    EXPECT_EQ(currentTrack, 3);
    EXPECT_TRUE(audio::MusicPlaying());
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
    EXPECT_EQ(Rms(Render(0.1), 0), 0.0);
    EXPECT_EQ(musicResumed, 0);
    ResumeMusic();
    EXPECT_EQ(musicResumed, 1);
    EXPECT_GT(Rms(Render(0.1), 0), 0.1);
    // The next poll takes the resumed stream whatever track it asks for.
    StopMusic();
    PlayMusic(5);
    EXPECT_EQ(musicResumed, 0);
    EXPECT_EQ(currentTrack, 3);
    EXPECT_TRUE(audio::MusicPlaying());
    EXPECT_EQ(MusicOpenCount(), 1);
}

TEST_F(MusicTest, AMissingTrackSwitchesMusicOffForTheRunOnly) {
    MakeTrack(3, 0.5);
    PlayMusic(7);
    EXPECT_EQ(MusicOpenCount(), 1);
    EXPECT_FALSE(audio::MusicPlaying());
    PlayMusic(3);
    EXPECT_EQ(MusicOpenCount(), 1);
    EXPECT_EQ(config.musicOn, 1);  // the player's setting is not rewritten

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
// stream's last); it still opens and plays what is there, looping.
TEST_F(MusicTest, ATrackCutShortIsKnownAndPlaysWhatItHas) {
    MakeTrack(5, 20.0);
    const std::vector<uint8_t> whole = ReadBytes("music/005.ogg");
    ASSERT_GT(whole.size(), 5000u);
    EXPECT_TRUE(audio::OggEndsWhole(whole));
    for (size_t cut : {whole.size() - 1, whole.size() / 2, whole.size() / 3, size_t{5000}}) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(audio::OggEndsWhole(part)) << cut;
    }
    EXPECT_FALSE(audio::OggEndsWhole({}));
    std::vector<uint8_t> half(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    audio::OggInfo info;
    auto stream = audio::OpenOggStream(half, true, &info);
    ASSERT_TRUE(stream);
    EXPECT_TRUE(info.cutShort);
    std::vector<int16_t> out(44100 * 2 * 3);
    EXPECT_EQ(stream->Read(out.data(), 44100 * 3), 44100 * 3);  // what is left plays on
}

}  // namespace
}  // namespace tarvex::test
