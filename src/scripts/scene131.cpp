// Scene 131: written next; a close-up with a way back until then.
#include "scripts/scenes.h"
#include "scripts/script_api.h"

namespace tarvex {

void Scene131Init() { CloseUpInit(); }
void Scene131Load() { CloseUpLoad(); }
void Scene131Run() { CloseUpRun(-1, true); }

}  // namespace tarvex
