#pragma once

namespace tarvex {

// One game frame: mouse, fade, background and layers, the scene's logic, the
// full-screen passes, toolbar, pointer, text, scene request, frame rate, present, pacing.
void GameFrame();
// Reads the mouse into mouseState and moves the pointer (clamped 2..797, 2..597).
// False when the read failed and the frame must end.
bool ReadPointer();
// A fresh left press stops the spoken line once; true when it did.
bool SkipSpokenLine();

}  // namespace tarvex
