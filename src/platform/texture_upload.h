// Compressed (S3TC / DXT) textures for the device, uploaded block for block.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvex {

struct Texture;

enum class CompressedFormat { Dxt1, Dxt3, Dxt5 };

struct CompressedLevel {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// True when the display is up and takes DXT blocks as they are.
bool CompressedTexturesSupported();

// Level 0 first. With mipmaps, every level given is used (the chain may stop early);
// without, only level 0. nullptr without a display or on bad sizes.
Texture* CreateTextureCompressed(CompressedFormat format, int width, int height,
                                 const std::vector<CompressedLevel>& levels, bool hasAlpha, bool mipmaps,
                                 bool linear);

}  // namespace tarvex
