// An artist's files for make-scene: pictures (PNG, JPEG, TIFF) and depth passes (16-bit PNG,
// PFM, OpenEXR), each input read both ways, the depth normalised on odd sizes.
#include <string>

#include "formats/scene_maker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tarvex::formats::Bytes bytes(data, data + size);
    tarvex::formats::Image image;
    tarvex::formats::DepthPass depth;
    std::string error;
    tarvex::formats::DecodePicture(bytes, image, error);
    tarvex::formats::DecodeDepth(bytes, size % 2 == 1, 0, 1000, depth, error);
    return 0;
}
