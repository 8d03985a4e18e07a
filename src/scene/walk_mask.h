// The scene's walk mask (400 x 300 cells of 2 x 2 screen pixels: 0 free floor, 255
// obstacle, other values kept out of route searches) and its floor depth (one float a
// screen pixel: the depth of the walkable floor, below -100,000 where there is none).
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tarvex {

constexpr int kMaskWidth = 400;
constexpr int kMaskHeight = 300;
constexpr size_t kWalkMaskBytes = kMaskWidth * kMaskHeight;
constexpr int kFloorWidth = 800;
constexpr int kFloorHeight = 600;
constexpr size_t kFloorDepthFileLimit = 921600;
constexpr float kNoFloor = -100000.0f;  // depth values below mark pixels without floor

// The scene's walk mask and the depth of its floor.
struct WalkTables {
    uint8_t walkMask[kWalkMaskBytes] = {};
    float floorDepth[kFloorWidth * kFloorHeight] = {};
};
extern WalkTables walkTables;

inline uint8_t MaskCell(int cx, int cy) { return walkTables.walkMask[cy * kMaskWidth + cx]; }
// The cell under a screen point (callers stay on the screen).
inline uint8_t MaskAtScreen(int x, int y) { return MaskCell(x / 2, y / 2); }
inline float FloorDepthAt(int x, int y) { return walkTables.floorDepth[y * kFloorWidth + x]; }
inline bool HasFloor(int x, int y) { return !(FloorDepthAt(x, y) < kNoFloor); }

// Takes a whole mask image; anything but 120,000 bytes (or more, cut) is refused
// and the mask stays as it was.
bool ApplyWalkMask(std::span<const uint8_t> mask);
// Replaces the walk mask from a game file (a door opens: "scenes/scr_019_1m.raw").
bool LoadWalkMask(const std::string& path);

// Decodes a run-length floor-depth file into out (800 x 600 floats). Every table
// entry, length and packet is checked; a bad file returns false with out untouched.
bool DecodeFloorDepth(std::span<const uint8_t> file, float* out);
bool LoadFloorDepth(const std::string& path);

}  // namespace tarvex
