#include "interaction/toolbar.h"

namespace tarvex {

// Entry points of the toolbar, to be filled by the toolbar work.
int LoadInterface() { return 0; }
void ToolbarRightButton() {}
void ToolbarFrame() {}
void NewItemFrame() {}
void HeldItemFrame() {}
bool NotebookIconFrame() { return false; }

}  // namespace tarvex
