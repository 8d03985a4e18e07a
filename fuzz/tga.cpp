// TGA texture files, raw and run-length.
#include "resources/texture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tarvex::DecodedTexture texture;
    tarvex::DecodeTga(data, size, texture);
    return 0;
}
