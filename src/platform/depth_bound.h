// The farthest depth the back buffer's depth buffer can hold, tile by tile, kept on the
// CPU beside it: the scenery's depths when they are written, 1.0 where nothing is known.
// Draws that test depth with "less" or "equal" only bring depths nearer, so the bound
// stays true through them. A draw whose only effect is on pixels where it passes the
// depth test cannot change a tile whose bound lies in front of all its fragments.
#pragma once

#include "platform/display.h"

namespace tarvex {

constexpr int kDepthTileSize = 16;
constexpr int kDepthTilesAcross = (kScreenWidth + kDepthTileSize - 1) / kDepthTileSize;
constexpr int kDepthTilesDown = (kScreenHeight + kDepthTileSize - 1) / kDepthTileSize;

// After 800 x 600 window depths (rows top-down) were written into the back buffer.
void BoundBackDepthByImage(const float* windowDepth);
// After the whole back buffer's depth was set to `depth`, or could have grown (1.0).
void BoundBackDepthBy(float depth);
// Rows first .. first + count - 1 of window depths staged for the next scene (a band
// starting at row 0 begins a new image); the back buffer takes their bound when the staged
// depth is put in place.
void BoundStagedDepthRows(const float* windowDepth, int first, int count);
void BoundBackDepthByStaged();
// With the copies of the back buffer's depth to the saved depth buffer and back.
void SaveBackDepthBound();
void RestoreBackDepthBound();
// The bounds of the tiles, kDepthTilesAcross a row, rows from the top; null when nothing
// is known (1.0 everywhere).
const float* BackDepthBoundTiles();

// Where the back buffer's depth and stencil may differ from the saved copy: draws and
// clears report what they may have written (pixels, rows from the top, right and bottom
// excluded); the copies in either direction make the two equal again, so that putting the
// saved depth back copies only that rectangle.
void MarkBackDepthChanged(int left, int top, int right, int bottom);
void MarkBackDepthChangedEverywhere();
// False when nothing changed since the last copy.
bool BackDepthChangedSinceCopy(int& left, int& top, int& right, int& bottom);

}  // namespace tarvex
