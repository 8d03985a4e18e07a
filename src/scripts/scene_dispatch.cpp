#include "scripts/scene_dispatch.h"

namespace tarvex {

// Entry points of the scene scripts, to be filled by the script work.
void InitScene() {}
void LoadScene() {}
void RunScene() {}
void TypedKey(int, int, const char*, const char*, int, int, const std::string&, int, int) {}
std::string DeviceExpectedText(int, int) { return {}; }

}  // namespace tarvex
