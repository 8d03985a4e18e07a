#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/output.h"

namespace tarvex::demo {

using namespace tarvex::formats;

// Canonical 44-byte-header WAV of 16-bit PCM.
Bytes EncodeWav(const std::vector<int16_t>& samples, int channels, int rate);
// Effects, voices for every line, music tracks and the two videos.
bool BuildSounds(Output& out);
// The sounds of the interface (verbs, toolbar, menu) and of the hero's steps and turns.
void BuildInterfaceSounds(Output& out);
// Vorbis in Ogg through FFmpeg's libvorbis encoder; bit-exact flags keep the stream
// serial and the comment fixed. Empty on failure.
Bytes EncodeOggVorbis(const std::vector<int16_t>& stereo, int rate);
// The closing credits: cards of 3.5 seconds at 15 frames a second.
constexpr int kCreditsCards = 4, kCreditsCardFrames = 52;
// A short clip (MPEG-4 Part 2 video with PCM sound in AVI), under the game's ".bik" names:
// kind 0 the intro, kind 1 the credits, kind 2 the credits in English.
Bytes EncodeVideo(int width, int height, int frames, int fps, int kind);

}  // namespace tarvex::demo
