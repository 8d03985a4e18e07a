#include <gtest/gtest.h>

#include "base/globals.h"
#include "platform/display.h"
#include "platform/random.h"
#include "platform/render_device.h"
#include "platform/surface.h"
#include "render/frame_description.h"
#include "render/frame_render.h"
#include "resources/anim_slot.h"
#include "scene/scene_description.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

// The renderer draws slots from the frame it is handed: here the test's own slots, end
// event and lights, none of the game's tables.
class FrameRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetEngine();
        frame.slots = slots;
        frame.endEvent = &endEvent;
        frame.lights = lights;
        HandFrameToRenderer(&frame);
    }
    void TearDown() override {
        HandFrameToRenderer(nullptr);
        for (AnimSlot& s : slots) ReleaseSlotFrames(s);
    }
    AnimSlot slots[64];
    SceneLight lights[kMaxPointLights];
    int32_t endEvent = -1;
    FrameDescription frame;
    // A shown slot of `frames` frames played in order.
    AnimSlot& Slot(int index, float frames, float speed, int endRule = 0) {
        AnimSlot& s = slots[index];
        s.frameCount = frames;
        s.mode = 1;
        s.speed = speed;
        s.endRule = endRule;
        return s;
    }
    std::vector<int> Play(AnimSlot& s, int frames) {
        std::vector<int> seen;
        for (int i = 0; i < frames; ++i) {
            StepSlot(s);
            seen.push_back(static_cast<int>(s.currentFrame));
        }
        return seen;
    }
    // The red byte of the back buffer at (x, y).
    static int RedAt(int x, int y) { return ReadBackBufferRgb(false)[(static_cast<size_t>(y) * 800 + x) * 3]; }
};

TEST_F(FrameRenderTest, EndRulesStopWrapAndPingPong) {
    AnimSlot& s = Slot(3, 4, 1.0f);
    s.currentFrame = -1.0f;  // so that the first step shows frame 0
    s.endEvent = 7;
    EXPECT_EQ(Play(s, 6), (std::vector<int>{0, 1, 2, 3, 3, 3}));
    EXPECT_EQ(endEvent, 7);
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
    endEvent = 9;
    StepSlot(Slot(4, 2, 5.0f));
    EXPECT_EQ(endEvent, 9);
    // The speed scales with the frame's length.
    AnimSlot& slow = Slot(0, 100, 0.5f);
    frame.synch = 2.0f;
    StepSlot(slow);
    EXPECT_FLOAT_EQ(slow.currentFrame, 1.0f);
}

TEST_F(FrameRenderTest, FlickerPicksFrameZeroAtTheThresholdRateAndSwitchesItsLight) {
    SeedRandom(1234);
    AnimSlot& s = Slot(0, 2, 1.0f, 1);
    s.flicker = 1;
    s.flickerThreshold = 0.3f;
    s.light = 2;
    s.lightOnState = 1;
    int zero = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        StepSlot(s);
        zero += s.currentFrame == 0.0f;
        ASSERT_EQ(lights[2].enabled, s.currentFrame == 0.0f) << i;
    }
    EXPECT_NEAR(zero / static_cast<double>(n), 0.3, 0.015);
}

TEST_F(FrameRenderTest, SurfaceFramesDrawAtTheirPlaceAndVanishAtTheEnd) {
    ASSERT_TRUE(test::EnsureHeadlessDisplay());
    // Three 4 x 4 frames of grey 10, 20, 30 and the empty one.
    AnimSlot& s = Slot(5, 4, 1.0f);
    s.frames = new void*[3];
    for (int i = 0; i < 3; ++i) {
        Surface* f = CreateSurface(4, 4, 32);
        const uint8_t v = static_cast<uint8_t>(10 * (i + 1));
        FillSurface(*f, PackRgb(32, v, v, v));
        s.frames[i] = f;
    }
    s.vanishAtEnd = 1;
    s.loaded = 1;
    s.x = 20.7f;
    s.y = 30.2f;
    s.currentFrame = -1.0f;
    for (int expected : {10, 20, 30}) {
        ClearBackBuffer(0, 0, 0);
        DrawSlot(5);
        EXPECT_EQ(std::tuple(RedAt(20, 30), RedAt(23, 33), RedAt(24, 30), RedAt(19, 30)),
                  std::tuple(expected, expected, 0, 0));
    }
    // Past the last real frame nothing is drawn.
    ClearBackBuffer(0, 0, 0);
    DrawSlot(5);
    EXPECT_EQ(s.currentFrame, 3.0f);
    EXPECT_EQ(RedAt(20, 30), 0);
    // Hidden slots neither advance nor draw.
    s.mode = 0;
    s.currentFrame = 0;
    DrawSlot(5);
    EXPECT_EQ(s.currentFrame, 0.0f);
}

TEST_F(FrameRenderTest, TextureFramesBlendOnlyWhenAsked) {
    ASSERT_TRUE(test::EnsureHeadlessDisplay());
    uint8_t rgba[4] = {255, 0, 0, 128};
    AnimSlot& s = Slot(55, 1, 0);
    s.frames = new void*[1]{CreateTextureRgba(1, 1, rgba, false, false)};
    s.isTexture = 1;
    s.loaded = 1;
    s.x = 100;
    s.y = 50;
    ClearBackBuffer(0, 0, 1);
    DrawSlot(55);
    auto px = ReadBackBufferRgb(false);
    EXPECT_EQ(std::tuple(px[(50 * 800 + 100) * 3], px[(50 * 800 + 100) * 3 + 2]), std::tuple(uint8_t{255}, uint8_t{0}));
    s.alphaBlend = 1;
    ClearBackBuffer(0, 0, 1);
    DrawSlot(55);
    px = ReadBackBufferRgb(false);
    EXPECT_NEAR(px[(50 * 800 + 100) * 3], 128, 1);
    EXPECT_NEAR(px[(50 * 800 + 100) * 3 + 2], 127, 1);
    EXPECT_EQ(px[(50 * 800 + 101) * 3 + 2], 255);
}

}  // namespace
}  // namespace tarvex
