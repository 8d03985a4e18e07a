// libFuzzer: run-length floor-depth files.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/walk_mask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<float> floor(800 * 600);
    tarvex::DecodeFloorDepth(std::span<const uint8_t>(data, size), floor.data());
    return 0;
}
