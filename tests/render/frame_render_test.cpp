#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform/random.h"
#include "platform/render_device.h"
#include "platform/surface.h"
#include "render/frame_render.h"
#include "resources/anim_slot.h"
#include "scene/scene_description.h"
#include "shell/globals.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

// A slot of n surface frames, frame i filled with grey level 10 * (i + 1).
void FillSlot(AnimSlot& s, int n, bool vanish = false) {
    s.frames = new void*[n];
    for (int i = 0; i < n; ++i) {
        Surface* f = CreateSurface(4, 4, 32);
        const uint8_t v = static_cast<uint8_t>(10 * (i + 1));
        FillSurface(*f, PackRgb(32, v, v, v));
        s.frames[i] = f;
    }
    s.frameCount = static_cast<float>(n + (vanish ? 1 : 0));
    s.vanishAtEnd = vanish;
    s.loaded = 1;
    s.mode = 1;
    s.speed = 1.0f;
}

class FrameRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetEngine();
        synch = 1.0f;
    }
    void TearDown() override { ResetAnimSlots(); }
    std::vector<int> Play(AnimSlot& s, int frames) {
        std::vector<int> seen;
        for (int i = 0; i < frames; ++i) {
            StepSlot(s);
            seen.push_back(static_cast<int>(s.currentFrame));
        }
        return seen;
    }
};

TEST_F(FrameRenderTest, EndRulesStopWrapAndPingPong) {
    AnimSlot& s = animSlots[3];
    s.frameCount = 4;
    s.mode = 1;
    s.speed = 1.0f;
    s.currentFrame = -1.0f;  // so that the first step shows frame 0
    s.endRule = 0;
    s.endEvent = 7;
    EXPECT_EQ(Play(s, 6), (std::vector<int>{0, 1, 2, 3, 3, 3}));
    EXPECT_EQ(postedEndEvent, 7);
    s.currentFrame = -1.0f;
    s.endRule = 1;
    EXPECT_EQ(Play(s, 6), (std::vector<int>{0, 1, 2, 3, 0, 1}));
    s.currentFrame = -1.0f;
    s.endRule = 2;
    EXPECT_EQ(Play(s, 10), (std::vector<int>{0, 1, 2, 3, 3, 2, 1, 0, 0, 1}));
    // Backwards with rule 1 wraps to the last frame.
    s.endRule = 1;
    s.speed = -1.0f;
    s.currentFrame = 0.5f;
    EXPECT_EQ(Play(s, 2), (std::vector<int>{3, 2}));
    // A stopping slot without an event leaves another slot's event alone.
    postedEndEvent = 9;
    AnimSlot& t = animSlots[4];
    t.frameCount = 2;
    t.mode = 1;
    t.speed = 5.0f;
    t.endEvent = -1;
    StepSlot(t);
    EXPECT_EQ(postedEndEvent, 9);
}

TEST_F(FrameRenderTest, SpeedScalesWithSynch) {
    AnimSlot& s = animSlots[0];
    s.frameCount = 100;
    s.mode = 1;
    s.speed = 0.5f;
    synch = 2.0f;
    StepSlot(s);
    EXPECT_FLOAT_EQ(s.currentFrame, 1.0f);
}

TEST_F(FrameRenderTest, FlickerPicksFrameZeroAtTheThresholdRateAndSwitchesItsLight) {
    SeedRandom(1234);
    AnimSlot& s = animSlots[0];
    s.frameCount = 2;
    s.mode = 1;
    s.speed = 1.0f;
    s.endRule = 1;
    s.flicker = 1;
    s.flickerThreshold = 0.3f;
    s.light = 2;
    s.lightOnState = 1;
    int zero = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        StepSlot(s);
        if (s.currentFrame == 0.0f) {
            ++zero;
            ASSERT_TRUE(sceneLights[2].enabled);
        } else {
            ASSERT_FALSE(sceneLights[2].enabled);
        }
    }
    EXPECT_NEAR(zero / static_cast<double>(n), 0.3, 0.015);
}

TEST_F(FrameRenderTest, RandomModeJumpsWhenTheAccumulatorFills) {
    SeedRandom(5);
    AnimSlot& s = animSlots[0];
    s.frameCount = 10;
    s.mode = 2;
    s.speed = 0.25f;
    s.endRule = 1;
    for (int i = 0; i < 3; ++i) StepSlot(s);
    EXPECT_EQ(s.currentFrame, 0.0f);
    StepSlot(s);
    EXPECT_FLOAT_EQ(s.randomAccumulator, 0.0f);
    EXPECT_GE(s.currentFrame, 0.0f);
    EXPECT_LT(s.currentFrame, 10.0f);
}

TEST_F(FrameRenderTest, SurfaceFramesDrawAtTheirPlaceAndVanishAtTheEnd) {
    ASSERT_TRUE(test::EnsureHeadlessDisplay());
    AnimSlot& s = animSlots[5];
    FillSlot(s, 3, true);  // frameCount 4: three frames and the empty one
    s.x = 20.7f;
    s.y = 30.2f;
    s.currentFrame = -1.0f;
    s.endRule = 0;
    auto grey = [](int x, int y) { return ReadBackBufferRgb(false)[(static_cast<size_t>(y) * 800 + x) * 3]; };
    for (int expected : {10, 20, 30}) {
        ClearBackBuffer(0, 0, 0);
        DrawSlot(5);
        EXPECT_EQ(grey(20, 30), expected);
        EXPECT_EQ(grey(23, 33), expected);
        EXPECT_EQ(grey(24, 30), 0);
        EXPECT_EQ(grey(19, 30), 0);
    }
    // Past the last real frame nothing is drawn.
    ClearBackBuffer(0, 0, 0);
    DrawSlot(5);
    EXPECT_EQ(s.currentFrame, 3.0f);
    EXPECT_EQ(grey(20, 30), 0);
    // Hidden slots neither advance nor draw.
    s.mode = 0;
    s.currentFrame = 0;
    DrawSlot(5);
    EXPECT_EQ(s.currentFrame, 0.0f);
}

TEST_F(FrameRenderTest, TextureFramesBlendOnlyWhenAsked) {
    ASSERT_TRUE(test::EnsureHeadlessDisplay());
    uint8_t rgba[4] = {255, 0, 0, 128};
    Texture* t = CreateTextureRgba(1, 1, rgba, false, false);
    AnimSlot& s = animSlots[55];
    s.frames = new void*[1]{t};
    s.frameCount = 1;
    s.isTexture = 1;
    s.loaded = 1;
    s.mode = 1;
    s.speed = 0;
    s.x = 100;
    s.y = 50;
    ClearBackBuffer(0, 0, 1);
    DrawSlot(55);
    auto px = ReadBackBufferRgb(false);
    EXPECT_EQ(px[(50 * 800 + 100) * 3], 255);
    EXPECT_EQ(px[(50 * 800 + 100) * 3 + 2], 0);
    s.alphaBlend = 1;
    ClearBackBuffer(0, 0, 1);
    DrawSlot(55);
    px = ReadBackBufferRgb(false);
    EXPECT_NEAR(px[(50 * 800 + 100) * 3], 128, 1);
    EXPECT_NEAR(px[(50 * 800 + 100) * 3 + 2], 127, 1);
    EXPECT_EQ(px[(50 * 800 + 101) * 3 + 2], 255);
}

TEST_F(FrameRenderTest, ShadowDarkeningOnlyWhereTheStencilIsSetAndClearsIt) {
    ASSERT_TRUE(test::EnsureHeadlessDisplay());
    using namespace device;
    ClearBackBuffer(1, 1, 1);
    ClearStencil(0);
    // Mark a rectangle in the stencil.
    SetCull(Cull::None);
    SetStencil(true);
    SetStencilFunction(Compare::Always, 1, 0xFFFFFFFF, 0xFFFFFFFF);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Replace);
    SetBlend(true);
    SetBlendFactors(BlendFactor::Zero, BlendFactor::One);
    const VertexScreen q[4] = {{10, 10, 0.5f, 0.5f, 0, 0, 0}, {20, 10, 0.5f, 0.5f, 0, 0, 0},
                               {10, 20, 0.5f, 0.5f, 0, 0, 0}, {20, 20, 0.5f, 0.5f, 0, 0, 0}};
    DrawScreenQuads(q, 1);
    // A second mark far from the first: the darkening reaches both, and what lies between
    // them without a mark stays as it was.
    const VertexScreen q2[4] = {{700, 500, 0.5f, 0.5f, 0, 0, 0}, {720, 500, 0.5f, 0.5f, 0, 0, 0},
                                {700, 520, 0.5f, 0.5f, 0, 0, 0}, {720, 520, 0.5f, 0.5f, 0, 0, 0}};
    DrawScreenQuads(q2, 1);
    ResetRenderStates();
    shadowColour = 0x80000000;
    DrawShadowDarkening();
    auto px = ReadBackBufferRgb(false);
    EXPECT_NEAR(px[(15 * 800 + 15) * 3], 127, 1);
    EXPECT_NEAR(px[(510 * 800 + 710) * 3], 127, 1);
    EXPECT_EQ(px[(15 * 800 + 25) * 3], 255);
    EXPECT_EQ(px[(300 * 800 + 400) * 3], 255);
    EXPECT_EQ(ReadStencil(15, 15), 0);
    EXPECT_EQ(ReadStencil(710, 510), 0);
}

}  // namespace
}  // namespace tarvex
