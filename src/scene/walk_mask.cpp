#include "scene/walk_mask.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "base/byte_io.h"
#include "resources/game_file.h"

namespace tarvex {

WalkTables walkTables;

bool ApplyWalkMask(std::span<const uint8_t> mask) {
    const std::span<const uint8_t> bytes = ByteReader(mask).View(kWalkMaskBytes);
    if (bytes.empty()) return false;  // a short mask leaves the current one
    std::copy(bytes.begin(), bytes.end(), walkTables.walkMask);
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

// One channel: a big-endian length of coded bytes, then repeat and literal packets
// that must decode to exactly one row of 800 bytes within that length.
bool DecodeChannel(ByteReader& file, uint8_t* out) {
    const size_t length = file.U16Be();
    ByteReader coded(file.View(length));
    if (!file.ok()) return false;
    size_t written = 0;
    while (!coded.AtEnd()) {
        const int h = static_cast<int8_t>(coded.U8());
        if (h >= 0) {
            const size_t n = static_cast<size_t>(h) + 1;
            const uint8_t value = coded.U8();
            if (!coded.ok() || written + n > kFloorWidth) return false;
            std::memset(out + written, value, n);
            written += n;
        } else {
            const size_t n = static_cast<size_t>(-h);
            if (written + n > kFloorWidth || !coded.Bytes(out + written, n)) return false;
            written += n;
        }
    }
    return written == kFloorWidth;
}

}  // namespace

bool DecodeFloorDepth(std::span<const uint8_t> file, float* out) {
    if (file.size() > kFloorDepthFileLimit) file = file.first(kFloorDepthFileLimit);
    if (file.size() < kRowTableBytes) return false;
    // Decoded whole before `out` is touched, so that a bad file leaves the previous floor;
    // every value is written before it is read.
    std::unique_ptr<uint32_t[]> decoded(new uint32_t[static_cast<size_t>(kFloorWidth) * kFloorHeight]);
    uint8_t channels[kChannels][kFloorWidth];
    // The table of row offsets runs bottom row first.
    ByteReader table(file.first(kRowTableBytes));
    for (int y = 0; y < kFloorHeight; ++y) {
        table.Seek(kRowTableBytes - 4 * (y + 1));
        const uint32_t offset = table.U32Be();
        if (offset < kRowOffsetBias) return false;
        ByteReader rowData(file);
        rowData.Seek(offset - kRowOffsetBias);
        uint32_t* row = decoded.get() + static_cast<size_t>(y) * kFloorWidth;
        for (auto& channel : channels)
            if (!DecodeChannel(rowData, channel)) return false;
        // Channels 0..2 carry nothing the game uses; channel 3 is the top byte, channel 6 the lowest.
        for (int x = 0; x < kFloorWidth; ++x)
            row[x] = static_cast<uint32_t>(channels[3][x]) << 24 | static_cast<uint32_t>(channels[4][x]) << 16 |
                     static_cast<uint32_t>(channels[5][x]) << 8 | channels[6][x];
    }
    std::memcpy(out, decoded.get(), static_cast<size_t>(kFloorWidth) * kFloorHeight * sizeof(float));
    return true;
}

bool LoadFloorDepth(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(path, bytes, kFloorDepthFileLimit)) return false;
    return DecodeFloorDepth(bytes, walkTables.floorDepth);
}

}  // namespace tarvex
