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
