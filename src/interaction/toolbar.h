// The inventory toolbar and the interface pictures.
#pragma once

namespace tarvex {

// Loads the interface pictures, sounds and tool texts; non-zero on failure.
int LoadInterface();
// Right button: open or close the toolbar, drop the held tool.
void ToolbarRightButton();
// While the toolbar is open: motion, its pieces, the grid, the verb bar.
void ToolbarFrame();
void NewItemFrame();
void HeldItemFrame();
// The notebook icon (slot 35); true when the notebook is available.
bool NotebookIconFrame();

}  // namespace tarvex
