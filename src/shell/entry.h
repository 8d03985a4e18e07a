#pragma once
#include "shell/options.h"

namespace tarvex {

// The program: start-up in order, the message loop until quit, the orderly end.
// Returns the process result (0, or the set-up failure value 0x80004005).
int RunGame(const Options& options);

}  // namespace tarvex
