#pragma once
#include <string>

#include "output.h"

namespace tarvex::demo {

// Builds every file of the demo game in memory.
bool BuildDemo(Output& out);
// Builds and writes the demo game into `dir` (packed or loose).
bool GenerateDemo(const std::string& dir, bool packaged);

}  // namespace tarvex::demo
