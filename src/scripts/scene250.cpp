// Scene 250: written next; a close-up with a way back until then.
#include "scripts/scenes.h"
#include "scripts/script_api.h"

namespace tarvex {

void Scene250Init() { CloseUpInit(); }
void Scene250Load() { CloseUpLoad(); }
void Scene250Run() { CloseUpRun(-1, true); }

}  // namespace tarvex
