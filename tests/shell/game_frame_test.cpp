#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/globals.h"
#include "interaction/interaction_state.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/input.h"
#include "scripts/scene_dispatch.h"
#include "shell/display_setup.h"
#include "shell/game_frame.h"
#include "shell/scene_switch.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

uint8_t buttonSeenByScene = 0;
int32_t leftKeySeenByScene = -1;
void RecordClick() {
    buttonSeenByScene = pointer.mouseState.buttons[0];
    leftKeySeenByScene = pointer.LeftKey;
}

class GameFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetEngine();
        ResetSceneFunctions();
        dir = test::TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    // Feeds one frame's replay lines and reads the pointer as a frame does.
    void Replay(const std::string& lines) {
        std::ofstream(dir + "/input.txt") << lines;
        std::string error;
        ASSERT_TRUE(OpenReplay(dir + "/input.txt", error)) << error;
    }
    std::string dir;
};

TEST_F(GameFrameTest, PointerIsClampedInsideTheScreen) {
    Replay("0 pointer 5000 -40\n1 pointer -3 9999\n2 pointer 400 300\n");
    auto at = [](int frame) {
        BeginInputFrame(frame);
        ReadPointer();
        return std::pair(pointer.cursorX, pointer.cursorY);
    };
    EXPECT_EQ(at(0), std::pair(797, 2));
    EXPECT_EQ(at(1), std::pair(2, 597));
    EXPECT_EQ(at(2), std::pair(400, 300));
    EXPECT_EQ(at(3), std::pair(400, 300));  // no motion keeps the pointer where it is
}

TEST_F(GameFrameTest, QuickPressAndReleaseBetweenFramesIsStillSeenOnce) {
    Replay("0 press left\n0 release left\n");
    BeginInputFrame(0);
    ReadPointer();
    EXPECT_EQ(pointer.mouseState.buttons[0], 0x80);
    BeginInputFrame(1);
    ReadPointer();
    EXPECT_EQ(pointer.mouseState.buttons[0], 0);
}

TEST_F(GameFrameTest, TheOpenToolbarHidesTheClickFromTheScene) {
    ASSERT_TRUE(test::EnsureHeadlessDisplay());
    SetFixedFrameRate(30);
    loop.currentScene = 23;
    SetSceneFunctions(23, nullptr, nullptr, RecordClick);
    Replay("0 press left\n");
    BeginInputFrame(0);
    interaction.DRAWTOOLBAR = 1;
    GameFrame();
    EXPECT_EQ(buttonSeenByScene, 0);
    EXPECT_EQ(pointer.mouseState.buttons[0], 0x80);  // restored for the toolbar
    EXPECT_EQ(pointer.LeftKey, 0);                    // the toolbar still has the press to use
    interaction.DRAWTOOLBAR = 0;
    BeginInputFrame(1);
    GameFrame();
    EXPECT_EQ(buttonSeenByScene, 0x80);
    EXPECT_EQ(pointer.LeftKey, 1);
}

TEST(FrameRate, ALongFrameClosesTheWindowAtOnce) {
    test::ResetEngine();
    SetFixedFrameRate(0);
    RestartFrameRateWindow();
    // The measuring window restarted at the present time; one frame 0.15 s later.
    const double start = ClockSeconds();
    CountFrame(start + 0.15);
    EXPECT_GT(framePace.synch, 3.0f);
    EXPECT_NEAR(framePace.fps, 1.0 / 0.15, 0.5);
    // Frames inside a window leave synch alone until it closes.
    CountFrame(start + 0.16);
    CountFrame(start + 0.20);
    EXPECT_GT(framePace.synch, 3.0f);
    CountFrame(start + 0.26);  // three frames in 0.11 s
    EXPECT_NEAR(framePace.synch, 30.0f / (3 / 0.11f), 0.05f);
}

}  // namespace
}  // namespace tarvex
