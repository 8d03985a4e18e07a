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

void SaveBackDepthBound() { saved = back; }

void RestoreBackDepthBound() { back = saved; }

float BackDepthBound(int tx, int ty) {
    if (!back.known || back.generation != DisplayGeneration() || tx < 0 || ty < 0 || tx >= kDepthTilesAcross ||
        ty >= kDepthTilesDown)
        return 1.0f;
    return back.farthest[ty][tx];
}

}  // namespace tarvex
