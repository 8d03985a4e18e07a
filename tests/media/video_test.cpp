#include "base/globals.h"
#include "media_fixture.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/png_io.h"
#include "resources/game_file.h"

namespace tarvex::test {
namespace {

class VideoTest : public MediaTest {
protected:
    // 640 x 480: left half red, right half blue, with a tone; `seconds` long at 25 fps.
    void MakeVideo(const std::string& path, double seconds) {
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent);
        const std::string t = std::to_string(seconds);
        ASSERT_TRUE(Shell("ffmpeg -loglevel error -y -f lavfi -i color=c=red:s=320x480:r=25:d=" + t +
                          " -f lavfi -i color=c=blue:s=320x480:r=25:d=" + t + " -f lavfi -i sine=frequency=440:d=" + t +
                          " -filter_complex '[0][1]hstack' -c:v mpeg4 -q:v 2 -c:a pcm_s16le -shortest " + path));
    }
    // Music and a looping ambient sound, as a scene has them when its video starts.
    void StartMusic() {
        MakeTrack(3, 1.0);
        PlayMusic(3);
        Sox("sound/a.wav", "-r 22050 -b 16 -c 1", "synth 1 sine 440");
        LoadSound("sound/a.wav", kAmbientSlot);
        RestartSlot(kAmbientSlot, 0, 0, 1);
    }
    void Start(const char* path) {
        videoPlayback.videoState = 1;
        StartVideo(path);
    }
    // Frames of the loop until the video ends (at most `limit`).
    int PlayThrough(int limit) {
        int frames = 0;
        for (; loop.playMode == 2 && frames < limit; ++frames) {
            VideoFrame();
            AdvanceVirtualClock();
        }
        return frames;
    }
    // Video mode, the video state, music playing and the ambient slot's volume.
    static auto SoundAndModes() {
        return std::tuple(loop.playMode, videoPlayback.videoState, audio::MusicPlaying(), audio::GetBufferVolume(kAmbientSlot));
    }
};

TEST_F(VideoTest, SkippingOnTheFirstFrameEndsItAndBringsTheSoundBack) {
    StartMusic();
    MakeVideo("video/clip.avi", 1.0);
    Start("video/clip.avi");
    EXPECT_EQ(SoundAndModes(), std::tuple(2, 1, false, -10000));
    videoPlayback.skipVideo = 1;
    VideoFrame();
    EXPECT_EQ(VideoFramesShown(), 1);
    EXPECT_EQ(std::tuple(SoundAndModes(), soundTables.musicResumed), std::tuple(std::tuple(0, 0, true, 0), 1));
    // A new start clears the skip.
    StartVideo("video/clip.avi");
    EXPECT_EQ(videoPlayback.skipVideo, 0);
    StopVideo();
}

TEST_F(VideoTest, KeptMusicPlaysOnAndTheFlagClearsAtTheEnd) {
    StartMusic();
    MakeVideo("video/clip.avi", 0.2);
    videoPlayback.keepMusic = 1;
    Start("video/clip.avi");
    VideoFrame();
    EXPECT_EQ(SoundAndModes(), std::tuple(2, 1, true, 0));
    SetFixedFrameRate(25);
    PlayThrough(100);
    EXPECT_EQ(std::tuple(loop.playMode, videoPlayback.keepMusic), std::tuple(0, 0));
}

// A language pack's copy of a video (its captions translated) plays instead of the game's.
TEST_F(VideoTest, ALanguagePacksOwnCopyPlaysInstead) {
    MakeVideo("video/clip.avi", 1.0);
    MakeVideo("lang/xx/pictures/video/clip.avi", 0.2);
    SetFixedFrameRate(25);
    SetPictureFolder("lang/xx/pictures/");
    Start("video/clip.avi");
    const int packs = PlayThrough(100);
    SetPictureFolder("");
    Start("video/clip.avi");
    const int games = PlayThrough(100);
    EXPECT_LE(packs, 8);
    EXPECT_GE(games, 24);
}

TEST_F(VideoTest, FailuresLeaveVideoModeAndTheSoundAlone) {
    StartMusic();
    MakeVideo("video/clip.avi", 0.2);
    WriteFile("video/garbage.bik", std::vector<uint8_t>(5000, 0x42));
    // A missing file, one FFmpeg cannot read, videos switched off: nothing starts, nothing
    // is waited for, the sound is back at once.
    for (auto [path, videosOn] : {std::pair{"video/missing.bik", 1}, {"video/garbage.bik", 1}, {"video/clip.avi", 0}}) {
        config.videosOn = videosOn;
        Start(path);
        EXPECT_EQ(SoundAndModes(), std::tuple(0, 0, true, 0)) << path;
    }
}

TEST_F(VideoTest, VideoToolReportsAndWritesFrames) {
    MakeVideo("clip.avi", 0.4);
    int status = -1;
    const std::string text = ToolOutput("video clip.avi --frames 2 --png-dir frames", status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(text.find("\"width\":640,\"height\":480,\"frameCount\":10,\"fps\":25"), std::string::npos) << text;
    EXPECT_EQ(std::pair(std::filesystem::exists("frames/frame001.png"), std::filesystem::exists("frames/frame002.png")),
              std::pair(true, false));
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(ReadPngRgb("frames/frame000.png", w, h, rgb));
    EXPECT_EQ(w, 640);
    EXPECT_GT(rgb[0], 200);              // red on the left
    EXPECT_GT(rgb[(639) * 3 + 2], 200);  // blue on the right
    // A raw stream states no count: it is counted by decoding.
    ASSERT_TRUE(Shell("ffmpeg -loglevel error -y -i clip.avi -an -c:v mpeg4 -f m4v clip.m4v"));
    EXPECT_NE(ToolOutput("video clip.m4v", status).find("\"frameCount\":10"), std::string::npos);
    ToolOutput("video missing.avi", status);
    EXPECT_NE(status, 0);
}

}  // namespace
}  // namespace tarvex::test
