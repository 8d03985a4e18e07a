// Scene state and flags, the animation slot services, the scripted fade and the
// notebook icon.
#include "interaction/interaction_fixture.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "resources/anim_slot.h"
#include "shell/scene_switch.h"

namespace tarvex {
namespace {

using GameStateTest = test::InteractionTest;

TEST_F(GameStateTest, StateAndFlagsOfTheCurrentAndOtherScenes) {
    currentScene = 12;
    SetState(3);
    SetStateOf(40, 9);
    EXPECT_EQ(sceneState[12], 3u);
    EXPECT_EQ(GetStateOf(40), 9u);
    SetFlags(0x5);
    EXPECT_NE(TestFlags(0x6), 0u);  // any bit of the mask
    EXPECT_EQ(TestFlags(0x2), 0u);
    ClearFlags(0x1);
    EXPECT_EQ(sceneFlags[12], 0x4u);
    SetFlagsOf(250, 0x300);
    ClearFlagsOf(250, 0x100);
    EXPECT_EQ(TestFlagsOf(250, 0xFFFF), 0x200u);
    EXPECT_EQ(TestFlagsOf(77, 0xFFFFFFFF), 0u);  // a scene never visited
    // Numbers outside the tables read 0 and change nothing.
    SetStateOf(-1, 5);
    SetFlagsOf(1024, 1);
    EXPECT_EQ(TestFlagsOf(1024, 1), 0u);
    currentScene = -1;
    SetState(8);
    EXPECT_EQ(GetState(), 0u);
}

TEST_F(GameStateTest, AnimationSlotServices) {
    AnimSlot& s = animSlots[4];
    s.frameCount = 12;
    PlayAnimation(4, 0.0f, -0.5f);
    EXPECT_FLOAT_EQ(s.currentFrame, 12.0f);  // backward from the frame count itself
    EXPECT_FLOAT_EQ(s.speed, -0.5f);
    EXPECT_EQ(s.mode, 1);
    PlayAnimation(4, 3.0f, -0.5f);
    EXPECT_FLOAT_EQ(s.currentFrame, 3.0f);
    EXPECT_FALSE(AnimationAtEnd(4));
    s.currentFrame = 11.0f;
    EXPECT_TRUE(AnimationAtEnd(4));
    s.currentFrame = 1.0f;
    EXPECT_TRUE(AnimationAtStart(4));
    s.currentFrame = 1.5f;
    EXPECT_FALSE(AnimationAtStart(4));
    EXPECT_FALSE(AnimationAtEnd(300));

    // Interval starts share the sequence clock with the scripted sequences.
    SetFixedFrameRate(10);
    SetVirtualFrame(50);  // 5 s
    sequenceClock = 0;
    EXPECT_TRUE(PlayAnimationEvery(4, 0.25f, 3));
    EXPECT_FLOAT_EQ(sequenceClock, 5.0f);
    EXPECT_FLOAT_EQ(s.currentFrame, 1.5f);  // from where it stands
    SetVirtualFrame(79);
    EXPECT_FALSE(PlayAnimationEvery(4, 0.25f, 3));
    sequenceClock = 7.0f;  // a sequence step stored the clock: the next start waits for it
    SetVirtualFrame(80);
    EXPECT_FALSE(PlayAnimationEvery(4, 0.25f, 3));
    SetVirtualFrame(100);
    EXPECT_TRUE(PlayAnimationEvery(4, 0.25f, 3));
    SetFixedFrameRate(0);
}

TEST_F(GameStateTest, FadeStepsBySixteenUntilDarkOrFull) {
    EXPECT_TRUE(FadeStep());  // no fade: done at once
    gammaMax = 255;
    gammaLevel = 255;
    FadeOut();
    int frames = 1;
    while (!FadeStep()) ++frames;
    EXPECT_EQ(frames, 16);  // 255 / 16, the last step clamped at 0
    EXPECT_EQ(gammaLevel, 0u);
    EXPECT_EQ(GammaRamp(0)[255], 0);
    FadeIn();
    frames = 1;
    while (!FadeStep()) ++frames;
    EXPECT_EQ(frames, 16);
    EXPECT_EQ(gammaLevel, 255u);
    EXPECT_EQ(GammaRamp(1)[255], 65025);
    EXPECT_EQ(fadeDirection, 0);
}

TEST_F(GameStateTest, NotebookIconBlinksThreeSecondsAfterANewPage) {
    SetFixedFrameRate(10);
    SetVirtualFrame(0);
    AnimSlot& icon = animSlots[35];
    EXPECT_FALSE(NotebookIconFrame());  // no notebook: no icon
    SetToolOwnership(kNotebookTool, 1, 0);
    EXPECT_TRUE(NotebookIconFrame());
    EXPECT_FLOAT_EQ(icon.currentFrame, 0.0f);
    EXPECT_FLOAT_EQ(icon.speed, 0.0f);

    SetVirtualFrame(20);
    WriteNotebookPage(8);
    EXPECT_NE(TestFlagsOf(kNotebookScene, 0x2000), 0u);
    EXPECT_EQ(notebookEntries[1], 1u);
    SetVirtualFrame(49);
    NotebookIconFrame();
    EXPECT_FLOAT_EQ(icon.speed, 0.75f);
    EXPECT_EQ(icon.endRule, 1);
    SetVirtualFrame(50);
    NotebookIconFrame();
    EXPECT_EQ(notebookNewEntry, 0);
    EXPECT_FLOAT_EQ(icon.speed, 0.0f);
    EXPECT_FLOAT_EQ(icon.currentFrame, 1.0f);  // lit while the page is unread
    notebookEntries[1] = 0;
    NotebookIconFrame();
    EXPECT_FLOAT_EQ(icon.currentFrame, 0.0f);
    WriteNotebookPage(5);
    EXPECT_EQ(TestFlagsOf(kNotebookScene, 0x202), 0x202u);
    notebookNewEntry = 0;
    NotebookIconFrame();
    EXPECT_FLOAT_EQ(icon.currentFrame, 1.0f);
    SetFixedFrameRate(0);
}

}  // namespace
}  // namespace tarvex
