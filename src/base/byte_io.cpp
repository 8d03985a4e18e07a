#include "base/byte_io.h"

#include <bit>

namespace tarvex {

bool ByteReader::Take(size_t count, const uint8_t*& at) {
    if (!ok_ || count > size_ - position_) {
        ok_ = false;
        position_ = size_;
        return false;
    }
    at = data_ + position_;
    position_ += count;
    return true;
}

bool ByteReader::Seek(size_t position) {
    if (position > size_) {
        ok_ = false;
        position_ = size_;
        return false;
    }
    position_ = position;
    return ok_;
}

bool ByteReader::Skip(size_t count) {
    const uint8_t* at = nullptr;
    return Take(count, at);
}

uint8_t ByteReader::U8() {
    const uint8_t* at = nullptr;
    return Take(1, at) ? at[0] : 0;
}

uint16_t ByteReader::U16() {
    const uint8_t* at = nullptr;
    return Take(2, at) ? static_cast<uint16_t>(at[0] | (at[1] << 8)) : 0;
}

uint32_t ByteReader::U32() {
    const uint8_t* at = nullptr;
    if (!Take(4, at)) return 0;
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

uint16_t ByteReader::U16Be() {
    const uint8_t* at = nullptr;
    return Take(2, at) ? static_cast<uint16_t>(at[0] << 8 | at[1]) : 0;
}

uint32_t ByteReader::U32Be() {
    const uint8_t* at = nullptr;
    if (!Take(4, at)) return 0;
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 | static_cast<uint32_t>(at[2]) << 8 |
           static_cast<uint32_t>(at[3]);
}

float ByteReader::F32() {
    const uint32_t bits = U32();
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

bool ByteReader::F32s(float* out, size_t count) {
    if (count > SIZE_MAX / 4) {
        ok_ = false;
        position_ = size_;
        return false;
    }
    if constexpr (std::endian::native == std::endian::little) return Bytes(out, count * 4);
    for (size_t i = 0; i < count; ++i) out[i] = F32();
    return ok();
}

bool ByteReader::Bytes(void* out, size_t count) {
    const uint8_t* at = nullptr;
    if (!Take(count, at)) {
        if (count) std::memset(out, 0, count);
        return false;
    }
    if (count) std::memcpy(out, at, count);
    return true;
}

std::span<const uint8_t> ByteReader::View(size_t count) {
    const uint8_t* at = nullptr;
    if (!Take(count, at)) return {};
    return {at, count};
}

uint16_t ByteReader::U16At(size_t offset) {
    if (offset > size_ || size_ - offset < 2) {
        ok_ = false;
        return 0;
    }
    return static_cast<uint16_t>(data_[offset] | (data_[offset + 1] << 8));
}

uint32_t ByteReader::U32At(size_t offset) {
    if (offset > size_ || size_ - offset < 4) {
        ok_ = false;
        return 0;
    }
    const uint8_t* at = data_ + offset;
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

void ByteWriter::U16(uint16_t v) {
    out_.push_back(static_cast<uint8_t>(v));
    out_.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::F32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    U32(bits);
}

void ByteWriter::Bytes(const void* data, size_t count) {
    const auto* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + count);
}

void ByteWriter::U32At(size_t offset, uint32_t v) {
    if (offset > out_.size() || out_.size() - offset < 4) return;
    for (int i = 0; i < 4; ++i) out_[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace tarvex
