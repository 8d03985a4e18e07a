// The workbench: what a scene's author sees over the running game (the overlays, and the
// drawers added at start-up, the console's among them), its keys, and its part of the
// state dump. The shell draws it once the game picture is finished, before presenting.
#pragma once

namespace tarvex {

struct Owner;

// Draws the overlays switched on, then every added drawer in the order added.
void DrawWorkbench();
// True when overlays are switched on: the workbench then draws into the game picture.
bool WorkbenchDrawsOverPicture();
// Adds a drawer (added once however often it is given).
void AddWorkbenchDrawer(void (*draw)());
// Ctrl with a key (its virtual-key code): Ctrl+1 .. Ctrl+7 switch the overlays in their
// order. True when the workbench took the key.
bool HandleWorkbenchKey(int virtualKey);
// The workbench's owner: everything off at start-up; the dump's `overlays`.
const Owner& WorkbenchOwner();

}  // namespace tarvex
