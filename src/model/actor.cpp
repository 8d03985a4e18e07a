#include "model/actor.h"

namespace tarvex {

// Entry point of the actor table, to be filled by the actor work.
void ResetActors() {}

}  // namespace tarvex
