#include "interaction/game_hooks.h"

namespace tarvex {

GameHooks gameHooks;

}  // namespace tarvex
