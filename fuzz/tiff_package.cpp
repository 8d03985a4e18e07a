// libFuzzer: a TIFF picture as the game reads it, from inside a package ("gfx.res" with
// one entry) through the package layer into libtiff: the scene-picture reader and the
// frame-sequence pixel reader; and from its bytes in memory, as the scene's read-ahead does.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "resources/file_lookup.h"
#include "resources/picture.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The package: a count, one 136-byte entry (name, offset, size), then the picture.
    std::vector<uint8_t> package(4 + 136 + size, 0);
    const uint32_t count = 1, offset = 4 + 136, length = static_cast<uint32_t>(size);
    std::memcpy(package.data(), &count, 4);
    std::strcpy(reinterpret_cast<char*>(package.data() + 4), "gfx/picture.tif");
    std::memcpy(package.data() + 4 + 128, &offset, 4);
    std::memcpy(package.data() + 4 + 132, &length, 4);
    if (size) std::memcpy(package.data() + offset, data, size);
    fuzz::WriteScratch("gfx.res", package.data(), package.size());

    fuzz::InScratch here;
    tarvex::ClearFileLookupCache();
    tarvex::BgrPicture picture;
    tarvex::ReadTiffPicture("gfx/picture.tif", picture);
    static std::vector<uint8_t> pixels(800 * 600 * 4);
    int width = 0, height = 0;
    tarvex::LoadTiffPixels(pixels.data(), pixels.size(), "gfx/picture.tif", &width, &height);
    tarvex::DecodeTiffPicture(data, size, picture);
    return 0;
}
