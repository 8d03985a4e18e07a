// Drawing of animation slots and the frame's full-screen passes, and the rendering
// values scene scripts set (shadow light, length and colour).
#pragma once
#include <cstdint>

#include "base/math.h"

namespace tarvex {

struct AnimSlot;
struct Texture;

extern Vec3 shadowLight;
extern float shadowLength;     // 0.25 after every scene reset
extern uint32_t shadowColour;  // ARGB of the darkening quad
extern int normalPass;

// Advances and draws slots first .. end - 1.
void DrawSlots(int first, int end);
void DrawSlot(int slot);
// The advance, end rule and flicker of one slot (no drawing).
void StepSlot(AnimSlot& slot);
// The shadow darkening pass (stencil shadows).
void DrawShadowDarkening();
// A light carried at the pointer: the frame is multiplied by the picture `light`, its
// centre under the pointer.
void DrawPointerLight(const Texture* light);
void BeginScene3d();
void EndScene3d();
// Scene reset's part: shadow length back to 0.25, fog off.
void ResetSceneRendering();

}  // namespace tarvex
