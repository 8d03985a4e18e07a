// CPU pixel buffers in the display's own format (32, 16 or 15 bits a pixel),
// the engine's stand-in for off-screen display surfaces. A surface that is drawn
// to the back buffer is uploaded to a GPU texture the first time and whenever dirty.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvex {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

struct Surface {
    int width = 0;
    int height = 0;
    int depth = 32;  // bits a pixel: 32 (x8r8g8b8), 16 (r5g6b5) or 15 (x1r5g5b5)
    int pitch = 0;   // bytes a row
    std::vector<uint8_t> pixels;
    bool dirty = true;       // CPU pixels changed since the last upload
    unsigned texture = 0;    // GL texture name, 0 until first drawn
    int textureDepth = 0;    // depth the texture was created for
    unsigned textureGeneration = 0;  // display the texture belongs to
};

// The display's pixel depth, set by the display set-up; every surface created
// afterwards uses it.
struct SurfaceFormat {
    int displayPixelDepth = 32;
};
extern SurfaceFormat surfaceFormat;

int BytesPerPixel(int depth);

// Creates a surface of the given size in the display depth (or an explicit depth).
// Returns nullptr for sizes that are not positive or too large to be a picture.
Surface* CreateSurface(int width, int height, int depth = 0);
void ReleaseSurface(Surface*& surface);
// Surfaces made by CreateSurface and not yet released.
int LiveSurfaceCount();
void CountSurfaceReleased();

// Raw pixel access (no bounds checks: callers stay inside the surface).
inline uint8_t* PixelRow(Surface& s, int y) { return s.pixels.data() + static_cast<size_t>(y) * s.pitch; }
inline const uint8_t* PixelRow(const Surface& s, int y) { return s.pixels.data() + static_cast<size_t>(y) * s.pitch; }
uint32_t GetPixel(const Surface& s, int x, int y);
void SetPixel(Surface& s, int x, int y, uint32_t value);

// Fills the whole surface (or a rectangle of it) with a raw pixel value of its format.
void FillSurface(Surface& s, uint32_t value, const Rect* area = nullptr);

// Copies src (or a rectangle of it) to dst at (x, y), clipped to both surfaces.
// With colourKeyBlack, source pixels of value 0 are skipped. Both surfaces must
// have the same depth; a mismatch copies nothing and returns false.
bool BltSurface(Surface& dst, int x, int y, const Surface& src, const Rect* srcRect = nullptr,
                bool colourKeyBlack = false);

// Pixel format conversion between 8-bit RGB and a display depth (no dithering).
uint32_t PackRgb(int depth, uint8_t r, uint8_t g, uint8_t b);
void UnpackRgb(int depth, uint32_t value, uint8_t& r, uint8_t& g, uint8_t& b);

// Converts a whole surface to tightly packed 8-bit RGB rows (top-down), widening
// 16- and 15-bit channels by shifting.
std::vector<uint8_t> SurfaceToRgb(const Surface& s);

}  // namespace tarvex
