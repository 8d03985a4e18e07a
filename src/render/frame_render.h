// Drawing of animation slots and the frame's full-screen passes.
#pragma once

namespace tarvex {

// Draws slots first .. end - 1.
void DrawSlots(int first, int end);
void DrawSlot(int slot);
// The shadow darkening pass (stencil shadows) and the lantern view.
void DrawShadowDarkening();
void DrawLanternView();
void BeginScene3d();
void EndScene3d();
// Scene reset's part: the scene-local flag, the dynamic vertex buffer, the rendering factor.
void ResetSceneRendering();

}  // namespace tarvex
