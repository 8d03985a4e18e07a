// RGBA pictures for the generated art, a few drawing helpers, text through FreeType,
// and the three picture encoders the game reads (24-bit TIFF and BMP, 32-bit TGA).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/output.h"

namespace tarvex::formats {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 255;
};
Rgba Mix(Rgba a, Rgba b, double t);

class Image {
 public:
  Image() = default;
  Image(int width, int height, Rgba fill = {0, 0, 0, 255});
  int width() const { return width_; }
  int height() const { return height_; }
  Rgba Get(int x, int y) const;
  void Set(int x, int y, Rgba c);
  // Source-over blend of c (its alpha times `coverage`).
  void Blend(int x, int y, Rgba c, double coverage = 1.0);
  void FillRect(int x0, int y0, int x1, int y1, Rgba c);  // exclusive right/bottom
  void VerticalGradient(int x0, int y0, int x1, int y1, Rgba top, Rgba bottom);
  void FillCircle(double cx, double cy, double r, Rgba c);
  void Ring(double cx, double cy, double r, double thickness, Rgba c);
  void Line(double x0, double y0, double x1, double y1, double thickness, Rgba c);
  void Outline(int x0, int y0, int x1, int y1, int thickness, Rgba c);
  void Bevel(int x0, int y0, int x1, int y1, Rgba face, bool pressed);
  Image Crop(int x, int y, int w, int h) const;
  void Paste(const Image& src, int x, int y);
  std::vector<uint8_t>& pixels() { return px_; }
  const std::vector<uint8_t>& pixels() const { return px_; }

 private:
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> px_;
};

// Baseline TIFF: uncompressed, 8-bit RGB, contiguous, one strip; no date or software
// tags so that every run writes the same bytes.
Bytes EncodeTiffRgb(const Image& img);
// 24-bit uncompressed BMP, rows bottom-up padded to 4 bytes.
Bytes EncodeBmp24(const Image& img);
// 32-bit uncompressed TGA (type 2), rows bottom-up, 8 alpha bits.
Bytes EncodeTga32(const Image& img);

// Anti-aliased text with FreeType.
class TextPainter {
 public:
  ~TextPainter();
  bool Open(const std::string& fontPath);
  // Draws UTF-8 text with its baseline at y; align 0 left, 1 centre, 2 right. Returns the advance.
  int Draw(Image& img, int x, int y, const std::string& utf8, int pixelSize, Rgba colour, int align = 0);
  int Measure(const std::string& utf8, int pixelSize);

 private:
  void* library_ = nullptr;
  void* face_ = nullptr;
};

std::u32string Utf8To32(const std::string& s);

}  // namespace tarvex::formats
