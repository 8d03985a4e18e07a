// libFuzzer: scene descriptions. The first input byte splits the rest into the text and
// one particle file image that every particle name opens to.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <vector>

#include "scene/scene_description.h"

namespace {
std::vector<uint8_t> particleFile;

bool ReadParticle(const std::string& path, std::vector<uint8_t>& out) {
    if (path.empty() || path[0] == 'x') return false;
    out = particleFile;
    return true;
}

int Texture(const std::string& path) { return static_cast<int>(path.size()); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t split = std::min<size_t>(size - 1, static_cast<size_t>(data[0]) * 64);
    particleFile.assign(data + 1, data + 1 + split);
    tarvex::SceneDescriptionHooks hooks;
    hooks.readParticleFile = ReadParticle;
    hooks.loadTexture = Texture;
    hooks.stencilAvailable = true;
    tarvex::ParseSceneDescription(std::span<const uint8_t>(data + 1 + split, size - 1 - split), hooks);
    return 0;
}
