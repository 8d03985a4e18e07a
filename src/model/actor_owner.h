// The owner of the actor table: actors 0..15 in the saved game (the scene's init makes
// the rest) and the actors in use in the state dump.
#pragma once
#include "base/registry.h"

namespace tarvex {

const Owner& ActorsOwner();

constexpr int kSavedActors = 16;

}  // namespace tarvex
