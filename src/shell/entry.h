#pragma once
#include <cstdint>

#include "shell/options.h"

namespace tarvex {

enum class LoopPass { Frame, Inactive, Quit };
// One pass of the message loop: the input of frame `frame`, its messages, the music and a
// menu or game frame (none while the window is inactive).
LoopPass RunLoopPass(uint64_t frame);

// The program: start-up in order, the message loop until quit, the orderly end.
// Returns the process result (0, or the set-up failure value 0x80004005).
int RunGame(const Options& options);

}  // namespace tarvex
