#include "platform/depth_bound.h"

#include <algorithm>

namespace tarvex {

namespace {

struct TileBound {
    float farthest[kDepthTilesDown][kDepthTilesAcross];
    unsigned generation = 0;  // the display whose depth buffer it describes
    bool known = false;       // false: 1.0 everywhere
};
TileBound back, saved, staged;
int stagedRows = 0;  // rows of the staged image bounded so far, from the top

// The rectangle of the back buffer's depth and stencil changed since the last copy to or
// from the saved buffer, for the display `generation` (another display: everything).
struct ChangedSinceCopy {
    int left = 0, top = 0, right = kScreenWidth, bottom = kScreenHeight;
    unsigned generation = 0;
} changed;

void CopiedBackDepth() {
    changed = ChangedSinceCopy{kScreenWidth, kScreenHeight, 0, 0, DisplayGeneration()};
}

// The depth buffer holds 0 .. 1; anything else (NaN too) may be 1.
float Clamped(float d) { return d >= 0.0f && d <= 1.0f ? d : (d < 0.0f ? 0.0f : 1.0f); }

}  // namespace

void BoundBackDepthByImage(const float* windowDepth) {
    if (!windowDepth) return BoundBackDepthBy(1.0f);
    for (int ty = 0; ty < kDepthTilesDown; ++ty) {
        const int y0 = ty * kDepthTileSize, y1 = std::min(y0 + kDepthTileSize, kScreenHeight);
        for (int tx = 0; tx < kDepthTilesAcross; ++tx) {
            const int x0 = tx * kDepthTileSize, x1 = std::min(x0 + kDepthTileSize, kScreenWidth);
            float farthest = 0.0f;
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) {
                    farthest = std::max(farthest, Clamped(windowDepth[y * kScreenWidth + x]));
                }
            back.farthest[ty][tx] = farthest;
        }
    }
    back.generation = DisplayGeneration();
    back.known = true;
}

void BoundBackDepthBy(float depth) {
    back.known = depth >= 0.0f && depth < 1.0f;
    if (!back.known) return;
    for (auto& row : back.farthest) std::fill(std::begin(row), std::end(row), depth);
    back.generation = DisplayGeneration();
}

void BoundStagedDepthRows(const float* windowDepth, int first, int count) {
    if (first == 0) {
        for (auto& row : staged.farthest) std::fill(std::begin(row), std::end(row), 0.0f);
        stagedRows = 0;
    }
    // Bands must follow each other from the top, else the bound is not known.
    if (!windowDepth || first != stagedRows || count <= 0 || first + count > kScreenHeight) {
        stagedRows = -1;
        return;
    }
    for (int y = first; y < first + count; ++y) {
        float* tiles = staged.farthest[y / kDepthTileSize];
        for (int x = 0; x < kScreenWidth; ++x)
            tiles[x / kDepthTileSize] = std::max(tiles[x / kDepthTileSize], Clamped(windowDepth[y * kScreenWidth + x]));
    }
    stagedRows = first + count;
}

void BoundBackDepthByStaged() {
    if (stagedRows != kScreenHeight) return BoundBackDepthBy(1.0f);
    back = staged;
    back.generation = DisplayGeneration();
    back.known = true;
    stagedRows = 0;
}

void SaveBackDepthBound() {
    saved = back;
    CopiedBackDepth();
}

void RestoreBackDepthBound() {
    back = saved;
    CopiedBackDepth();
}

const float* BackDepthBoundTiles() {
    if (!back.known || back.generation != DisplayGeneration()) return nullptr;
    return &back.farthest[0][0];
}

void MarkBackDepthChanged(int left, int top, int right, int bottom) {
    left = std::clamp(left, 0, kScreenWidth), right = std::clamp(right, 0, kScreenWidth);
    top = std::clamp(top, 0, kScreenHeight), bottom = std::clamp(bottom, 0, kScreenHeight);
    if (left >= right || top >= bottom) return;
    changed.left = std::min(changed.left, left), changed.right = std::max(changed.right, right);
    changed.top = std::min(changed.top, top), changed.bottom = std::max(changed.bottom, bottom);
}

void MarkBackDepthChangedEverywhere() { MarkBackDepthChanged(0, 0, kScreenWidth, kScreenHeight); }

bool BackDepthChangedSinceCopy(int& left, int& top, int& right, int& bottom) {
    if (changed.generation != DisplayGeneration()) {
        left = top = 0, right = kScreenWidth, bottom = kScreenHeight;
        return true;
    }
    if (changed.left >= changed.right || changed.top >= changed.bottom) return false;
    left = changed.left, top = changed.top, right = changed.right, bottom = changed.bottom;
    return true;
}

}  // namespace tarvex
