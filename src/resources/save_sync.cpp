#include "resources/save_sync.h"

#include <cmath>
#include <cstring>

#include "resources/file_lookup.h"

namespace tarvex {

bool Terminated(const char* name, size_t size) { return std::memchr(name, 0, size) != nullptr; }
bool InsideGame(const char* name) { return name[0] == 0 || IsGamePath(name); }
bool Finite(float v) { return std::isfinite(v); }

void SaveSync::Sync(int32_t& v) {
    if (Writing())
        out_->I32(v);
    else
        v = in_->I32();
}

void SaveSync::Sync(uint32_t& v) {
    if (Writing())
        out_->U32(v);
    else
        v = in_->U32();
}

void SaveSync::Sync(float& v) {
    if (Writing())
        out_->F32(v);
    else
        v = in_->F32();
}

void SaveSync::Sync(uint16_t& v) {
    if (Writing())
        out_->U16(v);
    else
        v = in_->U16();
}

void SaveSync::Sync(uint8_t& v) {
    if (Writing())
        out_->U8(v);
    else
        v = in_->U8();
}

void SaveSync::RecordSize(uint32_t size, const char* why) {
    uint32_t stored = size;
    Sync(stored);
    Require(Short() || stored == size, why);
}

void SaveSync::Bytes(const void* data, size_t size) {
    if (Writing()) out_->Bytes(data, size);
}

std::span<const uint8_t> SaveSync::Image(size_t size, const char* why) {
    if (Writing()) return {};
    const std::span<const uint8_t> image = in_->View(size);
    if (image.size() != size) {
        Require(false, why);
        return {};
    }
    return image;
}

int32_t SaveSync::PeekI32() const {
    if (!in_ || in_->remaining() < 4) return 0;
    return static_cast<int32_t>(in_->U32At(in_->position()));
}

void SaveSync::Skip(size_t size) {
    if (Reading()) in_->Skip(size);
}

bool SaveSync::Require(bool ok, const char* why) {
    if (ok || Writing()) return true;
    if (error_.empty()) error_ = why;
    return false;
}

}  // namespace tarvex
