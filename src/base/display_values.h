// What the display set-up leaves for every layer to read: the colour depth, the shadow
// mode, and the surfaces the game draws into.
#pragma once

namespace tarvex {

struct Surface;

extern int colourDepth;       // 32, 16 or 15
extern int backBufferCount;
extern int stencilShadows;    // 0 off, 1 on without stencil, 3 shallow depth, 4 stencil shadows
extern Surface* sceneBackground;
extern Surface* spareBackground;
extern Surface* thumbnailSurface;

}  // namespace tarvex
