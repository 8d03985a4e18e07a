// Texture files (BMP, TGA, DDS) into device textures. Decoding is plain CPU code
// (to RGBA rows or to compressed DXT blocks); only the upload needs the display.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

struct Texture;

enum class TextureFormat { Rgba8, Dxt1, Dxt3, Dxt5 };

struct DecodedTexture {
    int width = 0;
    int height = 0;
    TextureFormat format = TextureFormat::Rgba8;
    bool hasAlpha = false;  // some texel is not opaque
    // Level 0 first; Rgba8 levels are rows top-down, 4 bytes a texel; DXT levels
    // are 4 x 4 blocks, rows of blocks top-down.
    std::vector<std::vector<uint8_t>> levels;
};

// 4096 texels a side: twice what the display hardware the game was made for could take.
constexpr int kMaxTextureSide = 4096;
// The largest file an accepted texture can come from (uncompressed, with a full mip chain):
// a larger file is refused from its size before it is read.
constexpr uint64_t kMaxTextureFileBytes =
    static_cast<uint64_t>(kMaxTextureSide) * kMaxTextureSide * 4 * 4 / 3 + 4096;
// The bytes a texture of this size holds on the device.
uint64_t TextureBytes(int width, int height, bool mipmaps);

// BMP: 24- or 32-bit uncompressed, either row order.
bool DecodeBmpTexture(const uint8_t* data, size_t size, DecodedTexture& out);
// TGA: true colour 24/32-bit or 8-bit grey, raw or run-length, either row order.
bool DecodeTga(const uint8_t* data, size_t size, DecodedTexture& out);
// DDS: DXT1/DXT3/DXT5 blocks (with the mip levels the file holds) or uncompressed
// 16/24/32-bit masked pixels (level 0, decoded to RGBA).
bool DecodeDds(const uint8_t* data, size_t size, DecodedTexture& out);
// Any of the three, told apart by content ("DDS ", "BM", else TGA).
bool DecodeTextureFile(const uint8_t* data, size_t size, DecodedTexture& out);

// Bytes of one DXT level of the given size.
size_t DxtLevelBytes(TextureFormat format, int width, int height);
// Expands DXT blocks to RGBA rows (used where the device lacks S3TC, and by tests).
bool DecompressDxt(TextureFormat format, int width, int height, const uint8_t* blocks, size_t size,
                   std::vector<uint8_t>& rgba);

enum class TextureOptions {
    PointNoMips,  // one level, point filtering, the file's alpha (interface pictures)
    MipsLinear,   // a full mip chain, linear filtering (model textures in DDS)
    Default,      // the device's default: a full mip chain, linear filtering
};

// Creates a device texture from a loose file (found whatever its letter case).
// nullptr when the file is missing, not a picture of these kinds, or there is no display.
Texture* LoadTextureFile(const std::string& path, TextureOptions options = TextureOptions::Default);
// The same from bytes already read.
Texture* CreateTextureFromFile(const uint8_t* data, size_t size, TextureOptions options);

}  // namespace tarvex
