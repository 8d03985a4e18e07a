// The game's pictures (24-bit BMP and TIFF) into display surfaces in the display's
// own format, and into plain memory buffers. Every file is opened by the loose-first
// rule. A picture that is missing or whose header disagrees with its data is not
// loaded and leaves its target as it was; the loaders return whether they loaded.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

struct Surface;

// Read limits, loose and packaged alike: a larger file is cut there.
constexpr size_t kBmpSurfaceReadLimit = 5000000;
constexpr size_t kBmpWideReadLimit = 999999;
// The game shows nothing larger than its 800 x 600 screen (scene pictures fill it, tools
// and frames of sequences lie inside it): a larger picture is refused before its pixels
// are decoded.
constexpr int kMaxPictureWidth = 800;
constexpr int kMaxPictureHeight = 600;

// A decoded picture: rows top-down, 3 bytes a pixel in blue, green, red order.
struct BgrPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;
};

// The 24-bit BMP reading: pixel-data offset at byte 10, width at 18, height at 22,
// bottom-up rows of blue, green, red padded to 4 bytes. False for anything else or
// when the rows do not all lie inside the data.
bool DecodeBmp24(const uint8_t* data, size_t size, BgrPicture& out);

// Converts one row of blue, green, red pixels to the display format at `depth`
// (32, 16 or 15), with the 2 x 2 ordered dithering at 16 and 15 bits. `cy` is the
// row's dithering coordinate (height - y for top-down TIFF rows, y + 1 for
// bottom-up BMP rows); columns count from the right edge.
void ConvertRowToDisplay(const uint8_t* bgr, int width, int cy, int depth, uint8_t* out);

// The surface loaders ask the loads' budget for the surface they make and, under a
// scene script's limits, do not read again a file that failed in the visit.
// A new surface of the picture's size (the old one, if any, is released on success).
bool LoadBmpSurface(Surface*& surface, const std::string& path);
// Fills an existing surface (the full-screen menu picture); the picture must fit it.
bool LoadTiffScreen(Surface& surface, const std::string& path);
// Replaces the surface held by a new one of the picture's size.
bool LoadTiffSurface(Surface*& surface, const std::string& path);
// 4 bytes a pixel, rows top-down: blue, green, red, the fourth byte left as it was.
// Refused when the picture needs more than bufferSize bytes.
bool LoadTiffPixels(uint8_t* buffer, size_t bufferSize, const std::string& path, int* width = nullptr,
                    int* height = nullptr);
// 8 bytes a pixel, rows top-down: blue, green, red widened to 16-bit lanes, the
// fourth lane 0. Refused when the picture needs more than bufferSize bytes.
bool LoadBmpWide(uint8_t* buffer, size_t bufferSize, const std::string& path, int* width = nullptr,
                 int* height = nullptr);

// The TIFF reading shared by the loaders: 8-bit RGB (an alpha sample is skipped,
// 8-bit grey is widened),
// rows top-down in blue, green, red order.
bool ReadTiffPicture(const std::string& path, BgrPicture& out);
// The same from the file's bytes in memory (safe on any thread: a handle of its own).
bool DecodeTiffPicture(const uint8_t* data, size_t size, BgrPicture& out);

}  // namespace tarvex
