#include "platform/system.h"

#include <SDL2/SDL.h>

namespace tarvex {

void ShutdownPlatform() { SDL_Quit(); }

}  // namespace tarvex
