#include "scene/scene_load.h"

namespace tarvex {

// Entry points of scene loading, to be filled by the scene work.
void LoadSceneFiles() {}
void ResetSceneObjects() {}

}  // namespace tarvex
