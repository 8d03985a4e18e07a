// Readers for an artist's files: pictures (PNG, JPEG, TIFF) and depth passes (16-bit PNG,
// PFM, OpenEXR). Every reader checks sizes and counts before it allocates, and refuses a
// damaged file with a message.
#include <cstddef>
#include <cstdio>
// libjpeg's header needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfIO.h>
#include <ImfInputFile.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <limits>
#include <memory>

#include "formats/scene_maker.h"

namespace tarvex::formats {

namespace {

// The largest picture or depth pass taken: an 8K render fits, and even its 16-bit RGBA
// decoding stays within a few hundred megabytes.
constexpr long long kMaxPixels = 40LL * 1000 * 1000;

// The picture's size, checked before anything is allocated for it: within the limit, and
// plausible for the file (no coding these files use packs more than 4,096 pixels a byte;
// deflate stops near 1,032 bytes a byte), so that a small damaged file cannot claim a huge one.
bool SizeAllowed(long long width, long long height, size_t fileBytes) {
  return width > 0 && height > 0 && width <= 65535 && height <= 65535 && width * height <= kMaxPixels &&
         width * height <= 4096LL * static_cast<long long>(fileBytes);
}

bool StartsWith(const Bytes& b, const char* magic, size_t n) {
  return b.size() >= n && std::memcmp(b.data(), magic, n) == 0;
}

// ---- PNG ----

struct PngReadState {
  const Bytes* bytes = nullptr;
  size_t offset = 0;
  char message[256] = "damaged";
};

void PngRead(png_structp png, png_bytep out, png_size_t n) {
  auto* s = static_cast<PngReadState*>(png_get_io_ptr(png));
  if (n > s->bytes->size() - s->offset) png_error(png, "the file ends early");
  std::memcpy(out, s->bytes->data() + s->offset, n);
  s->offset += n;
}

void PngError(png_structp png, png_const_charp message) {
  auto* s = static_cast<PngReadState*>(png_get_error_ptr(png));
  std::snprintf(s->message, sizeof s->message, "%s", message);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// A PNG decoded to `channels` samples a pixel of 8 or 16 bits (as the file holds them);
// grey, grey with alpha, palette and RGB(A) pictures are expanded first.
struct PngPixels {
  int width = 0, height = 0, channels = 0, bits = 0;
  bool grey = false;
  std::vector<uint16_t> samples;
};

bool DecodePng(const Bytes& bytes, PngPixels& out, std::string& error) {
  PngReadState state;
  state.bytes = &bytes;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
  if (!png) return error = "out of memory", false;
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  std::vector<uint8_t> data;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    error = std::string("a damaged PNG (") + state.message + ")";
    return false;
  }
  png_set_read_fn(png, &state, PngRead);
  png_set_user_limits(png, 65535, 65535);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (!SizeAllowed(w, h, bytes.size())) png_error(png, "too large for its file");
  const int colour = png_get_color_type(png, info);
  out.grey = !(colour & PNG_COLOR_MASK_COLOR);
  if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (png_get_bit_depth(png, info) < 8) png_set_expand(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  out.width = static_cast<int>(w);
  out.height = static_cast<int>(h);
  out.channels = png_get_channels(png, info);
  out.bits = png_get_bit_depth(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  if (out.channels < 1 || out.channels > 4 || rowBytes != size_t(w) * out.channels * (out.bits / 8))
    png_error(png, "an unexpected layout");
  data.resize(rowBytes * h);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = data.data() + rowBytes * y;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  out.samples.resize(size_t(w) * h * out.channels);
  for (size_t i = 0; i < out.samples.size(); ++i)
    out.samples[i] = out.bits == 16 ? uint16_t(data[2 * i] << 8 | data[2 * i + 1]) : data[i];
  return true;
}

bool PngToImage(const PngPixels& p, Image& image) {
  image = Image(p.width, p.height);
  const int shift = p.bits == 16 ? 8 : 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const uint16_t* s = &p.samples[(size_t(y) * p.width + x) * p.channels];
      Rgba c;
      if (p.channels <= 2) {
        c.r = c.g = c.b = uint8_t(s[0] >> shift);
        if (p.channels == 2) c.a = uint8_t(s[1] >> shift);
      } else {
        c.r = uint8_t(s[0] >> shift), c.g = uint8_t(s[1] >> shift), c.b = uint8_t(s[2] >> shift);
        if (p.channels == 4) c.a = uint8_t(s[3] >> shift);
      }
      image.Set(x, y, c);
    }
  return true;
}

// ---- JPEG ----

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX] = "";
};

void JpegExit(j_common_ptr info) {
  auto* e = reinterpret_cast<JpegError*>(info->err);
  e->manager.format_message(info, e->message);
  std::longjmp(e->jump, 1);
}

void JpegOutput(j_common_ptr) {}

bool DecodeJpeg(const Bytes& bytes, Image& image, std::string& error) {
  jpeg_decompress_struct info;
  std::memset(&info, 0, sizeof info);
  JpegError err;
  info.err = jpeg_std_error(&err.manager);
  err.manager.error_exit = JpegExit;
  err.manager.output_message = JpegOutput;
  std::vector<uint8_t> row;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&info);
    error = std::string("a damaged JPEG (") + err.message + ")";
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  if (!SizeAllowed(info.image_width, info.image_height, bytes.size())) {
    jpeg_destroy_decompress(&info);
    error = "a JPEG too large to take";
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_components != 3) {
    jpeg_destroy_decompress(&info);
    error = "a JPEG that does not decode to RGB";
    return false;
  }
  image = Image(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
  row.resize(size_t(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW r = row.data();
    const int y = static_cast<int>(info.output_scanline);
    if (jpeg_read_scanlines(&info, &r, 1) != 1) break;
    for (int x = 0; x < image.width(); ++x) image.Set(x, y, {row[3 * x], row[3 * x + 1], row[3 * x + 2], 255});
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

// ---- TIFF ----

struct TiffMemory {
  const Bytes* bytes;
  toff_t offset = 0;
};

tmsize_t TiffRead(thandle_t h, void* out, tmsize_t n) {
  auto* m = static_cast<TiffMemory*>(h);
  if (n < 0 || m->offset > m->bytes->size()) return 0;
  const tmsize_t left = static_cast<tmsize_t>(m->bytes->size() - m->offset);
  const tmsize_t take = n < left ? n : left;
  std::memcpy(out, m->bytes->data() + m->offset, static_cast<size_t>(take));
  m->offset += static_cast<toff_t>(take);
  return take;
}
tmsize_t TiffWrite(thandle_t, void*, tmsize_t) { return 0; }
toff_t TiffSeek(thandle_t h, toff_t offset, int whence) {
  auto* m = static_cast<TiffMemory*>(h);
  const toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->offset : m->bytes->size();
  m->offset = base + offset;
  return m->offset;
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) { return static_cast<TiffMemory*>(h)->bytes->size(); }
int TiffMap(thandle_t, void**, toff_t*) { return 0; }
void TiffUnmap(thandle_t, void*, toff_t) {}

bool DecodeTiff(const Bytes& bytes, Image& image, std::string& error) {
  // libtiff's own messages would go to stderr; the refusal below says what matters.
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  TiffMemory memory{&bytes};
  TIFF* tif = TIFFClientOpen("picture", "rm", &memory, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap,
                             TiffUnmap);
  if (!tif) return error = "a damaged TIFF", false;
  uint32_t w = 0, h = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  char message[1024] = "";
  const bool sizeAllowed = SizeAllowed(w, h, bytes.size());
  if (!sizeAllowed || !TIFFRGBAImageOK(tif, message)) {
    TIFFClose(tif);
    error = sizeAllowed ? std::string("a TIFF this reader cannot take (") + message + ")"
                              : "a TIFF too large to take";
    return false;
  }
  std::vector<uint32_t> raster(size_t(w) * h);
  const int ok = TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0);
  TIFFClose(tif);
  if (!ok) return error = "a damaged TIFF", false;
  image = Image(static_cast<int>(w), static_cast<int>(h));
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t p = raster[size_t(y) * w + x];
      image.Set(int(x), int(y),
                {uint8_t(TIFFGetR(p)), uint8_t(TIFFGetG(p)), uint8_t(TIFFGetB(p)), uint8_t(TIFFGetA(p))});
    }
  return true;
}

// ---- depth passes ----

float NoDepth() { return std::numeric_limits<float>::quiet_NaN(); }

float Normalised(double v, bool normalised, double nearValue, double farValue) {
  return normalised ? float(nearValue + v * (farValue - nearValue)) : float(v);
}

bool DepthFromPng(const Bytes& bytes, bool normalised, double nearValue, double farValue, DepthPass& depth,
                  std::string& error) {
  PngPixels p;
  if (!DecodePng(bytes, p, error)) return false;
  if (p.bits != 16)
    return error = "an 8-bit PNG: a depth pass needs 16 bits (or PFM, or OpenEXR)", false;
  depth.width = p.width;
  depth.height = p.height;
  depth.values.resize(size_t(p.width) * p.height);
  for (size_t i = 0; i < depth.values.size(); ++i) {
    const uint16_t v = p.samples[i * p.channels];
    depth.values[i] = normalised ? Normalised(v / 65535.0, true, nearValue, farValue) : v == 0 ? NoDepth() : float(v);
  }
  return true;
}

// PFM: "Pf" (grey) or "PF" (colour, the first channel taken), width and height, a scale
// whose sign gives the byte order; rows bottom-up.
bool DepthFromPfm(const Bytes& bytes, bool normalised, double nearValue, double farValue, DepthPass& depth,
                  std::string& error) {
  const int channels = bytes[1] == 'F' ? 3 : 1;
  size_t at = 2;
  auto token = [&](std::string& out) {
    while (at < bytes.size() && std::isspace(bytes[at])) ++at;
    out.clear();
    while (at < bytes.size() && !std::isspace(bytes[at]) && out.size() < 32) out += char(bytes[at++]);
    return !out.empty();
  };
  std::string ws, hs, ss;
  if (!token(ws) || !token(hs) || !token(ss) || at >= bytes.size()) return error = "a damaged PFM header", false;
  ++at;  // the single white-space character before the data
  char* end = nullptr;
  const long long w = std::strtoll(ws.c_str(), &end, 10);
  if (*end) return error = "a damaged PFM header", false;
  const long long h = std::strtoll(hs.c_str(), &end, 10);
  if (*end) return error = "a damaged PFM header", false;
  const double scale = std::strtod(ss.c_str(), &end);
  if (*end || scale == 0 || !std::isfinite(scale)) return error = "a damaged PFM header", false;
  if (!SizeAllowed(w, h, bytes.size())) return error = "a PFM of an impossible size", false;
  const size_t need = size_t(w) * size_t(h) * channels * 4;
  if (bytes.size() - at < need) return error = "a PFM shorter than its pixels", false;
  const bool little = scale < 0;
  depth.width = int(w);
  depth.height = int(h);
  depth.values.resize(size_t(w) * h);
  for (long long y = 0; y < h; ++y)
    for (long long x = 0; x < w; ++x) {
      const uint8_t* s = &bytes[at + (size_t(h - 1 - y) * w + x) * channels * 4];
      const uint32_t bits = little ? uint32_t(s[0]) | uint32_t(s[1]) << 8 | uint32_t(s[2]) << 16 | uint32_t(s[3]) << 24
                                   : uint32_t(s[3]) | uint32_t(s[2]) << 8 | uint32_t(s[1]) << 16 | uint32_t(s[0]) << 24;
      float v;
      std::memcpy(&v, &bits, 4);
      depth.values[size_t(y) * w + x] = Normalised(v, normalised, nearValue, farValue);
    }
  return true;
}

// The file's bytes as an OpenEXR stream; reading past the end throws, as the library expects.
class ExrMemory : public Imf::IStream {
 public:
  explicit ExrMemory(const Bytes& bytes) : Imf::IStream("depth pass"), bytes_(bytes) {}
  bool read(char c[], int n) override {
    if (n < 0 || position_ > bytes_.size() || size_t(n) > bytes_.size() - position_)
      throw std::runtime_error("the file ends early");
    std::memcpy(c, bytes_.data() + position_, size_t(n));
    position_ += size_t(n);
    return position_ < bytes_.size();
  }
  uint64_t tellg() override { return position_; }
  void seekg(uint64_t position) override { position_ = position; }

 private:
  const Bytes& bytes_;
  uint64_t position_ = 0;
};

// The data window of a single-part OpenEXR file, read from its header before the library
// sees the file: the library would size its tables from a damaged window before any check.
bool ExrDataWindow(const Bytes& bytes, long long& width, long long& height, std::string& error) {
  if (bytes.size() < 8) return error = "an OpenEXR file cut short in its header", false;
  const uint32_t flags = uint32_t(bytes[4]) | uint32_t(bytes[5]) << 8 | uint32_t(bytes[6]) << 16 | uint32_t(bytes[7]) << 24;
  if (flags & 0x1800u) return error = "a multi-part or deep OpenEXR file: save the depth as one plain image", false;
  size_t at = 8;
  auto text = [&](std::string& out) {
    out.clear();
    while (at < bytes.size() && bytes[at] != 0 && out.size() < 256) out += char(bytes[at++]);
    return at++ < bytes.size() && out.size() < 256;
  };
  std::string name, type;
  while (text(name) && !name.empty()) {
    if (!text(type) || bytes.size() - at < 4) break;
    const uint32_t size = uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                          uint32_t(bytes[at + 3]) << 24;
    at += 4;
    if (size > bytes.size() - at) break;
    if (name == "dataWindow" && type == "box2i" && size == 16) {
      int32_t box[4];
      std::memcpy(box, &bytes[at], 16);
      width = (long long)box[2] - box[0] + 1, height = (long long)box[3] - box[1] + 1;
      return true;
    }
    at += size;
  }
  return error = "a damaged OpenEXR header (no data window)", false;
}

// OpenEXR: the channel named Z (or ending in ".Z", as multi-layer files name it), else R, else Y.
bool DepthFromExr(const Bytes& bytes, bool normalised, double nearValue, double farValue, DepthPass& depth,
                  std::string& error) {
  long long w = 0, h = 0;
  if (!ExrDataWindow(bytes, w, h, error)) return false;
  if (!SizeAllowed(w, h, bytes.size())) return error = "an OpenEXR file of an impossible size", false;
  try {
    ExrMemory stream(bytes);
    Imf::InputFile file(stream);
    const Imf::ChannelList& list = file.header().channels();
    std::string chosen, names;
    for (const char* wanted : {"Z", "R", "Y"}) {
      for (auto it = list.begin(); it != list.end() && chosen.empty(); ++it) {
        const std::string name = it.name();
        const std::string suffix = std::string(".") + wanted;
        if (name == wanted || (name.size() > suffix.size() && name.ends_with(suffix))) chosen = name;
      }
      if (!chosen.empty()) break;
    }
    for (auto it = list.begin(); it != list.end(); ++it) names += std::string(names.empty() ? "" : ", ") + it.name();
    if (chosen.empty()) return error = "an OpenEXR file without a Z, R or Y channel (it has " + names + ")", false;
    const Imath::Box2i window = file.header().dataWindow();
    if ((long long)window.max.x - window.min.x + 1 != w || (long long)window.max.y - window.min.y + 1 != h)
      return error = "a damaged OpenEXR header", false;
    const Imf::Channel& channel = list[chosen.c_str()];
    if (channel.xSampling != 1 || channel.ySampling != 1)
      return error = "an OpenEXR channel " + chosen + " that is subsampled", false;
    std::vector<float> values(size_t(w) * h);
    Imf::FrameBuffer frame;
    // The library places the data window's corner at the start of `values`.
    frame.insert(chosen.c_str(),
                 Imf::Slice::Make(Imf::FLOAT, values.data(), window, sizeof(float), sizeof(float) * w, 1, 1, NoDepth()));
    file.setFrameBuffer(frame);
    file.readPixels(window.min.y, window.max.y);
    depth.width = int(w);
    depth.height = int(h);
    depth.values.resize(values.size());
    for (size_t i = 0; i < values.size(); ++i) depth.values[i] = Normalised(values[i], normalised, nearValue, farValue);
    return true;
  } catch (const std::exception& e) {
    error = std::string("a damaged OpenEXR file (") + e.what() + ")";
    return false;
  }
}

}  // namespace

bool DecodePicture(const Bytes& bytes, Image& image, std::string& error) {
  if (StartsWith(bytes, "\x89PNG\r\n\x1a\n", 8)) {
    PngPixels p;
    return DecodePng(bytes, p, error) && PngToImage(p, image);
  }
  if (StartsWith(bytes, "\xFF\xD8\xFF", 3)) return DecodeJpeg(bytes, image, error);
  if (StartsWith(bytes, "II*\0", 4) || StartsWith(bytes, "MM\0*", 4)) return DecodeTiff(bytes, image, error);
  error = "not a PNG, JPEG or TIFF picture";
  return false;
}

bool DecodeDepth(const Bytes& bytes, bool normalised, double nearValue, double farValue, DepthPass& depth,
                 std::string& error) {
  if (StartsWith(bytes, "\x89PNG\r\n\x1a\n", 8)) return DepthFromPng(bytes, normalised, nearValue, farValue, depth, error);
  if (StartsWith(bytes, "Pf", 2) || StartsWith(bytes, "PF", 2))
    return DepthFromPfm(bytes, normalised, nearValue, farValue, depth, error);
  if (StartsWith(bytes, "\x76\x2f\x31\x01", 4)) return DepthFromExr(bytes, normalised, nearValue, farValue, depth, error);
  error = "not a 16-bit PNG, PFM or OpenEXR depth pass";
  return false;
}

bool ReadPictureFile(const std::string& path, Image& image, std::string& error) {
  Bytes bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  if (DecodePicture(bytes, image, error)) return true;
  error = path + ": " + error;
  return false;
}

bool ReadDepthFile(const std::string& path, bool normalised, double nearValue, double farValue, DepthPass& depth,
                   std::string& error) {
  Bytes bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  if (DecodeDepth(bytes, normalised, nearValue, farValue, depth, error)) return true;
  error = path + ": " + error;
  return false;
}

}  // namespace tarvex::formats
