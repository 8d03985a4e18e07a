#pragma once
#include <string>

#include "formats/output.h"

namespace tarvex::demo {

using namespace tarvex::formats;

// Builds every file of the demo game in memory.
bool BuildDemo(Output& out);
// Builds and writes the demo game into `dir` (packed or loose).
bool GenerateDemo(const std::string& dir, bool packaged);

}  // namespace tarvex::demo
