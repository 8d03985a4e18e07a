// libFuzzer target: the WAV header rule on arbitrary bytes. Every accepted file
// must describe samples that lie inside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "media/wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tarvex::WavInfo info;
    if (tarvex::ParseWav(data, size, info)) {
        if (info.dataOffset + info.dataSize > size) std::abort();
        const size_t block = static_cast<size_t>(info.bits / 8 * info.channels);
        if (block == 0 || info.dataSize % block != 0 || info.dataSize == 0) std::abort();
        // Touch every sample byte so the sanitizer sees any overrun.
        unsigned sum = 0;
        for (size_t i = 0; i < info.dataSize; ++i) sum += data[info.dataOffset + i];
        volatile unsigned sink = sum;
        (void)sink;
    }
    return 0;
}
