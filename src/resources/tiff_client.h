// libtiff client callbacks over a packaged picture: the descriptor is the package,
// positioned by OpenPackedFileFd; positions are relative to openedEntry.offset and the
// file ends at openedEntry.size.
#pragma once
#include <tiffio.h>

#include <cstdint>
#include <string>

namespace tarvex {

tmsize_t TiffClientRead(thandle_t handle, void* buffer, tmsize_t n);
tmsize_t TiffClientWrite(thandle_t handle, void* buffer, tmsize_t n);
toff_t TiffClientSeek(thandle_t handle, toff_t position, int whence);
int TiffClientClose(thandle_t handle);
toff_t TiffClientSize(thandle_t handle);
int TiffClientMap(thandle_t handle, void** base, toff_t* size);
void TiffClientUnmap(thandle_t handle, void* base, toff_t size);

// A TIFF handle over an open packaged descriptor (empty name, mode "r"). The caller
// closes the handle, then the descriptor.
TIFF* OpenPackagedTiff(int descriptor);

// A TIFF handle over a file's bytes in memory, which outlive the handle (close it with
// TIFFClose). One handle a thread: each has its own position.
struct TiffBytes {
    const uint8_t* data;
    uint64_t size;
    uint64_t position;
};
TIFF* OpenTiffBytes(TiffBytes& bytes);

// A TIFF picture of the game is at most 800 x 600 pixels (1.4 MB uncompressed); a larger
// file, with whatever else it carries, is refused from its size before libtiff reads it.
constexpr uint64_t kMaxTiffFileBytes = 32u << 20;

// Opens a game picture by the loose-first rule. With the package path taken,
// `descriptor` holds the package (close it after TIFFClose) and openedEntry.fromPackage
// is set; otherwise -1. nullptr when the picture is missing, larger than
// kMaxTiffFileBytes or not a TIFF.
TIFF* OpenGameTiff(const std::string& path, int& descriptor);
void CloseGameTiff(TIFF* tiff, int& descriptor);

}  // namespace tarvex
