// The mouse device: made once at start-up; the pointer keeps to a full-screen window while
// the game has the focus.
#pragma once

namespace tarvex {

int CreateMouse();
// Confines the pointer or frees it as the focus and the window ask; 1 before CreateMouse.
int AcquireMouse();
void ResetMouse();

}  // namespace tarvex
