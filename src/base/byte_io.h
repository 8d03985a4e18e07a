// Little-endian binary reading and writing with checked bounds, shared by every binary
// format of the engine (packages, pictures, textures, sounds, models, the configuration,
// saved games). A read past the end yields zeros and marks the reader failed; callers
// read a whole record and then ask `ok()` once.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace tarvex {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
    explicit ByteReader(std::span<const uint8_t> bytes) : ByteReader(bytes.data(), bytes.size()) {}

    bool ok() const { return ok_; }
    size_t position() const { return position_; }
    size_t size() const { return size_; }
    size_t remaining() const { return size_ - position_; }
    bool AtEnd() const { return position_ == size_; }

    // Moves to an absolute position (at most the size); false and failed beyond it.
    bool Seek(size_t position);
    bool Skip(size_t count);

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int16_t I16() { return static_cast<int16_t>(U16()); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    float F32();
    // `count` floats in a row (copied as they are on a little-endian host); on a short read
    // the target is zeroed and the reader fails.
    bool F32s(float* out, size_t count);
    // Big-endian values, for the few formats that store them so (the floor depth).
    uint16_t U16Be();
    uint32_t U32Be();
    // Copies `count` bytes; on a short read the target is zeroed and the reader fails.
    bool Bytes(void* out, size_t count);
    // A view of the next `count` bytes (empty, and failed, when there are not so many).
    std::span<const uint8_t> View(size_t count);

    // Values at an absolute position, leaving the position as it is (0 and failed when
    // outside the data).
    uint16_t U16At(size_t offset);
    uint32_t U32At(size_t offset);

private:
    bool Take(size_t count, const uint8_t*& at);
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
    bool ok_ = true;
};

class ByteWriter {
public:
    void U8(uint8_t v) { out_.push_back(v); }
    void U16(uint16_t v);
    void U32(uint32_t v);
    void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v);
    void Bytes(const void* data, size_t count);
    void Zeros(size_t count) { out_.insert(out_.end(), count, 0); }
    // Room for `count` bytes in all, so that a large output is not moved as it grows.
    void Reserve(size_t count) { out_.reserve(count); }
    // Overwrites bytes already written (sizes and offsets known only later).
    void U32At(size_t offset, uint32_t v);

    size_t size() const { return out_.size(); }
    const std::vector<uint8_t>& bytes() const { return out_; }
    std::vector<uint8_t> Take() { return std::move(out_); }

private:
    std::vector<uint8_t> out_;
};

// Fixed-size records: one list of fields (offset, place in memory, byte count) serves
// both the writing and the reading of a record, so the two can never disagree. Numbers
// are stored little-endian, as the host holds them.
template <typename Fields, typename Record>
void WriteRecord(const Record& record, uint8_t* out, size_t size, Fields&& fields) {
    std::memset(out, 0, size);
    fields(const_cast<Record&>(record), [out, size](size_t offset, const void* value, size_t n) {
        if (offset + n <= size) std::memcpy(out + offset, value, n);
    });
}

template <typename Fields, typename Record>
void ReadRecord(Record& record, const uint8_t* in, size_t size, Fields&& fields) {
    fields(record, [in, size](size_t offset, void* value, size_t n) {
        if (offset + n <= size) std::memcpy(value, in + offset, n);
    });
}

}  // namespace tarvex
