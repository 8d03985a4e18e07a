#include "formats/image.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace tarvex::formats {

static uint8_t Clamp8(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

Rgba Mix(Rgba a, Rgba b, double t) {
  return {Clamp8(a.r + (b.r - a.r) * t), Clamp8(a.g + (b.g - a.g) * t), Clamp8(a.b + (b.b - a.b) * t),
          Clamp8(a.a + (b.a - a.a) * t)};
}

Image::Image(int width, int height, Rgba fill) : width_(width), height_(height) {
  px_.resize(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < px_.size(); i += 4) {
    px_[i] = fill.r; px_[i + 1] = fill.g; px_[i + 2] = fill.b; px_[i + 3] = fill.a;
  }
}

Rgba Image::Get(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {0, 0, 0, 0};
  const uint8_t* p = &px_[(static_cast<size_t>(y) * width_ + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

void Image::Set(int x, int y, Rgba c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t* p = &px_[(static_cast<size_t>(y) * width_ + x) * 4];
  p[0] = c.r; p[1] = c.g; p[2] = c.b; p[3] = c.a;
}

void Image::Blend(int x, int y, Rgba c, double coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  double a = c.a / 255.0 * std::clamp(coverage, 0.0, 1.0);
  if (a <= 0) return;
  Rgba d = Get(x, y);
  double outA = a + d.a / 255.0 * (1 - a);
  auto ch = [&](uint8_t s, uint8_t t) {
    return outA > 0 ? Clamp8((s * a + t * (d.a / 255.0) * (1 - a)) / outA) : uint8_t(0);
  };
  Set(x, y, {ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), Clamp8(outA * 255)});
}

void Image::FillRect(int x0, int y0, int x1, int y1, Rgba c) {
  for (int y = std::max(0, y0); y < std::min(height_, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(width_, x1); ++x) {
      if (c.a == 255) Set(x, y, c); else Blend(x, y, c);
    }
}

void Image::VerticalGradient(int x0, int y0, int x1, int y1, Rgba top, Rgba bottom) {
  for (int y = std::max(0, y0); y < std::min(height_, y1); ++y) {
    Rgba c = Mix(top, bottom, y1 - y0 > 1 ? double(y - y0) / (y1 - y0 - 1) : 0.0);
    for (int x = std::max(0, x0); x < std::min(width_, x1); ++x) Set(x, y, c);
  }
}

void Image::FillCircle(double cx, double cy, double r, Rgba c) {
  for (int y = int(cy - r - 1); y <= int(cy + r + 1); ++y)
    for (int x = int(cx - r - 1); x <= int(cx + r + 1); ++x) {
      double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      Blend(x, y, c, r + 0.5 - d);
    }
}

void Image::Ring(double cx, double cy, double r, double thickness, Rgba c) {
  for (int y = int(cy - r - thickness - 1); y <= int(cy + r + thickness + 1); ++y)
    for (int x = int(cx - r - thickness - 1); x <= int(cx + r + thickness + 1); ++x) {
      double d = std::fabs(std::hypot(x + 0.5 - cx, y + 0.5 - cy) - r);
      Blend(x, y, c, thickness / 2 + 0.5 - d);
    }
}

void Image::Line(double x0, double y0, double x1, double y1, double thickness, Rgba c) {
  double minX = std::min(x0, x1) - thickness - 1, maxX = std::max(x0, x1) + thickness + 1;
  double minY = std::min(y0, y1) - thickness - 1, maxY = std::max(y0, y1) + thickness + 1;
  double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  for (int y = int(minY); y <= int(maxY); ++y)
    for (int x = int(minX); x <= int(maxX); ++x) {
      double px = x + 0.5, py = y + 0.5;
      double t = len2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0, 1.0) : 0.0;
      double d = std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
      Blend(x, y, c, thickness / 2 + 0.5 - d);
    }
}

void Image::Outline(int x0, int y0, int x1, int y1, int t, Rgba c) {
  FillRect(x0, y0, x1, y0 + t, c);
  FillRect(x0, y1 - t, x1, y1, c);
  FillRect(x0, y0, x0 + t, y1, c);
  FillRect(x1 - t, y0, x1, y1, c);
}

void Image::Bevel(int x0, int y0, int x1, int y1, Rgba face, bool pressed) {
  Rgba light = Mix(face, {255, 255, 255, face.a}, 0.45), dark = Mix(face, {0, 0, 0, face.a}, 0.45);
  if (pressed) std::swap(light, dark);
  FillRect(x0, y0, x1, y1, face);
  FillRect(x0, y0, x1, y0 + 2, light);
  FillRect(x0, y0, x0 + 2, y1, light);
  FillRect(x0, y1 - 2, x1, y1, dark);
  FillRect(x1 - 2, y0, x1, y1, dark);
}

Image Image::Crop(int x, int y, int w, int h) const {
  Image out(w, h, {0, 0, 0, 255});
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) out.Set(i, j, Get(x + i, y + j));
  return out;
}

void Image::Paste(const Image& src, int x, int y) {
  for (int j = 0; j < src.height(); ++j)
    for (int i = 0; i < src.width(); ++i) Set(x + i, y + j, src.Get(i, j));
}

Bytes EncodeTiffRgb(const Image& img) {
  const uint32_t w = img.width(), h = img.height();
  const uint32_t dataSize = w * h * 3;
  // Header, then the pixel strip, then the bits-per-sample array and the directory.
  const uint32_t dataOffset = 8;
  const uint32_t bpsOffset = dataOffset + dataSize + (dataSize & 1);
  const uint32_t ifdOffset = bpsOffset + 6 + 2;
  Bytes b;
  b.reserve(ifdOffset + 2 + 10 * 12 + 4);
  PutBytes(b, "II", 2);
  PutU16(b, 42);
  PutU32(b, ifdOffset);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      Rgba c = img.Get(x, y);
      b.push_back(c.r); b.push_back(c.g); b.push_back(c.b);
    }
  if (dataSize & 1) b.push_back(0);
  PutU16(b, 8); PutU16(b, 8); PutU16(b, 8);
  PutU16(b, 0);
  struct Tag { uint16_t id, type; uint32_t count, value; };
  const Tag tags[] = {
      {256, 4, 1, w},          {257, 4, 1, h},         {258, 3, 3, bpsOffset}, {259, 3, 1, 1},
      {262, 3, 1, 2},          {273, 4, 1, dataOffset}, {277, 3, 1, 3},        {278, 4, 1, h},
      {279, 4, 1, dataSize},   {284, 3, 1, 1},
  };
  PutU16(b, sizeof(tags) / sizeof(tags[0]));
  for (const Tag& t : tags) {
    PutU16(b, t.id);
    PutU16(b, t.type);
    PutU32(b, t.count);
    if (t.type == 3 && t.count == 1) { PutU16(b, t.value); PutU16(b, 0); }
    else PutU32(b, t.value);
  }
  PutU32(b, 0);
  return b;
}

Bytes EncodeBmp24(const Image& img) {
  const uint32_t w = img.width(), h = img.height();
  const uint32_t row = (w * 3 + 3) & ~3u;
  Bytes b;
  PutBytes(b, "BM", 2);
  PutU32(b, 54 + row * h);
  PutU32(b, 0);
  PutU32(b, 54);
  PutU32(b, 40); PutU32(b, w); PutU32(b, h); PutU16(b, 1); PutU16(b, 24); PutU32(b, 0);
  PutU32(b, row * h); PutU32(b, 2835); PutU32(b, 2835); PutU32(b, 0); PutU32(b, 0);
  for (int y = int(h) - 1; y >= 0; --y) {
    for (uint32_t x = 0; x < w; ++x) {
      Rgba c = img.Get(x, y);
      b.push_back(c.b); b.push_back(c.g); b.push_back(c.r);
    }
    for (uint32_t p = w * 3; p < row; ++p) b.push_back(0);
  }
  return b;
}

Bytes EncodeTga32(const Image& img) {
  Bytes b;
  PutU8(b, 0); PutU8(b, 0); PutU8(b, 2);
  PutU16(b, 0); PutU16(b, 0); PutU8(b, 0);
  PutU16(b, 0); PutU16(b, 0);
  PutU16(b, img.width()); PutU16(b, img.height());
  PutU8(b, 32); PutU8(b, 8);
  for (int y = img.height() - 1; y >= 0; --y)
    for (int x = 0; x < img.width(); ++x) {
      Rgba c = img.Get(x, y);
      b.push_back(c.b); b.push_back(c.g); b.push_back(c.r); b.push_back(c.a);
    }
  return b;
}

std::u32string Utf8To32(const std::string& s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = s[i];
    char32_t cp;
    int n;
    if (c < 0x80) { cp = c; n = 1; }
    else if ((c >> 5) == 6) { cp = c & 0x1F; n = 2; }
    else if ((c >> 4) == 14) { cp = c & 0x0F; n = 3; }
    else { cp = c & 0x07; n = 4; }
    for (int k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    out.push_back(cp);
    i += n;
  }
  return out;
}

TextPainter::~TextPainter() {
  if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
  if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool TextPainter::Open(const std::string& fontPath) {
  FT_Library lib;
  if (FT_Init_FreeType(&lib) != 0) return false;
  library_ = lib;
  FT_Face face;
  if (FT_New_Face(lib, fontPath.c_str(), 0, &face) != 0) return false;
  face_ = face;
  return true;
}

int TextPainter::Measure(const std::string& utf8, int pixelSize) {
  if (!face_) return 0;
  FT_Face face = static_cast<FT_Face>(face_);
  FT_Set_Pixel_Sizes(face, 0, pixelSize);
  int w = 0;
  for (char32_t cp : Utf8To32(utf8))
    if (FT_Load_Char(face, cp, FT_LOAD_DEFAULT) == 0) w += face->glyph->advance.x >> 6;
  return w;
}

int TextPainter::Draw(Image& img, int x, int y, const std::string& utf8, int pixelSize, Rgba colour, int align) {
  if (!face_) return 0;
  int width = Measure(utf8, pixelSize);
  if (align == 1) x -= width / 2;
  if (align == 2) x -= width;
  FT_Face face = static_cast<FT_Face>(face_);
  FT_Set_Pixel_Sizes(face, 0, pixelSize);
  int pen = x;
  for (char32_t cp : Utf8To32(utf8)) {
    if (FT_Load_Char(face, cp, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot g = face->glyph;
    for (unsigned r = 0; r < g->bitmap.rows; ++r)
      for (unsigned c = 0; c < g->bitmap.width; ++c) {
        uint8_t cov = g->bitmap.buffer[r * g->bitmap.pitch + c];
        if (cov) img.Blend(pen + g->bitmap_left + int(c), y - g->bitmap_top + int(r), colour, cov / 255.0);
      }
    pen += g->advance.x >> 6;
  }
  return width;
}

}  // namespace tarvex::formats
