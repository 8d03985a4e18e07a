// The scenery's depth: written once per scene into the back buffer's depth buffer
// (exact per-pixel values in one full-screen pass) and saved to the off-screen depth
// buffer, from which every frame restores it before characters are drawn.
#pragma once
#include <vector>

namespace tarvex {

// depth: 800 x 600 window depths (0 near .. 1 far), rows top-down as on the screen.
// Clears the depth (and the stencil when asked) and writes the values; false when
// there is no display.
bool WriteBackBufferDepth(const float* depth, bool clearStencil);
// Scenery depth made ahead of its scene: its window depths moved to the device a band of
// rows at a time, then drawn into a spare depth buffer, which the scene's switch copies
// into place. One scene's at a time.
// Uploads rows first .. first + count - 1 of `depth` (all 800 x 600 values); false without
// a display.
bool StageDepthRows(const float* depth, int first, int count);
// Draws the staged values into the spare depth buffer once every row is in; true when done.
bool DrawStagedDepth();
// The drawn staged depth into the back buffer and the saved one, leaving them and the
// render states as WriteBackBufferDepth and SaveBackBufferDepth would; false, and nothing
// done, when no staged depth was drawn on this display.
bool PutStagedDepth(bool clearStencil);
// Forgets the staged depth (another scene's comes next).
void DropStagedDepth();
// Clears the back buffer's depth to 1.0 (and the stencil when asked).
bool ClearBackBufferDepth(bool clearStencil);
// Copies the back buffer's depth (and stencil) to the saved depth buffer.
void SaveBackBufferDepth();
// Copies the saved depth (and stencil) back into the back buffer.
void RestoreBackBufferDepth();
// Read-backs for checks and tools: 800 x 600 values, rows top-down.
std::vector<float> ReadBackBufferDepth();
std::vector<float> ReadSavedDepth();

}  // namespace tarvex
