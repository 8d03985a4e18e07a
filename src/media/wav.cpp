#include "media/wav.h"

#include <cstring>

namespace tarvex {

namespace {

uint32_t ReadU16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8); }
uint32_t ReadU32(const uint8_t* p) { return ReadU16(p) | (ReadU16(p + 2) << 16); }

}  // namespace

bool ParseWav(const uint8_t* bytes, size_t size, WavInfo& info) {
    if (!bytes || size < kWavHeaderSize) return false;
    if (std::memcmp(bytes, "RIFF", 4) != 0) return false;
    const uint32_t channels = ReadU16(bytes + 22);
    const uint32_t rate = ReadU32(bytes + 24);
    const uint32_t bits = ReadU16(bytes + 34);
    const uint32_t declared = ReadU32(bytes + 40);
    if (bits != 8 && bits != 16) return false;
    if (channels != 1 && channels != 2) return false;
    if (rate < 100 || rate > 200000) return false;
    if (declared > kMaxWavDataSize) return false;
    size_t dataSize = declared;
    // Files cut short (or written with a wrong size) keep what is really there.
    if (dataSize > size - kWavHeaderSize) dataSize = size - kWavHeaderSize;
    const size_t block = bits / 8 * channels;
    dataSize -= dataSize % block;
    if (dataSize == 0) return false;
    WavInfo out;
    out.channels = static_cast<int>(channels);
    out.rate = static_cast<int>(rate);
    out.bits = static_cast<int>(bits);
    out.dataOffset = kWavHeaderSize;
    out.dataSize = dataSize;
    info = out;
    return true;
}

}  // namespace tarvex
