// libFuzzer target: the text table reader on arbitrary bytes, with and without tab
// separators. Every line it keeps must fit in the input and in the line limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "text/text_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t characters = size / 2;
    for (bool allowTab : {false, true}) {
        const tarvex::TextTable table = tarvex::ParseTextTable(data, size, allowTab);
        if (!table.present) std::abort();
        size_t total = 0;
        for (const auto& [id, text] : table.lines) {
            if (text.size() > tarvex::kTextLineLimit) std::abort();
            total += text.size();
            // Touch every character so the sanitizer sees any bad copy.
            unsigned sum = static_cast<unsigned>(id);
            for (char16_t c : text) sum += c;
            volatile unsigned sink = sum;
            (void)sink;
        }
        if (total > characters) std::abort();
    }
    return 0;
}
