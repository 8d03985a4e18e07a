// libFuzzer target: the shared byte reader against a plain model of it. The input is
// split into a payload and a list of operations (reads, seeks, skips, views, reads at an
// offset, with sizes near zero, near the end and near the largest size_t); after each
// one the value, position and failure flag must be the model's (also for floats in bulk).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "base/byte_io.h"

namespace {

struct Model {
    const uint8_t* data;
    size_t size;
    size_t position = 0;
    bool ok = true;

    // Bytes that a read of `n` takes, or nullptr and failed.
    const uint8_t* Take(size_t n) {
        if (!ok || n > size - position) {
            ok = false;
            position = size;
            return nullptr;
        }
        const uint8_t* at = data + position;
        position += n;
        return at;
    }
};

uint64_t Little(const uint8_t* p, size_t n) {
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

uint64_t Big(const uint8_t* p, size_t n) {
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v = v << 8 | p[i];
    return v;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t payloadSize = static_cast<size_t>(data[0]) * (size - 1) / 255;
    const uint8_t* payload = data + 1;
    const uint8_t* ops = payload + payloadSize;
    const size_t opBytes = size - 1 - payloadSize;

    tarvex::ByteReader reader(payload, payloadSize);
    Model model{payload, payloadSize};
    for (size_t i = 0; i + 2 <= opBytes; i += 2) {
        const uint8_t kind = ops[i] & 15;
        // Arguments: small, around the payload's size, or near the top of size_t.
        size_t arg = ops[i + 1];
        if (ops[i] & 0x10) arg = payloadSize + (ops[i + 1] & 7) - 4;
        if (ops[i] & 0x20) arg = std::numeric_limits<size_t>::max() - (ops[i + 1] & 7);
        switch (kind) {
        case 0: {
            const uint8_t* at = model.Take(1);
            Check(reader.U8() == (at ? at[0] : 0));
            break;
        }
        case 1: {
            const uint8_t* at = model.Take(2);
            Check(reader.U16() == (at ? Little(at, 2) : 0));
            break;
        }
        case 2: {
            const uint8_t* at = model.Take(4);
            Check(reader.U32() == (at ? Little(at, 4) : 0));
            break;
        }
        case 3: {
            const uint8_t* at = model.Take(2);
            Check(reader.U16Be() == (at ? Big(at, 2) : 0));
            break;
        }
        case 4: {
            const uint8_t* at = model.Take(4);
            Check(reader.U32Be() == (at ? Big(at, 4) : 0));
            break;
        }
        case 5: {
            const uint8_t* at = model.Take(4);
            const float v = reader.F32();
            uint32_t bits;
            std::memcpy(&bits, &v, 4);
            Check(bits == (at ? Little(at, 4) : 0));
            break;
        }
        case 6: {
            const bool moved = arg <= model.size;
            if (moved) model.position = arg;
            else {
                model.ok = false;
                model.position = model.size;
            }
            Check(reader.Seek(arg) == (moved && model.ok));
            break;
        }
        case 7: {
            const bool took = model.Take(arg) != nullptr;
            Check(reader.Skip(arg) == took);
            break;
        }
        case 8: {
            const uint8_t* at = model.Take(arg);
            const std::span<const uint8_t> view = reader.View(arg);
            Check(at ? view.data() == at && view.size() == arg : view.empty());
            break;
        }
        case 9: {
            const size_t n = arg % 65;
            uint8_t out[64];
            const uint8_t* at = model.Take(n);
            Check(reader.Bytes(out, n) == (at != nullptr));
            for (size_t k = 0; k < n; ++k) Check(out[k] == (at ? at[k] : 0));
            break;
        }
        case 10:
        case 11: {
            const size_t n = kind == 10 ? 2 : 4;
            const bool inside = arg <= model.size && model.size - arg >= n;
            if (!inside) model.ok = false;
            const uint64_t v = kind == 10 ? reader.U16At(arg) : reader.U32At(arg);
            Check(v == (inside ? Little(model.data + arg, n) : 0));
            break;
        }
        case 12: {
            // Floats in bulk: a few, or a count whose bytes overflow size_t, which only fails.
            const size_t n = (ops[i] & 0x20) ? arg : arg % 17;
            float out[16];
            const uint8_t* at = n <= 16 ? model.Take(4 * n) : nullptr;
            if (n > 16) {
                model.ok = false;
                model.position = model.size;
            }
            Check(reader.F32s(out, n) == (at != nullptr));
            for (size_t k = 0; n <= 16 && k < n; ++k) {
                uint32_t bits;
                std::memcpy(&bits, &out[k], 4);
                Check(bits == (at ? Little(at + 4 * k, 4) : 0));
            }
            break;
        }
        default:
            break;
        }
        Check(reader.position() == model.position);
        Check(reader.ok() == model.ok);
        Check(reader.remaining() == model.size - model.position);
        Check(reader.position() <= reader.size());
    }
    return 0;
}
