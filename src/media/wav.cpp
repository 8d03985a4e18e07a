#include "media/wav.h"

#include <cstring>

#include "resources/byte_io.h"

namespace tarvex {

bool ParseWav(const uint8_t* bytes, size_t size, WavInfo& info) {
    if (!bytes || size < kWavHeaderSize) return false;
    if (std::memcmp(bytes, "RIFF", 4) != 0) return false;
    // The fields sit at fixed offsets whatever the chunks around them say.
    ByteReader r(bytes, size);
    const uint32_t channels = r.U16At(22);
    const uint32_t rate = r.U32At(24);
    const uint32_t bits = r.U16At(34);
    const uint32_t declared = r.U32At(40);
    if (bits != 8 && bits != 16) return false;
    if (channels != 1 && channels != 2) return false;
    if (rate < 100 || rate > 200000) return false;
    if (declared > kMaxWavDataSize) return false;
    size_t dataSize = declared;
    // Files cut short (or written with a wrong size) keep what is really there.
    r.Seek(kWavHeaderSize);
    if (dataSize > r.remaining()) dataSize = r.remaining();
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
