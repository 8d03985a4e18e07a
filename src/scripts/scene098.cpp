// Scene 098: written next; a close-up with a way back until then.
#include "scripts/scenes.h"
#include "scripts/script_api.h"

namespace tarvex {

void Scene098Init() { CloseUpInit(); }
void Scene098Load() { CloseUpLoad(); }
void Scene098Run() { CloseUpRun(-1, true); }

}  // namespace tarvex
