// libFuzzer: a walk mask and the route search over it. The first eight bytes are the start
// and the goal on the screen (two u16 pairs, taken modulo the screen), the rest the mask
// image (cut or padded to its size, as a short file would be refused).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "scene/path_finding.h"
#include "scene/walk_mask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    uint16_t p[4];
    std::memcpy(p, data, 8);
    const std::span<const uint8_t> rest(data + 8, size - 8);
    // A file of the wrong size is refused and the mask stays as it was.
    tarvex::ApplyWalkMask(rest);
    std::vector<uint8_t> mask(static_cast<size_t>(tarvex::kMaskWidth) * tarvex::kMaskHeight, 0);
    std::memcpy(mask.data(), rest.data(), std::min(rest.size(), mask.size()));
    if (!tarvex::ApplyWalkMask(mask)) __builtin_trap();
    tarvex::PathResult path;
    tarvex::FindPathFromScreen(path, p[0] % 800, p[1] % 600, p[2] % 800, p[3] % 600);
    if (path.pathLength > tarvex::kMaxPathPoints) __builtin_trap();
    return 0;
}
