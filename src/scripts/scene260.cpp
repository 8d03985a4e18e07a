// Scene 260: written next; a close-up with a way back until then.
#include "scripts/scenes.h"
#include "scripts/script_api.h"

namespace tarvex {

void Scene260Init() { CloseUpInit(); }
void Scene260Load() { CloseUpLoad(); }
void Scene260Run() { CloseUpRun(-1, true); }

}  // namespace tarvex
