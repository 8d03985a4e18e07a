#include "render/frame_render.h"

namespace tarvex {

// Entry points of frame rendering, to be filled by the rendering work.
void DrawSlots(int, int) {}
void DrawSlot(int) {}
void DrawShadowDarkening() {}
void DrawLanternView() {}
void BeginScene3d() {}
void EndScene3d() {}
void ResetSceneRendering() {}

}  // namespace tarvex
