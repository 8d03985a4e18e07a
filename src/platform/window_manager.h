// What the desktop's window manager does for the game's window (X11 only).
#pragma once

struct SDL_Window;

namespace tarvex {

// True when a window manager runs that makes a window full screen on request (an EWMH
// manager announcing the full-screen state). Without one, an X11 window asked to become
// full screen keeps its size while SDL takes it for the desktop's. True where this cannot
// be told (a build without X11, another window system).
bool WindowManagerTakesFullScreen(SDL_Window* window);

}  // namespace tarvex
