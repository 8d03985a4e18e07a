#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/config.h"
#include "base/globals.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "media/video.h"
#include "menu/menu.h"
#include "platform/display.h"
#include "resources/anim_slot.h"
#include "resources/file_lookup.h"
#include "scripts/devices.h"
#include "shell/scene_switch.h"
#include "shell/window_proc.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

class WindowProcTest : public ::testing::Test {
protected:
    void SetUp() override { test::ResetEngine(); }
    void Key(int k) { WindowProc({MessageType::KeyDown, k}); }
    void Char(int c) { WindowProc({MessageType::Char, c}); }
};

TEST_F(WindowProcTest, GammaKeysStopAtThirtyTwoAndRefillTheRamps) {
    sceneSwitch.gammaMax = 40;
    for (int i = 0; i < 10; ++i) Key(vk::F11);
    EXPECT_EQ(std::tuple(sceneSwitch.gammaMax, GammaRamp(0)[255]), std::tuple(32u, 32 * 255));
    Key(vk::F12);
    Key(vk::F12);
    EXPECT_EQ(std::tuple(sceneSwitch.gammaMax, GammaRamp(2)[100]), std::tuple(36u, 3600));
    sceneSwitch.gammaMax = 255;
    Key(vk::F12);
    EXPECT_EQ(sceneSwitch.gammaMax, 257u);  // no ceiling of its own
}

TEST_F(WindowProcTest, EscapeMovesBetweenGameAndMenuOnlyOnceAGameRan) {
    loop.menuActive = 1;
    loop.currentScene = 23;
    Key(vk::Escape);  // no game frame yet: nothing happens
    EXPECT_EQ(loop.menuActive, 1);
    loop.gameStarted = 1;
    Key(vk::Escape);
    EXPECT_EQ(loop.menuActive, 0);
    menuTables.menuInputState = 2;
    Key(vk::Escape);
    EXPECT_EQ(std::tuple(loop.menuActive, menuTables.menuInputState), std::tuple(1, 0));
    // During a video Escape skips it like Space.
    loop.menuActive = 0;
    loop.playMode = 2;
    Key(vk::Escape);
    EXPECT_EQ(std::tuple(videoPlayback.skipVideo, loop.menuActive), std::tuple(1, 0));
}

TEST_F(WindowProcTest, TimersAreIgnoredDuringVideosAndActivationFollowsTheWindow) {
    videoPlayback.videoState = 1;
    WindowProc({MessageType::Timer, 2});
    EXPECT_EQ(animation.animSlots[40].mode, 0);
    videoPlayback.videoState = 0;
    WindowProc({MessageType::Timer, 2});  // the menu clock's tick
    EXPECT_EQ(std::tuple(animation.animSlots[40].mode, animation.animSlots[40].currentFrame, animation.animSlots[40].speed),
              std::tuple(1, 1.0f, 0.99f));
    // Timer 3 acts only when the scene's first flag is clear and a game runs.
    loop.currentScene = 12;
    sceneSwitch.previousScene = 5;
    gameState.sceneFlags[12] = 1;
    WindowProc({MessageType::Timer, 3});
    EXPECT_EQ(animation.animSlots[2].mode, 0);
    gameState.sceneFlags[12] = 0;
    animation.animSlots[2].frameCount = 5;
    WindowProc({MessageType::Timer, 3});
    EXPECT_EQ(animation.animSlots[2].mode, 1);
    EXPECT_FLOAT_EQ(animation.animSlots[2].speed, 0.38f);

    WindowProc({MessageType::Activate, 2});
    EXPECT_EQ(loop.appActive, 1);
    WindowProc({MessageType::Activate, 0});
    EXPECT_EQ(loop.appActive, 0);
    EXPECT_FALSE(WindowProc({MessageType::Close, 0}));
}

}  // namespace
}  // namespace tarvex
