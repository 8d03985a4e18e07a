#include "render/frame_render.h"

#include <cmath>

#include "base/globals.h"
#include "platform/display.h"
#include "platform/random.h"
#include "platform/render_device.h"
#include "platform/surface.h"
#include "resources/anim_slot.h"
#include "resources/texture_file.h"
#include "render/frame_description.h"
#include "scene/scene_description.h"

namespace tarvex {

namespace {

FrameDescription* handedFrame = nullptr;

void SwitchSceneLight(int light, bool on) {
    FrameDescription& frame = HandedFrame();
    if (light < 0 || light >= kMaxPointLights || static_cast<size_t>(light) >= frame.lights.size()) return;
    frame.lights[light].enabled = on;
    device::EnableLight(light, on);
}

void Advance(AnimSlot& s) {
    const float d = HandedFrame().synch * s.speed;
    if (s.mode == 1) {
        s.currentFrame += d;
    } else {
        s.randomAccumulator += d;
        if (s.randomAccumulator >= 1.0f) {
            s.randomAccumulator -= 1.0f;
            s.currentFrame = static_cast<float>(Random15()) / 32767.0f * s.frameCount;
        }
    }
}

void PostEnd(const AnimSlot& s) {
    // A slot without an event must not wipe out another slot's event of this frame.
    int32_t* posted = HandedFrame().endEvent;
    if (s.endEvent != -1 && posted) *posted = s.endEvent;
}

void DrawTextureFrame(const AnimSlot& s, const Texture& t) {
    using namespace device;
    const float x = s.x, y = s.y, w = static_cast<float>(t.width), h = static_cast<float>(t.height);
    const uint32_t white = 0xFFFFFFFF;
    VertexScreen q[4] = {{x, y, 0.5f, 0.5f, white, 0, 0},
                         {x + w, y, 0.5f, 0.5f, white, 1, 0},
                         {x, y + h, 0.5f, 0.5f, white, 0, 1},
                         {x + w, y + h, 0.5f, 0.5f, white, 1, 1}};
    SetTexture(&t);
    SetTextureOp(TextureOp::SelectTexture);
    SetTextureFilter(false, false);
    SetLighting(false);
    SetDepthTest(true, Compare::Always);
    SetCull(Cull::None);
    SetDepthWrite(false);
    SetBlend(s.alphaBlend != 0);
    SetBlendFactors(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
    DrawScreenQuads(q, 1);
    SetTexture(nullptr);
    ResetRenderStates();
}

}  // namespace

void HandFrameToRenderer(FrameDescription* frame) { handedFrame = frame; }

FrameDescription& HandedFrame() {
    static FrameDescription nothing;
    return handedFrame ? *handedFrame : nothing;
}

void StepSlot(AnimSlot& s) {
    Advance(s);
    if (s.currentFrame >= s.frameCount) {
        if (s.endRule == 0) {
            s.currentFrame = s.frameCount - 1;
            PostEnd(s);
        } else if (s.endRule == 1) {
            s.currentFrame = 0.0f;
        } else {
            s.speed = -s.speed;
            Advance(s);
        }
    }
    if (s.currentFrame < 0.0f) {
        if (s.endRule == 0) {
            s.currentFrame = 0.0f;
            PostEnd(s);
        } else if (s.endRule == 1) {
            s.currentFrame = s.frameCount - 1;
        } else {
            s.speed = -s.speed;
            Advance(s);
        }
    }
    if (s.flicker == 1) {
        const float r = static_cast<float>(Random15()) / 32767.0f;
        if (r > s.flickerThreshold) {
            s.currentFrame = 1.0f;
            if (s.light != -1) SwitchSceneLight(s.light, s.lightOnState == 0);
        } else {
            s.currentFrame = 0.0f;
            if (s.light != -1) SwitchSceneLight(s.light, s.lightOnState != 0);
        }
    }
}

void DrawSlot(int n) {
    const std::span<AnimSlot> slots = HandedFrame().slots;
    if (n < 0 || static_cast<size_t>(n) >= slots.size()) return;
    AnimSlot& s = slots[n];
    if (s.mode == 0 || s.frameCount <= 0) return;
    StepSlot(s);
    if (s.vanishAtEnd && s.currentFrame >= s.frameCount - 1) return;
    if (!s.frames) return;
    // Only frames that were loaded exist (the vanishing frame has none).
    const int loaded = static_cast<int>(s.frameCount) - (s.vanishAtEnd ? 1 : 0);
    const int index = static_cast<int>(s.currentFrame);
    if (index < 0 || index >= loaded || !s.frames[index]) return;
    if (s.isTexture)
        DrawTextureFrame(s, *static_cast<const Texture*>(s.frames[index]));
    else
        DrawSurface(*static_cast<Surface*>(s.frames[index]), static_cast<int>(s.x), static_cast<int>(s.y));
}

void DrawSlots(int first, int end) {
    for (int n = first; n < end; ++n) DrawSlot(n);
}

void DrawShadowDarkening() {
    using namespace device;
    // Only where the shadow volumes were drawn can the stencil be set: the darkening quad
    // covers that rectangle, not the whole screen (the fill is what a frame costs).
    const uint32_t shadowColour = HandedFrame().shadowColour;
    int l = 0, t = 0, r = 0, b = 0;
    if (!StencilBounds(l, t, r, b)) return;
    ResetStencilBounds();
    const float x0 = static_cast<float>(l), y0 = static_cast<float>(t), x1 = static_cast<float>(r),
                y1 = static_cast<float>(b);
    const VertexScreen q[4] = {{x0, y0, 1.0f, 0.5f, shadowColour, 0, 0},
                               {x1, y0, 1.0f, 0.5f, shadowColour, 0, 0},
                               {x0, y1, 1.0f, 0.5f, shadowColour, 0, 0},
                               {x1, y1, 1.0f, 0.5f, shadowColour, 0, 0}};
    SetCull(Cull::None);
    SetTexture(nullptr);
    SetTextureOp(TextureOp::SelectDiffuse);
    SetLighting(false);
    SetDepthTest(true, Compare::Always);
    SetDepthWrite(false);
    SetBlend(true);
    SetBlendFactors(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
    SetStencil(true);
    SetStencilFunction(Compare::NotEqual, 0, 0xFFFFFFFF, 0xFFFFFFFF);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Zero);
    DrawScreenQuads(q, 1);
    ResetRenderStates();
}

void DrawPointerLight(const Texture* t) {
    using namespace device;
    // The texture's centre lies under the pointer and it spans about 300 pixels.
    const FrameDescription& frame = HandedFrame();
    const float a = -2.0f * frame.cursorX / 800.0f, b = -2.0f * frame.cursorY / 600.0f;
    const uint32_t white = 0xFFFFFFFF;
    const VertexScreen q[4] = {{0, 0, 0.5f, 0.5f, white, 1.33f * a + 0.5f, b + 0.5f},
                               {800, 0, 0.5f, 0.5f, white, 1.33f * (a + 2.0f) + 0.5f, b + 0.5f},
                               {0, 600, 0.5f, 0.5f, white, 1.33f * a + 0.5f, b + 2.5f},
                               {800, 600, 0.5f, 0.5f, white, 1.33f * (a + 2.0f) + 0.5f, b + 2.5f}};
    SetTexture(t);
    SetTextureOp(TextureOp::Modulate);
    SetTextureClamp(true);
    SetLighting(false);
    SetCull(Cull::None);
    SetDepthTest(true, Compare::Always);
    SetDepthWrite(false);
    SetBlend(true);
    SetBlendFactors(BlendFactor::Zero, BlendFactor::SourceColour);
    DrawScreenQuads(q, 1);
    SetTexture(nullptr);
    ResetRenderStates();
}

}  // namespace tarvex
