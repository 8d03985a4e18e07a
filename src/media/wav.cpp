#include "media/wav.h"

#include <algorithm>
#include <cstring>

#include "base/byte_io.h"

namespace tarvex {

bool ParseWavHeader(const uint8_t* header, size_t headerSize, uint64_t fileSize, WavInfo& info, std::string* why) {
    auto refuse = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    if (!header || headerSize < kWavHeaderSize || fileSize < kWavHeaderSize)
        return refuse("shorter than a WAV header (" + std::to_string(std::min<uint64_t>(headerSize, fileSize)) +
                      " bytes)");
    if (std::memcmp(header, "RIFF", 4) != 0) return refuse("no RIFF tag");
    // The fields sit at fixed offsets whatever the chunks around them say.
    ByteReader r(header, kWavHeaderSize);
    const uint32_t format = r.U16At(20);
    const uint32_t channels = r.U16At(22);
    const uint32_t rate = r.U32At(24);
    const uint32_t bits = r.U16At(34);
    const uint32_t declared = r.U32At(40);
    if (format != 1) return refuse("format " + std::to_string(format) + " is not integer PCM");
    if (bits != 8 && bits != 16) return refuse(std::to_string(bits) + " bits a sample (8 or 16 play)");
    if (channels != 1 && channels != 2) return refuse(std::to_string(channels) + " channels (1 or 2 play)");
    if (rate < 100 || rate > 200000) return refuse("a rate of " + std::to_string(rate) + " Hz");
    if (declared > kMaxWavDataSize) return refuse("a data size of " + std::to_string(declared) + " bytes");
    // Files cut short (or written with a wrong size) keep what is really there.
    size_t dataSize = static_cast<size_t>(std::min<uint64_t>(declared, fileSize - kWavHeaderSize));
    const size_t block = bits / 8 * channels;
    dataSize -= dataSize % block;
    if (dataSize == 0) return refuse("no whole sample frame");
    WavInfo out;
    out.channels = static_cast<int>(channels);
    out.rate = static_cast<int>(rate);
    out.bits = static_cast<int>(bits);
    out.dataOffset = kWavHeaderSize;
    out.dataSize = dataSize;
    info = out;
    return true;
}

bool ParseWav(const uint8_t* bytes, size_t size, WavInfo& info, std::string* why) {
    return ParseWavHeader(bytes, std::min(size, kWavHeaderSize), size, info, why);
}

}  // namespace tarvex
