#include "base/display_values.h"

namespace tarvex {

int colourDepth = 32;
int backBufferCount = 1;
int stencilShadows = 0;
Surface* sceneBackground = nullptr;
Surface* spareBackground = nullptr;
Surface* thumbnailSurface = nullptr;

}  // namespace tarvex
