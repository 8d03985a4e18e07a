#include "resources/picture.h"

#include <algorithm>
#include <cstring>

#include "base/byte_io.h"
#include "platform/surface.h"
#include "resources/game_file.h"
#include "resources/load_limits.h"
#include "resources/tiff_client.h"

namespace tarvex {

namespace {

bool SizeAcceptable(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureWidth && height <= kMaxPictureHeight;
}

// Dithering thresholds by position p = ((cx & 1) << 1) | (cy & 1).
constexpr int kThreshold[4] = {3, 1, 0, 2};

inline int Dither(int v, int error, int step, int threshold) {
    if (error > threshold) v = std::min(v + step, 255);
    return v;
}

// Fills `surface` (already of the right size or larger) from the picture.
void FillFromPicture(Surface& surface, const BgrPicture& picture, bool bmpRows) {
    for (int y = 0; y < picture.height; ++y) {
        int cy = bmpRows ? y + 1 : picture.height - y;
        ConvertRowToDisplay(picture.bgr.data() + static_cast<size_t>(y) * picture.width * 3, picture.width, cy,
                            surface.depth, PixelRow(surface, y));
    }
    surface.dirty = true;
}

// A surface of the picture's size, filled, once the loads' budget grants its bytes.
Surface* SurfaceOf(const BgrPicture& picture, bool bmpRows) {
    Surface* created = CreateSurface(picture.width, picture.height);
    if (!created) return nullptr;
    if (!TakeLoadBytes(created->pixels.size())) {
        ReleaseSurface(created);
        return nullptr;
    }
    FillFromPicture(*created, picture, bmpRows);
    return created;
}

}  // namespace

void ConvertRowToDisplay(const uint8_t* bgr, int width, int cy, int depth, uint8_t* out) {
    if (depth != 16 && depth != 15) {
        for (int x = 0; x < width; ++x, bgr += 3, out += 4) {
            out[0] = bgr[0];
            out[1] = bgr[1];
            out[2] = bgr[2];
            out[3] = 0;
        }
        return;
    }
    const bool sixBitGreen = depth == 16;
    for (int x = 0; x < width; ++x, bgr += 3, out += 2) {
        int cx = width - x;
        int t = kThreshold[((cx & 1) << 1) | (cy & 1)];
        int b = Dither(bgr[0], (bgr[0] >> 1) & 3, 8, t);
        int g = sixBitGreen ? Dither(bgr[1], bgr[1] & 3, 4, t) : Dither(bgr[1], (bgr[1] >> 1) & 3, 8, t);
        int r = Dither(bgr[2], (bgr[2] >> 1) & 3, 8, t);
        uint16_t v = sixBitGreen ? static_cast<uint16_t>((b >> 3) | ((g & 0xFC) << 3) | ((r & 0xF8) << 8))
                                 : static_cast<uint16_t>((b >> 3) | ((g & 0xF8) << 2) | ((r & 0xF8) << 7));
        std::memcpy(out, &v, 2);
    }
}

bool DecodeBmp24(const uint8_t* data, size_t size, BgrPicture& out) {
    if (!data || size < 30) return false;
    ByteReader r(data, size);
    const uint32_t pixelOffset = r.U32At(10);
    const uint32_t width = r.U32At(18);
    const uint32_t height = r.U32At(22);
    const uint16_t bits = r.U16At(28);
    // Only 24-bit rows are laid out as read here; other depths would come out skewed.
    if (bits != 24) return false;
    if (!SizeAcceptable(width, height)) return false;
    // Every row is padded to four bytes, the last one included.
    const uint64_t rowBytes = static_cast<uint64_t>(width) * 3 + width % 4;
    if (static_cast<uint64_t>(pixelOffset) + rowBytes * height > size) return false;
    BgrPicture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.bgr.resize(static_cast<size_t>(width) * height * 3);
    for (uint32_t row = 0; row < height; ++row) {
        // File rows run bottom-up.
        r.Seek(pixelOffset + rowBytes * row);
        r.Bytes(picture.bgr.data() + static_cast<size_t>(height - 1 - row) * width * 3,
                static_cast<size_t>(width) * 3);
    }
    if (!r.ok()) return false;
    out = std::move(picture);
    return true;
}

namespace {

// The picture of an open TIFF handle; `out` untouched when it is not one the game takes.
bool DecodeOpenTiff(TIFF* tiff, BgrPicture& out) {
    uint32_t width = 0, height = 0;
    uint16_t bits = 0, samples = 0, planar = PLANARCONFIG_CONTIG, compression = COMPRESSION_NONE, photometric = 0;
    bool ok = TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) == 1 &&
              TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) == 1;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    // 8-bit RGB, contiguous, is what the game's pictures use; an alpha sample is
    // skipped and grey pictures are widened.
    const bool grey = samples == 1 && photometric == PHOTOMETRIC_MINISBLACK;
    ok = ok && bits == 8 && (samples == 3 || samples == 4 || grey) && planar == PLANARCONFIG_CONTIG &&
         SizeAcceptable(width, height);
    if (ok && compression == COMPRESSION_JPEG && photometric == PHOTOMETRIC_YCBCR)
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    ok = ok && static_cast<uint64_t>(TIFFScanlineSize64(tiff)) == static_cast<uint64_t>(width) * samples;
    BgrPicture picture;
    if (ok) {
        picture.width = static_cast<int>(width);
        picture.height = static_cast<int>(height);
        picture.bgr.resize(static_cast<size_t>(width) * height * 3);
        std::vector<uint8_t> line(static_cast<size_t>(width) * samples);
        for (uint32_t y = 0; y < height && ok; ++y) {
            if (TIFFReadScanline(tiff, line.data(), y, 0) != 1) {
                ok = false;  // truncated or corrupt pixel data
                break;
            }
            uint8_t* dst = picture.bgr.data() + static_cast<size_t>(y) * width * 3;
            const uint8_t* src = line.data();
            for (uint32_t x = 0; x < width; ++x, src += samples, dst += 3) {
                dst[0] = src[grey ? 0 : 2];
                dst[1] = src[grey ? 0 : 1];
                dst[2] = src[0];
            }
        }
    }
    if (!ok) return false;
    out = std::move(picture);
    return true;
}

}  // namespace

bool ReadTiffPicture(const std::string& path, BgrPicture& out) {
    int descriptor = -1;
    TIFF* tiff = OpenGameTiff(path, descriptor);
    if (!tiff) return false;
    const bool ok = DecodeOpenTiff(tiff, out);
    CloseGameTiff(tiff, descriptor);
    return ok;
}

bool DecodeTiffPicture(const uint8_t* data, size_t size, BgrPicture& out) {
    if (size > kMaxTiffFileBytes) return false;
    TiffBytes bytes{data, size, 0};
    TIFF* tiff = OpenTiffBytes(bytes);
    if (!tiff) return false;
    const bool ok = DecodeOpenTiff(tiff, out);
    TIFFClose(tiff);
    return ok;
}

bool LoadBmpSurface(Surface*& surface, const std::string& path) {
    if (LoadFailedBefore(LoadKind::Picture, path)) return false;
    std::vector<uint8_t> data;
    BgrPicture picture;
    if (!ReadGameFile(PicturePath(path), data, kBmpSurfaceReadLimit) || !DecodeBmp24(data.data(), data.size(), picture)) {
        NoteFailedLoad(LoadKind::Picture, path);
        return false;
    }
    Surface* created = SurfaceOf(picture, true);
    if (!created) return false;
    ReleaseSurface(surface);
    surface = created;
    return true;
}

bool LoadTiffScreen(Surface& surface, const std::string& path) {
    BgrPicture picture;
    if (!ReadTiffPicture(path, picture)) return false;
    // Writing a larger picture would run past the surface.
    if (picture.width > surface.width || picture.height > surface.height) return false;
    if (surface.depth != 32 && surface.depth != 16 && surface.depth != 15) return false;
    FillFromPicture(surface, picture, false);
    return true;
}

bool LoadTiffSurface(Surface*& surface, const std::string& path) {
    if (LoadFailedBefore(LoadKind::Picture, path)) return false;
    BgrPicture picture;
    if (!ReadTiffPicture(path, picture)) {
        NoteFailedLoad(LoadKind::Picture, path);
        return false;
    }
    Surface* created = SurfaceOf(picture, false);
    if (!created) return false;
    ReleaseSurface(surface);
    surface = created;
    return true;
}

bool LoadTiffPixels(uint8_t* buffer, size_t bufferSize, const std::string& path, int* width, int* height) {
    if (!buffer) return false;
    BgrPicture picture;
    if (!ReadTiffPicture(path, picture)) return false;
    const size_t pixels = static_cast<size_t>(picture.width) * picture.height;
    if (pixels * 4 > bufferSize) return false;
    for (size_t i = 0; i < pixels; ++i) std::memcpy(buffer + 4 * i, picture.bgr.data() + 3 * i, 3);
    if (width) *width = picture.width;
    if (height) *height = picture.height;
    return true;
}

bool LoadBmpWide(uint8_t* buffer, size_t bufferSize, const std::string& path, int* width, int* height) {
    if (!buffer) return false;
    std::vector<uint8_t> data;
    if (!ReadGameFile(PicturePath(path), data, kBmpWideReadLimit)) return false;
    BgrPicture picture;
    if (!DecodeBmp24(data.data(), data.size(), picture)) return false;
    const size_t pixels = static_cast<size_t>(picture.width) * picture.height;
    if (pixels * 8 > bufferSize) return false;
    for (size_t i = 0; i < pixels; ++i) {
        uint16_t lanes[4] = {picture.bgr[3 * i], picture.bgr[3 * i + 1], picture.bgr[3 * i + 2], 0};
        std::memcpy(buffer + 8 * i, lanes, 8);
    }
    if (width) *width = picture.width;
    if (height) *height = picture.height;
    return true;
}

}  // namespace tarvex
