// Video playback over the back buffer.
#pragma once
#include <cstdint>

namespace tarvex {

extern int skipVideo;
extern int videoState;
extern int keepMusic;

void StartVideo(const char* path);
void VideoFrame();
void StopVideo();

}  // namespace tarvex
