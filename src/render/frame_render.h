// Drawing of animation slots and the frame's full-screen passes, from the frame
// description handed to the renderer.
#pragma once
#include <cstdint>

#include "base/math.h"
#include "scene/scene_description.h"

namespace tarvex {

struct AnimSlot;
struct FrameDescription;
struct Texture;

// The description handed over last (an empty one before any).
FrameDescription& HandedFrame();
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

}  // namespace tarvex
