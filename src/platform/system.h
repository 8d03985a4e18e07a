// The platform's libraries as a whole: what the program does once, at its very end.
#pragma once

namespace tarvex {

// Shuts the window system, audio and input down; the last call of the program.
void ShutdownPlatform();

}  // namespace tarvex
