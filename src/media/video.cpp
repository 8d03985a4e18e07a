#include "media/video.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/config.h"
#include "base/globals.h"
#include "media/sound.h"
#include "platform/audio_mixer.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/video_decoder.h"
#include "resources/game_file.h"

namespace tarvex {

VideoTables videoPlayback;

namespace {

VideoDecoder* decoder = nullptr;
bool clockStarted = false;
uint32_t startMs = 0;
double currentTime = 0;    // presentation time of the picture on show
double frameDuration = 0.04;
bool streamEnded = false;
bool pictureConverted = false;
int64_t framesShown = 0;
std::vector<uint8_t> picture;  // the picture on show, 800 x 600 RGBA
std::vector<int16_t> audioScratch;

bool CutName(const char* path, std::string& name) {
    if (!path) return false;
    const char* dot = std::strchr(path, '.');
    if (!dot) return false;
    size_t length = static_cast<size_t>(dot - path);
    for (int i = 0; i < 4 && path[length] != '\0'; ++i) ++length;
    if (length >= sizeof videoPlayback.videoName) return false;
    name.assign(path, length);
    return true;
}

std::string LoosePath(const std::string& name) {
    std::string p = name;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

bool VideoFileExists(const std::string& name) {
    std::error_code ec;
    return std::filesystem::is_regular_file(LoosePath(name), ec) || LocateGameFile(name) != GameFileSource::Missing;
}

// A video held in memory while it plays is at most 256 MiB: minutes of full-screen video
// at a high data rate. A larger entry is refused from its size before it is read.
constexpr uint64_t kMaxVideoInMemory = 256u << 20;

// A loose file is handed to FFmpeg by name; anything else (another letter case, a
// package entry) as bytes in memory.
VideoDecoder* OpenVideo(const std::string& name) {
    std::error_code ec;
    const std::string loose = LoosePath(name);
    if (std::filesystem::is_regular_file(loose, ec)) {
        if (VideoDecoder* d = OpenVideoFile(loose)) return d;
    }
    std::vector<uint8_t> bytes;
    if (ReadWholeGameFile(name, bytes, kMaxVideoInMemory) != GameFileRead::Read) return nullptr;
    return OpenVideoMemory(std::move(bytes), name);
}

// The video's sound joins the mixer; without the sound system it is dropped, and
// a mixer that nobody drains is never fed more than a few seconds ahead.
void PassAudio() {
    audioScratch.clear();
    TakeVideoAudio(decoder, audioScratch);
    if (audioScratch.empty() || !soundTables.soundOn) return;
    if (audio::QueuedVideoAudio() > 5u * audio::kOutputRate) return;
    audio::QueueVideoAudio(audioScratch.data(), audioScratch.size() / 2);
}

// What went wrong with the file, said once when the video ends or fails.
void ReportDamage() {
    if (!decoder) {
        std::fprintf(stderr, "tarvex: %s cannot be played as a video: skipped\n", videoPlayback.videoName);
        return;
    }
    const int damaged = VideoDamagedPackets(decoder);
    if (damaged > 0)
        std::fprintf(stderr, "tarvex: %s is damaged: %d packet%s could not be decoded and %s skipped\n", videoPlayback.videoName,
                     damaged, damaged == 1 ? "" : "s", damaged == 1 ? "was" : "were");
}

void EndVideo() {
    ReportDamage();
    CloseVideo(decoder);
    audio::ClearVideoAudio();
    picture.clear();
    videoPlayback.videoState = 0;
    loop.playMode = 0;
    ResumeMusic();
    RestoreSlotVolumes();
    videoPlayback.keepMusic = 0;
}

void Fail() {
    ReportDamage();
    CloseVideo(decoder);
    ResumeMusic();
    RestoreSlotVolumes();
    videoPlayback.keepMusic = 0;
    videoPlayback.videoState = 0;
    loop.playMode = 0;
}

}  // namespace

void StartVideo(const char* path) {
    std::string name;
    // A name without an extension or a missing file starts nothing; nothing is
    // wanted any more either, or whoever asked would wait for it for ever.
    if (!CutName(path, name)) {
        videoPlayback.videoState = 0;
        return;
    }
    if (!VideoFileExists(name)) {
        std::fprintf(stderr, "tarvex: %s is missing: no video\n", name.c_str());
        videoPlayback.videoState = 0;
        return;
    }
    // Videos switched off in the settings.
    if (config.videosOn == 0) {
        videoPlayback.videoState = 0;
        return;
    }
    // The music and the effects wait while the video plays.
    videoPlayback.skipVideo = 0;
    if (!videoPlayback.keepMusic) {
        PauseMusic();
        MuteAllSlots();
    }
    // A video already open gives way to the new one.
    if (decoder) CloseVideo(decoder);
    audio::ClearVideoAudio();
    std::memset(videoPlayback.videoName, 0, sizeof videoPlayback.videoName);
    std::memcpy(videoPlayback.videoName, name.data(), name.size());
    loop.playMode = 2;
    // A language pack may have its own copy (captions in the picture).
    decoder = OpenVideo(PicturePath(name));
    double first = 0;
    if (!decoder || !DecodeNextFrame(decoder, first)) {
        Fail();
        return;
    }
    currentTime = first;
    frameDuration = 1.0 / VideoFrameRate(decoder);
    streamEnded = false;
    pictureConverted = false;
    framesShown = 0;
    clockStarted = false;
    PassAudio();
}

void VideoFrame() {
    loop.presentEnabled = 1;
    if (!decoder) {
        // Nothing open (switched off or already ended): leave video mode.
        if (loop.playMode == 2) {
            videoPlayback.videoState = 0;
            loop.playMode = 0;
        }
        return;
    }
    if (config.videosOn == 0) {
        EndVideo();
        return;
    }
    PumpSound();
    // Every frame, so that the loop's music poll cannot bring the music back.
    if (!videoPlayback.keepMusic) PauseMusic();
    // The clock starts with the first picture shown: start-up work between the
    // start and the first frame does not eat the video's first pictures.
    const uint32_t now = GetMilliseconds();
    if (!clockStarted) {
        clockStarted = true;
        startMs = now;
    }
    const double elapsed = (now - startMs) / 1000.0;
    // Late pictures are decoded and dropped so that the sound stays in step.
    while (!streamEnded && elapsed >= currentTime + frameDuration - 1e-6) {
        double t = 0;
        if (!DecodeNextFrame(decoder, t)) {
            streamEnded = true;
            break;
        }
        // A picture that claims an earlier time than the one on show follows it.
        currentTime = t > currentTime ? t : currentTime + frameDuration;
        pictureConverted = false;
    }
    PassAudio();
    if (DisplayReady()) {
        if (!pictureConverted) pictureConverted = ConvertFrame(decoder, kScreenWidth, kScreenHeight, picture);
        if (pictureConverted) DrawRgbaImage(0, 0, kScreenWidth, kScreenHeight, picture.data());
    }
    ++framesShown;
    const bool lastShown = streamEnded && elapsed >= currentTime + frameDuration - 1e-6;
    if (videoPlayback.skipVideo || lastShown) EndVideo();
}

void StopVideo() {
    if (decoder) EndVideo();
}

bool VideoPlaying() { return decoder != nullptr; }

int64_t VideoFramesShown() { return framesShown; }

void ResetVideo() {
    CloseVideo(decoder);
    audio::ClearVideoAudio();
    picture.clear();
    videoPlayback.skipVideo = 0;
    videoPlayback.videoState = 0;
    videoPlayback.keepMusic = 0;
    framesShown = 0;
    std::memset(videoPlayback.videoName, 0, sizeof videoPlayback.videoName);
}

}  // namespace tarvex
