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
    gammaMax = 40;
    for (int i = 0; i < 10; ++i) Key(vk::F11);
    EXPECT_EQ(gammaMax, 32u);
    EXPECT_EQ(GammaRamp(0)[255], 32 * 255);
    Key(vk::F12);
    Key(vk::F12);
    EXPECT_EQ(gammaMax, 36u);
    EXPECT_EQ(GammaRamp(2)[100], 3600);
    gammaMax = 255;
    Key(vk::F12);
    EXPECT_EQ(gammaMax, 257u);  // no ceiling of its own
}

TEST_F(WindowProcTest, F9StepsTheModeValue) {
    for (int expected : {1, 2, 3, 0, 1}) {
        Key(vk::F9);
        EXPECT_EQ(config.modeValue, expected);
    }
    // A value from nowhere steps back to the start instead of overflowing.
    config.modeValue = 0x7FFFFFFF;
    Key(vk::F9);
    EXPECT_EQ(config.modeValue, 0);
}

TEST_F(WindowProcTest, EscapeMovesBetweenGameAndMenuOnlyOnceAGameRan) {
    menuActive = 1;
    currentScene = 23;
    Key(vk::Escape);  // no game frame yet: nothing happens
    EXPECT_EQ(menuActive, 1);
    gameStarted = 1;
    Key(vk::Escape);
    EXPECT_EQ(menuActive, 0);
    menuInputState = 2;
    Key(vk::Escape);
    EXPECT_EQ(menuActive, 1);
    EXPECT_EQ(menuInputState, 0);
    // During a video Escape skips it like Space.
    menuActive = 0;
    playMode = 2;
    Key(vk::Escape);
    EXPECT_EQ(skipVideo, 1);
    EXPECT_EQ(menuActive, 0);
}

TEST_F(WindowProcTest, DevicePuzzleBeyondItsLimitOnlySetsTheMismatchCode) {
    // The fax number's device: five digits, then Enter; match 24, mismatch 23.
    const auto oldDir = std::filesystem::current_path();
    std::filesystem::current_path(test::TempDir("window-proc-codes"));
    std::filesystem::create_directories("data");
    std::ofstream("data/codes.txt") << "device6 11111\n";
    ClearFileLookupCache();
    ResetDevices();
    MainSost = 6;
    for (int i = 0; i < 5; ++i) Char('1');
    EXPECT_EQ(numberdigit, 5);
    EXPECT_EQ(EXE, 0);
    Char(13);  // Enter as the sixth key reaches the entry
    EXPECT_EQ(numberdigit, 6);
    EXPECT_EQ(EXE, 24);
    ClearTypedEntry();
    EXE = 0;
    for (int i = 0; i < 5; ++i) Char('1');
    Char('2');  // any other sixth key only reports the mismatch
    EXPECT_EQ(numberdigit, 6);
    EXPECT_EQ(EXE, 23);
    EXE = 0;
    Char(13);  // Enter still reaches the entry: the refused key was never stored
    EXPECT_EQ(EXE, 24);
    EXPECT_EQ(numberdigit, 7);
    ResetDevices();
    std::filesystem::current_path(oldDir);
    ClearFileLookupCache();
    // On devices 1 to 4 every key past the limit is a mismatch, Enter included.
    MainSost = 2;
    numberdigit = 10;
    Char(13);
    EXPECT_EQ(EXE, 3);
    // Characters outside the device set, and the lantern mode, are not counted.
    numberdigit = 0;
    Char('#');
    MainSost = 5;
    Char('1');
    EXPECT_EQ(numberdigit, 0);
    // While a save name is typed nothing goes to the device.
    MainSost = 6;
    menuInputState = 2;
    Char('1');
    EXPECT_EQ(numberdigit, 0);
}

TEST_F(WindowProcTest, DeviceTableMatchesItsKeyboards) {
    const KeyboardDevice* d7 = FindKeyboardDevice(7);
    ASSERT_NE(d7, nullptr);
    EXPECT_EQ(d7->textCount, 3);
    EXPECT_EQ(d7->guards[2], 0x4u);
    EXPECT_STREQ(d7->cursorPicture, "animgfx/scene252/pod000.bmp");
    EXPECT_EQ(FindKeyboardDevice(5), nullptr);
    EXPECT_EQ(FindKeyboardDevice(1)->x, 269);
    EXPECT_EQ(FindKeyboardDevice(12)->mismatchCode, 5);
    EXPECT_EQ(FindKeyboardDevice(12)->matchCode, 10);
    EXPECT_EQ(FindKeyboardDevice(6)->matchCode, 24);
    EXPECT_EQ(FindKeyboardDevice(8)->guards[1], 0x80000u);
}

TEST_F(WindowProcTest, TimersAreIgnoredDuringVideosAndActivationFollowsTheWindow) {
    videoState = 1;
    WindowProc({MessageType::Timer, 2});
    EXPECT_EQ(animSlots[40].mode, 0);
    videoState = 0;
    WindowProc({MessageType::Timer, 2});  // the menu clock's tick
    EXPECT_EQ(animSlots[40].mode, 1);
    EXPECT_FLOAT_EQ(animSlots[40].currentFrame, 1.0f);
    EXPECT_FLOAT_EQ(animSlots[40].speed, 0.99f);
    // Timer 3 acts only when the scene's first flag is clear and a game runs.
    currentScene = 12;
    previousScene = 5;
    sceneFlags[12] = 1;
    WindowProc({MessageType::Timer, 3});
    EXPECT_EQ(animSlots[2].mode, 0);
    sceneFlags[12] = 0;
    animSlots[2].frameCount = 5;
    WindowProc({MessageType::Timer, 3});
    EXPECT_EQ(animSlots[2].mode, 1);
    EXPECT_FLOAT_EQ(animSlots[2].speed, 0.38f);

    WindowProc({MessageType::Activate, 2});
    EXPECT_EQ(appActive, 1);
    WindowProc({MessageType::Activate, 0});
    EXPECT_EQ(appActive, 0);
    EXPECT_FALSE(WindowProc({MessageType::Close, 0}));
}

}  // namespace
}  // namespace tarvex
