// What the display set-up leaves for every layer to read: the colour depth, the shadow
// mode, and the surfaces the game draws into.
#pragma once

namespace tarvex {

struct Surface;

struct DisplayValues {
    int colourDepth = 32;  // 32, 16 or 15
    int backBufferCount = 1;
    int stencilShadows = 0;  // 0 off, 1 on without stencil, 3 shallow depth, 4 stencil shadows
    Surface* sceneBackground = nullptr;
    Surface* spareBackground = nullptr;
    Surface* thumbnailSurface = nullptr;
};
extern DisplayValues displayValues;

}  // namespace tarvex
