// Streamed OGG Vorbis music through libvorbisfile, read from memory, converted to
// the mixer's 44,100 Hz stereo and, when asked, looping without end.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio_mixer.h"

namespace tarvex::audio {

struct OggInfo {
    int channels = 0;
    long rate = 0;
    double seconds = 0;  // -1 when unknown
    bool cutShort = false;  // the file ends inside a page or without the stream's last page
};

// True when the bytes end with a whole Ogg page that closes its stream.
bool OggEndsWhole(const std::vector<uint8_t>& bytes);

// nullptr when the bytes are not an OGG Vorbis stream.
std::shared_ptr<AudioSource> OpenOggStream(std::vector<uint8_t> bytes, bool loop, OggInfo* info = nullptr);

}  // namespace tarvex::audio
