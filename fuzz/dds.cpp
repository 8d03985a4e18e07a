// DDS texture files: the header, the mip chain and the block decompressor.
#include <vector>

#include "resources/texture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tarvex::DecodedTexture texture;
    if (tarvex::DecodeDds(data, size, texture) && texture.format != tarvex::TextureFormat::Rgba8) {
        std::vector<uint8_t> rgba;
        // Level 0 only: enough to reach every block path.
        if (static_cast<size_t>(texture.width) * texture.height <= 1 << 20)
            tarvex::DecompressDxt(texture.format, texture.width, texture.height, texture.levels[0].data(),
                                  texture.levels[0].size(), rgba);
    }
    return 0;
}
