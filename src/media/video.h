// Full-screen video playback over the back buffer: any file FFmpeg reads, stretched
// to 800 x 600, timed by the millisecond clock, its sound through the mixer.
#pragma once
#include <cstdint>

namespace tarvex {

struct VideoTables {
    int skipVideo = 0;   // set by the window procedure; cleared at each start
    int videoState = 0;  // 1 while a started video is wanted; 0 when it ended or failed
    int keepMusic = 0;   // set before a start: music and effects go on under the video
    char videoName[128] = {};
};
extern VideoTables videoPlayback;

void StartVideo(const char* path);
void VideoFrame();
void StopVideo();
// Whether a video is open (tests and the menu).
bool VideoPlaying();
// Frames shown so far by the running or last video.
int64_t VideoFramesShown();
// Everything back to idle (tests).
void ResetVideo();

}  // namespace tarvex
