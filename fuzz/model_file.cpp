// libFuzzer: model files parsed from memory.
#include <cstddef>
#include <cstdint>

#include "model/model_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tarvex::ModelRecord record;
    tarvex::ParseModelFile(record, std::span<const uint8_t>(data, size));
    return 0;
}
