#include "media/video.h"

namespace tarvex {

int skipVideo = 0;
int videoState = 0;
int keepMusic = 0;

// Entry points of the video player, to be filled by the video work.
void StartVideo(const char*) {}
void VideoFrame() {}
void StopVideo() {}

}  // namespace tarvex
