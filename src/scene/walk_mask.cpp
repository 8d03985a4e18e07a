#include "scene/walk_mask.h"

#include <cstring>
#include <vector>

#include "resources/game_file.h"

namespace tarvex {

uint8_t walkMask[kWalkMaskBytes];
float floorDepth[kFloorWidth * kFloorHeight];

bool ApplyWalkMask(std::span<const uint8_t> mask) {
    if (mask.size() < kWalkMaskBytes) return false;
    std::memcpy(walkMask, mask.data(), kWalkMaskBytes);
    return true;
}

bool LoadWalkMask(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(path, bytes, kWalkMaskBytes)) return false;
    return ApplyWalkMask(bytes);
}

namespace {

constexpr int kChannels = 7;
constexpr size_t kRowTableBytes = 2400;
constexpr uint32_t kRowOffsetBias = 740;  // row offsets count from 740 bytes before the file

uint32_t BigEndian32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// One channel: a big-endian length of coded bytes, then repeat and literal packets
// that must decode to exactly one row of 800 bytes within that length.
bool DecodeChannel(std::span<const uint8_t> file, size_t& pos, uint8_t* out) {
    if (pos + 2 > file.size()) return false;
    const size_t length = (file[pos] << 8) | file[pos + 1];
    pos += 2;
    const size_t end = pos + length;
    if (end > file.size()) return false;
    size_t written = 0;
    while (pos < end) {
        const int h = static_cast<int8_t>(file[pos++]);
        if (h >= 0) {
            const size_t n = static_cast<size_t>(h) + 1;
            if (pos + 1 > end || written + n > kFloorWidth) return false;
            std::memset(out + written, file[pos++], n);
            written += n;
        } else {
            const size_t n = static_cast<size_t>(-h);
            if (pos + n > end || written + n > kFloorWidth) return false;
            std::memcpy(out + written, file.data() + pos, n);
            pos += n;
            written += n;
        }
    }
    return written == kFloorWidth;
}

}  // namespace

bool DecodeFloorDepth(std::span<const uint8_t> file, float* out) {
    if (file.size() > kFloorDepthFileLimit) file = file.first(kFloorDepthFileLimit);
    if (file.size() < kRowTableBytes) return false;
    std::vector<uint32_t> decoded(static_cast<size_t>(kFloorWidth) * kFloorHeight);
    uint8_t channel[kFloorWidth];
    for (int y = 0; y < kFloorHeight; ++y) {
        // The table runs bottom row first.
        const uint32_t offset = BigEndian32(file.data() + 2396 - 4 * y);
        if (offset < kRowOffsetBias) return false;
        size_t pos = offset - kRowOffsetBias;
        uint32_t* row = decoded.data() + static_cast<size_t>(y) * kFloorWidth;
        for (int c = 0; c < kChannels; ++c) {
            if (!DecodeChannel(file, pos, channel)) return false;
            if (c < 3) continue;  // channels 0..2 carry nothing the game uses
            const int shift = 8 * (6 - c);  // channel 3 is the top byte, channel 6 the lowest
            for (int x = 0; x < kFloorWidth; ++x) row[x] |= static_cast<uint32_t>(channel[x]) << shift;
        }
    }
    std::memcpy(out, decoded.data(), decoded.size() * sizeof(float));
    return true;
}

bool LoadFloorDepth(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(path, bytes, kFloorDepthFileLimit)) return false;
    return DecodeFloorDepth(bytes, floorDepth);
}

}  // namespace tarvex
