// Scene state and flags at the tables' bounds, the animation slot services and the
// scripted fade.
#include "interaction/interaction_fixture.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "resources/anim_slot.h"
#include "shell/scene_switch.h"

namespace tarvex {
namespace {

using GameStateTest = test::InteractionTest;

// The flags and states themselves are used by every scene test; here the bounds.
TEST_F(GameStateTest, ScenesOutsideTheTablesReadZeroAndChangeNothing) {
    SetStateOf(-1, 5);
    SetFlagsOf(1024, 1);
    ClearFlagsOf(kSceneWords, 1);
    EXPECT_EQ(std::tuple(TestFlagsOf(1024, 1), GetStateOf(-1)), std::tuple(0u, 0u));
    loop.currentScene = -1;
    SetState(8);
    EXPECT_EQ(GetState(), 0u);
}

TEST_F(GameStateTest, AnimationSlotServices) {
    AnimSlot& s = animation.animSlots[4];
    s.frameCount = 12;
    s.currentFrame = 1.5f;
    EXPECT_FALSE(AnimationAtEnd(300));
    // Interval starts share the sequence clock with the scripted sequences.
    SetFixedFrameRate(10);
    SetVirtualFrame(50);  // 5 s
    gameState.sequenceClock = 0;
    EXPECT_TRUE(PlayAnimationEvery(4, 0.25f, 3));
    EXPECT_EQ(std::tuple(gameState.sequenceClock, s.currentFrame), std::tuple(5.0f, 1.5f));  // from where it stands
    SetVirtualFrame(79);
    EXPECT_FALSE(PlayAnimationEvery(4, 0.25f, 3));
    gameState.sequenceClock = 7.0f;  // a sequence step stored the clock: the next start waits for it
    SetVirtualFrame(80);
    EXPECT_FALSE(PlayAnimationEvery(4, 0.25f, 3));
    SetVirtualFrame(100);
    EXPECT_TRUE(PlayAnimationEvery(4, 0.25f, 3));
}

TEST_F(GameStateTest, FadeStepsBySixteenUntilDarkOrFull) {
    EXPECT_TRUE(FadeStep());  // no fade: done at once
    sceneSwitch.gammaMax = 255;
    sceneSwitch.gammaLevel = 255;
    FadeOut();
    int frames = 1;
    while (!FadeStep()) ++frames;
    EXPECT_EQ(std::tuple(frames, sceneSwitch.gammaLevel, GammaRamp(0)[255]), std::tuple(16, 0u, 0));  // the last step clamped
    FadeIn();
    frames = 1;
    while (!FadeStep()) ++frames;
    EXPECT_EQ(std::tuple(frames, sceneSwitch.gammaLevel, GammaRamp(1)[255], gameState.fadeDirection), std::tuple(16, 255u, 65025, 0));
}

}  // namespace
}  // namespace tarvex
