#include "platform/surface.h"

#include <algorithm>
#include <cstring>

namespace tarvex {

SurfaceFormat surfaceFormat;

namespace {
int liveSurfaces = 0;
}

int LiveSurfaceCount() { return liveSurfaces; }
void CountSurfaceReleased() { --liveSurfaces; }

int BytesPerPixel(int depth) { return depth == 32 ? 4 : 2; }

Surface* CreateSurface(int width, int height, int depth) {
    if (depth == 0) depth = surfaceFormat.displayPixelDepth;
    if (depth != 32 && depth != 16 && depth != 15) return nullptr;
    // 16384 x 16384 is far beyond any picture of the game; larger sizes come from bad files.
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
    auto* s = new Surface;
    s->width = width;
    s->height = height;
    s->depth = depth;
    s->pitch = width * BytesPerPixel(depth);
    s->pixels.assign(static_cast<size_t>(s->pitch) * height, 0);
    ++liveSurfaces;
    return s;
}


uint32_t GetPixel(const Surface& s, int x, int y) {
    const uint8_t* p = PixelRow(s, y) + x * BytesPerPixel(s.depth);
    if (s.depth == 32) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

void SetPixel(Surface& s, int x, int y, uint32_t value) {
    uint8_t* p = PixelRow(s, y) + x * BytesPerPixel(s.depth);
    if (s.depth == 32) {
        std::memcpy(p, &value, 4);
    } else {
        uint16_t v = static_cast<uint16_t>(value);
        std::memcpy(p, &v, 2);
    }
    s.dirty = true;
}

static bool ClipRect(const Surface& s, Rect& r) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, s.width);
    r.bottom = std::min(r.bottom, s.height);
    return r.left < r.right && r.top < r.bottom;
}

void FillSurface(Surface& s, uint32_t value, const Rect* area) {
    Rect r = area ? *area : Rect{0, 0, s.width, s.height};
    if (!ClipRect(s, r)) return;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) SetPixel(s, x, y, value);
    s.dirty = true;
}

bool BltSurface(Surface& dst, int x, int y, const Surface& src, const Rect* srcRect, bool colourKeyBlack) {
    if (dst.depth != src.depth) return false;
    Rect r = srcRect ? *srcRect : Rect{0, 0, src.width, src.height};
    if (!ClipRect(src, r)) return true;
    // Clip against the destination.
    int dx = x + (r.left - (srcRect ? srcRect->left : 0));
    int dy = y + (r.top - (srcRect ? srcRect->top : 0));
    if (dx < 0) { r.left -= dx; dx = 0; }
    if (dy < 0) { r.top -= dy; dy = 0; }
    r.right = std::min(r.right, r.left + (dst.width - dx));
    r.bottom = std::min(r.bottom, r.top + (dst.height - dy));
    if (r.left >= r.right || r.top >= r.bottom) return true;
    const int bpp = BytesPerPixel(src.depth);
    const size_t rowBytes = static_cast<size_t>(r.right - r.left) * bpp;
    for (int row = 0; row < r.bottom - r.top; ++row) {
        const uint8_t* sp = PixelRow(src, r.top + row) + r.left * bpp;
        uint8_t* dp = PixelRow(dst, dy + row) + dx * bpp;
        if (!colourKeyBlack) {
            std::memcpy(dp, sp, rowBytes);
            continue;
        }
        for (int i = 0; i < r.right - r.left; ++i) {
            bool black = bpp == 4 ? (sp[0] | sp[1] | sp[2] | sp[3]) == 0 : (sp[0] | sp[1]) == 0;
            if (!black) std::memcpy(dp, sp, bpp);
            sp += bpp;
            dp += bpp;
        }
    }
    dst.dirty = true;
    return true;
}

uint32_t PackRgb(int depth, uint8_t r, uint8_t g, uint8_t b) {
    switch (depth) {
    case 16: return (b >> 3) | ((g & 0xFC) << 3) | ((r & 0xF8) << 8);
    case 15: return (b >> 3) | ((g & 0xF8) << 2) | ((r & 0xF8) << 7);
    default: return b | (g << 8) | (r << 16);
    }
}

void UnpackRgb(int depth, uint32_t v, uint8_t& r, uint8_t& g, uint8_t& b) {
    switch (depth) {
    case 16:
        r = static_cast<uint8_t>(((v >> 11) & 31) << 3);
        g = static_cast<uint8_t>(((v >> 5) & 63) << 2);
        b = static_cast<uint8_t>((v & 31) << 3);
        break;
    case 15:
        r = static_cast<uint8_t>(((v >> 10) & 31) << 3);
        g = static_cast<uint8_t>(((v >> 5) & 31) << 3);
        b = static_cast<uint8_t>((v & 31) << 3);
        break;
    default:
        r = static_cast<uint8_t>(v >> 16);
        g = static_cast<uint8_t>(v >> 8);
        b = static_cast<uint8_t>(v);
    }
}

std::vector<uint8_t> SurfaceToRgb(const Surface& s) {
    std::vector<uint8_t> out(static_cast<size_t>(s.width) * s.height * 3);
    size_t o = 0;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            UnpackRgb(s.depth, GetPixel(s, x, y), out[o], out[o + 1], out[o + 2]);
            o += 3;
        }
    return out;
}

}  // namespace tarvex
