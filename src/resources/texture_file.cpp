#include "resources/texture_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "base/byte_io.h"
#include "platform/display.h"
#include "platform/texture_upload.h"
#include "resources/file_lookup.h"
#include "resources/game_file.h"
#include "resources/load_limits.h"

namespace tarvex {

namespace {

bool SideOk(int64_t w, int64_t h) { return w > 0 && h > 0 && w <= kMaxTextureSide && h <= kMaxTextureSide; }

bool AnyTranslucent(const std::vector<uint8_t>& rgba) {
    for (size_t i = 3; i < rgba.size(); i += 4)
        if (rgba[i] != 255) return true;
    return false;
}

void SetRgba(DecodedTexture& out, int width, int height, std::vector<uint8_t> rgba) {
    out.width = width;
    out.height = height;
    out.format = TextureFormat::Rgba8;
    out.hasAlpha = AnyTranslucent(rgba);
    out.levels.clear();
    out.levels.push_back(std::move(rgba));
}

// Widens a masked channel to 8 bits; a channel without a mask reads as `absent`.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit MaskChannel(uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        max = m >> shift;
    }
    uint8_t Get(uint32_t pixel, uint8_t absent) const {
        if (!mask) return absent;
        uint32_t v = (pixel & mask) >> shift;
        return static_cast<uint8_t>((static_cast<uint64_t>(v) * 255 + max / 2) / max);
    }
};

void ColourFrom565(uint16_t c, uint8_t* rgb) {
    int r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    rgb[0] = static_cast<uint8_t>((r << 3) | (r >> 2));
    rgb[1] = static_cast<uint8_t>((g << 2) | (g >> 4));
    rgb[2] = static_cast<uint8_t>((b << 3) | (b >> 2));
}

// One 8-byte colour block into 16 RGBA texels; DXT1 blocks may use the three-colour mode.
void DecodeColourBlock(const uint8_t* block, bool allowThreeColour, uint8_t texels[16][4]) {
    ByteReader r(block, 8);
    const uint16_t c0 = r.U16(), c1 = r.U16();
    const uint32_t indices = r.U32();
    uint8_t palette[4][4];
    ColourFrom565(c0, palette[0]);
    ColourFrom565(c1, palette[1]);
    palette[0][3] = palette[1][3] = 255;
    if (c0 > c1 || !allowThreeColour) {
        for (int k = 0; k < 3; ++k) {
            palette[2][k] = static_cast<uint8_t>((2 * palette[0][k] + palette[1][k] + 1) / 3);
            palette[3][k] = static_cast<uint8_t>((palette[0][k] + 2 * palette[1][k] + 1) / 3);
        }
        palette[2][3] = palette[3][3] = 255;
    } else {
        for (int k = 0; k < 3; ++k) palette[2][k] = static_cast<uint8_t>((palette[0][k] + palette[1][k]) / 2);
        palette[2][3] = 255;
        palette[3][0] = palette[3][1] = palette[3][2] = palette[3][3] = 0;
    }
    for (int i = 0; i < 16; ++i) std::memcpy(texels[i], palette[(indices >> (2 * i)) & 3], 4);
}

}  // namespace

size_t DxtLevelBytes(TextureFormat format, int width, int height) {
    if (format == TextureFormat::Rgba8) return static_cast<size_t>(width) * height * 4;
    size_t blocks = static_cast<size_t>(std::max(1, (width + 3) / 4)) * std::max(1, (height + 3) / 4);
    return blocks * (format == TextureFormat::Dxt1 ? 8 : 16);
}

bool DecompressDxt(TextureFormat format, int width, int height, const uint8_t* blocks, size_t size,
                   std::vector<uint8_t>& rgba) {
    if (format == TextureFormat::Rgba8 || !SideOk(width, height) || !blocks) return false;
    if (size < DxtLevelBytes(format, width, height)) return false;
    const int blockBytes = format == TextureFormat::Dxt1 ? 8 : 16;
    const int bw = (width + 3) / 4, bh = (height + 3) / 4;
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4);
    uint8_t texels[16][4];
    for (int by = 0; by < bh; ++by)
        for (int bx = 0; bx < bw; ++bx) {
            const uint8_t* block = blocks + (static_cast<size_t>(by) * bw + bx) * blockBytes;
            if (format == TextureFormat::Dxt1) {
                DecodeColourBlock(block, true, texels);
            } else {
                DecodeColourBlock(block + 8, false, texels);
                if (format == TextureFormat::Dxt3) {
                    for (int i = 0; i < 16; ++i) {
                        int a = (block[i / 2] >> (4 * (i & 1))) & 15;
                        texels[i][3] = static_cast<uint8_t>(a * 17);
                    }
                } else {
                    int a0 = block[0], a1 = block[1];
                    int alpha[8] = {a0, a1};
                    if (a0 > a1) {
                        for (int k = 1; k < 7; ++k) alpha[k + 1] = ((7 - k) * a0 + k * a1 + 3) / 7;
                    } else {
                        for (int k = 1; k < 5; ++k) alpha[k + 1] = ((5 - k) * a0 + k * a1 + 2) / 5;
                        alpha[6] = 0;
                        alpha[7] = 255;
                    }
                    ByteReader r(block + 2, 6);
                    const uint64_t bits = r.U32() | static_cast<uint64_t>(r.U16()) << 32;
                    for (int i = 0; i < 16; ++i) texels[i][3] = static_cast<uint8_t>(alpha[(bits >> (3 * i)) & 7]);
                }
            }
            for (int i = 0; i < 16; ++i) {
                int x = bx * 4 + (i & 3), y = by * 4 + (i >> 2);
                if (x < width && y < height) std::memcpy(&out[(static_cast<size_t>(y) * width + x) * 4], texels[i], 4);
            }
        }
    rgba.swap(out);
    return true;
}

bool DecodeBmpTexture(const uint8_t* data, size_t size, DecodedTexture& out) {
    if (!data || size < 54 || data[0] != 'B' || data[1] != 'M') return false;
    ByteReader r(data, size);
    r.Seek(10);
    const uint32_t pixelOffset = r.U32();
    const uint32_t headerSize = r.U32();
    if (headerSize < 40) return false;
    const int32_t width = r.I32();
    const int32_t rawHeight = r.I32();
    r.Skip(2);  // planes
    const uint16_t bits = r.U16();
    const uint32_t compression = r.U32();
    if ((bits != 24 && bits != 32) || compression != 0) return false;
    if (rawHeight == INT32_MIN) return false;
    bool topDown = rawHeight < 0;
    int64_t height = topDown ? -static_cast<int64_t>(rawHeight) : rawHeight;
    if (!SideOk(width, height)) return false;
    const int bytesPer = bits / 8;
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bytesPer + 3) & ~uint64_t{3};
    // Every row is padded to four bytes, the last one included.
    if (static_cast<uint64_t>(pixelOffset) + rowBytes * height > size) return false;
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (int64_t y = 0; y < height; ++y) {
        r.Seek(pixelOffset + rowBytes * (topDown ? y : height - 1 - y));
        const uint8_t* src = r.View(static_cast<size_t>(width) * bytesPer).data();
        if (!src) return false;
        uint8_t* dst = &rgba[static_cast<size_t>(y) * width * 4];
        for (int x = 0; x < width; ++x, src += bytesPer, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = 255;  // the fourth byte of a 32-bit BMP is unused
        }
    }
    SetRgba(out, width, static_cast<int>(height), std::move(rgba));
    return true;
}

bool DecodeTga(const uint8_t* data, size_t size, DecodedTexture& out) {
    if (!data || size < 18) return false;
    ByteReader r(data, size);
    const uint8_t idLength = r.U8(), colourMapType = r.U8(), type = r.U8();
    r.Skip(2);  // first colour map entry
    const uint16_t mapLength = r.U16();
    const uint8_t mapEntryBits = r.U8();
    r.Skip(4);  // origin
    const int width = r.U16(), height = r.U16();
    const uint8_t depth = r.U8(), descriptor = r.U8();
    const bool rle = type == 10 || type == 11;
    const bool grey = type == 3 || type == 11;
    if (!(type == 2 || type == 10 || grey) || colourMapType > 1) return false;
    if (grey ? depth != 8 : (depth != 24 && depth != 32)) return false;
    if (!SideOk(width, height)) return false;
    r.Skip(idLength);
    if (colourMapType == 1) r.Skip((static_cast<size_t>(mapLength) * mapEntryBits + 7) / 8);
    if (!r.ok()) return false;
    const int bytesPer = depth / 8;
    const size_t pixels = static_cast<size_t>(width) * height;
    // A run packet covers at most 128 pixels, a raw file holds them all: check
    // the claim against the data before allocating for it.
    if (rle ? pixels > r.remaining() * 128 : pixels * bytesPer > r.remaining()) return false;
    // Pixels in file order first, then placed by the origin bits.
    std::vector<uint8_t> raw(pixels * bytesPer);
    if (!rle) {
        r.Bytes(raw.data(), raw.size());
    } else {
        size_t done = 0;
        while (done < pixels) {
            const uint8_t header = r.U8();
            size_t count = (header & 0x7f) + 1;
            count = std::min(count, pixels - done);  // a packet past the last pixel is cut
            if (header & 0x80) {
                const std::span<const uint8_t> value = r.View(bytesPer);
                if (!r.ok()) return false;
                for (size_t i = 0; i < count; ++i) std::memcpy(&raw[(done + i) * bytesPer], value.data(), bytesPer);
            } else {
                r.Bytes(&raw[done * bytesPer], count * bytesPer);
            }
            if (!r.ok()) return false;
            done += count;
        }
    }
    const bool topDown = descriptor & 0x20;
    const bool rightToLeft = descriptor & 0x10;
    std::vector<uint8_t> rgba(pixels * 4);
    for (int row = 0; row < height; ++row) {
        int y = topDown ? row : height - 1 - row;
        for (int col = 0; col < width; ++col) {
            int x = rightToLeft ? width - 1 - col : col;
            const uint8_t* src = &raw[(static_cast<size_t>(row) * width + col) * bytesPer];
            uint8_t* dst = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            if (grey) {
                dst[0] = dst[1] = dst[2] = src[0];
                dst[3] = 255;
            } else {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
                dst[3] = bytesPer == 4 ? src[3] : 255;
            }
        }
    }
    SetRgba(out, width, height, std::move(rgba));
    return true;
}

bool DecodeDds(const uint8_t* data, size_t size, DecodedTexture& out) {
    if (!data || size < 128 || std::memcmp(data, "DDS ", 4) != 0) return false;
    // The 124-byte header after the magic; the pixel data follow it.
    ByteReader r(data, size);
    if (r.U32At(4) != 124) return false;
    const uint32_t flags = r.U32At(8);
    const uint32_t height = r.U32At(12), width = r.U32At(16);
    const uint32_t mipCount = (flags & 0x20000) ? r.U32At(28) : 1;
    const uint32_t pfFlags = r.U32At(80);
    const uint32_t caps2 = r.U32At(112);
    if (!SideOk(width, height)) return false;
    if (caps2 & (0x200 | 0x200000)) return false;  // cube maps and volumes are not pictures
    r.Seek(128);
    if (pfFlags & 0x4) {
        const uint8_t* fourCc = data + 84;
        TextureFormat format;
        if (std::memcmp(fourCc, "DXT1", 4) == 0) format = TextureFormat::Dxt1;
        else if (std::memcmp(fourCc, "DXT3", 4) == 0) format = TextureFormat::Dxt3;
        else if (std::memcmp(fourCc, "DXT5", 4) == 0) format = TextureFormat::Dxt5;
        else return false;
        // Take the levels the file holds, at most a full chain; level 0 must be whole.
        int maxLevels = 1;
        for (uint32_t s = std::max(width, height); s > 1; s >>= 1) ++maxLevels;
        int levels = static_cast<int>(std::clamp<uint32_t>(mipCount, 1, static_cast<uint32_t>(maxLevels)));
        DecodedTexture decoded;
        decoded.width = static_cast<int>(width);
        decoded.height = static_cast<int>(height);
        decoded.format = format;
        int w = decoded.width, h = decoded.height;
        for (int level = 0; level < levels; ++level) {
            const size_t bytes = DxtLevelBytes(format, w, h);
            if (r.remaining() < bytes) break;
            const std::span<const uint8_t> levelBytes = r.View(bytes);
            decoded.levels.emplace_back(levelBytes.begin(), levelBytes.end());
            w = std::max(1, w / 2);
            h = std::max(1, h / 2);
        }
        if (decoded.levels.empty()) return false;
        if (format == TextureFormat::Dxt1) {
            // Alpha only where a three-colour block uses its transparent index.
            const std::vector<uint8_t>& l0 = decoded.levels[0];
            ByteReader blocks(l0.data(), l0.size());
            while (blocks.remaining() >= 8 && !decoded.hasAlpha) {
                const uint16_t c0 = blocks.U16(), c1 = blocks.U16();
                const uint32_t idx = blocks.U32();
                if (c0 > c1) continue;
                for (int i = 0; i < 16; ++i)
                    if (((idx >> (2 * i)) & 3) == 3) decoded.hasAlpha = true;
            }
        } else {
            decoded.hasAlpha = true;
        }
        out = std::move(decoded);
        return true;
    }
    const bool rgb = pfFlags & 0x40, luminance = pfFlags & 0x20000;
    const uint32_t bits = r.U32At(88);
    if (!(rgb || luminance) || (bits != 8 && bits != 16 && bits != 24 && bits != 32)) return false;
    const MaskChannel red(r.U32At(92)), green(r.U32At(96)), blue(r.U32At(100));
    const MaskChannel alpha((pfFlags & 0x1) ? r.U32At(104) : 0);
    const size_t bytesPer = bits / 8;
    // Rows are tightly packed in the files the usual writers make.
    const uint64_t need = static_cast<uint64_t>(width) * height * bytesPer;
    if (r.remaining() < need) return false;
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        uint32_t pixel = 0;
        for (size_t k = 0; k < bytesPer; ++k) pixel |= static_cast<uint32_t>(r.U8()) << (8 * k);
        uint8_t* dst = &rgba[i * 4];
        dst[0] = red.Get(pixel, 0);
        dst[1] = luminance ? dst[0] : green.Get(pixel, 0);
        dst[2] = luminance ? dst[0] : blue.Get(pixel, 0);
        dst[3] = alpha.Get(pixel, 255);
    }
    SetRgba(out, static_cast<int>(width), static_cast<int>(height), std::move(rgba));
    return true;
}

bool DecodeTextureFile(const uint8_t* data, size_t size, DecodedTexture& out) {
    if (!data || size < 4) return false;
    if (std::memcmp(data, "DDS ", 4) == 0) return DecodeDds(data, size, out);
    if (data[0] == 'B' && data[1] == 'M') return DecodeBmpTexture(data, size, out);
    return DecodeTga(data, size, out);
}

uint64_t TextureBytes(int width, int height, bool mipmaps) {
    const uint64_t level = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
    // A full chain of smaller levels adds a third.
    return mipmaps ? level + level / 3 : level;
}

Texture* CreateTextureFromFile(const uint8_t* data, size_t size, TextureOptions options) {
    DecodedTexture decoded;
    if (!DecodeTextureFile(data, size, decoded)) return nullptr;
    const bool mipmaps = options != TextureOptions::PointNoMips;
    const bool linear = options != TextureOptions::PointNoMips;
    // What the texture will hold is asked of the loads' budget before it is made.
    if (!TakeLoadBytes(TextureBytes(decoded.width, decoded.height, mipmaps))) return nullptr;
    if (decoded.format == TextureFormat::Rgba8)
        return CreateTextureRgba(decoded.width, decoded.height, decoded.levels[0].data(), mipmaps, linear);
    if (CompressedTexturesSupported()) {
        std::vector<CompressedLevel> levels;
        for (const std::vector<uint8_t>& l : decoded.levels) levels.push_back({l.data(), l.size()});
        CompressedFormat format = decoded.format == TextureFormat::Dxt1   ? CompressedFormat::Dxt1
                                  : decoded.format == TextureFormat::Dxt3 ? CompressedFormat::Dxt3
                                                                          : CompressedFormat::Dxt5;
        Texture* t = CreateTextureCompressed(format, decoded.width, decoded.height, levels, decoded.hasAlpha,
                                             mipmaps, linear);
        if (t) return t;
    }
    // No S3TC on this device: expand the blocks here.
    std::vector<uint8_t> rgba;
    if (!DecompressDxt(decoded.format, decoded.width, decoded.height, decoded.levels[0].data(),
                       decoded.levels[0].size(), rgba))
        return nullptr;
    return CreateTextureRgba(decoded.width, decoded.height, rgba.data(), mipmaps, linear);
}

Texture* LoadTextureFile(const std::string& path, TextureOptions options) {
    if (LoadFailedBefore(LoadKind::Texture, path)) return nullptr;
    // Texture files are read loose, never from packages; the size decides before the body
    // is read.
    FILE* f = OpenLooseFile(path);
    struct stat st;
    std::vector<uint8_t> data;
    bool ok = f && fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<uint64_t>(st.st_size) <= kMaxTextureFileBytes;
    if (ok) ReadGameFileBytes(f, static_cast<uint64_t>(st.st_size), data);
    if (f) std::fclose(f);
    Texture* texture = ok ? CreateTextureFromFile(data.data(), data.size(), options) : nullptr;
    if (!texture) NoteFailedLoad(LoadKind::Texture, path);
    return texture;
}

}  // namespace tarvex
