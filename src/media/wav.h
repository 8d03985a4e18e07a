// The game's WAV rule: a fixed 44-byte header (tag "RIFF" at 0, channels at 22,
// rate at 24, bits at 34, data size at 40) with the samples from byte 44. Other
// chunk layouts are read at the same offsets, as the game's own files expect.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvex {

constexpr size_t kWavHeaderSize = 44;
// 64 MiB of samples: six minutes of 16-bit stereo at 44,100 Hz, far longer than any effect,
// voice or ambient loop. Larger claims are refused rather than trusted.
constexpr uint32_t kMaxWavDataSize = 64u * 1024u * 1024u;

struct WavInfo {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    size_t dataOffset = kWavHeaderSize;
    size_t dataSize = 0;  // whole sample frames only, never past the end of the file
};

// False for anything the mixer cannot play: no "RIFF", a format other than integer
// PCM (tag 1), bits other than 8 or 16, channels other than 1 or 2, a rate out of
// 100..200,000 Hz, a size claim above kMaxWavDataSize, or no whole sample frame; `why`
// then says which. A data size running past the end of the file is cut to the file.
bool ParseWav(const uint8_t* bytes, size_t size, WavInfo& info, std::string* why = nullptr);
// The same rule on the header alone (`header` holds the file's first bytes, at most
// kWavHeaderSize of them) for a file of `fileSize` bytes: what to read is known before
// any sample is.
bool ParseWavHeader(const uint8_t* header, size_t headerSize, uint64_t fileSize, WavInfo& info,
                    std::string* why = nullptr);

}  // namespace tarvex
