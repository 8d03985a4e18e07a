// BMP pictures: the 24-bit surface reader with its display conversion, and the texture reader.
#include <vector>

#include "resources/picture.h"
#include "resources/texture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tarvex::BgrPicture picture;
    if (tarvex::DecodeBmp24(data, size, picture)) {
        std::vector<uint8_t> row(static_cast<size_t>(picture.width) * 4);
        for (int depth : {32, 16, 15})
            for (int y = 0; y < picture.height; ++y)
                tarvex::ConvertRowToDisplay(picture.bgr.data() + static_cast<size_t>(y) * picture.width * 3,
                                            picture.width, y + 1, depth, row.data());
    }
    tarvex::DecodedTexture texture;
    tarvex::DecodeBmpTexture(data, size, texture);
    return 0;
}
