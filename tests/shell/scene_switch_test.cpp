#include <gtest/gtest.h>

#include "base/globals.h"
#include "platform/display.h"
#include "scripts/scene_dispatch.h"
#include "shell/scene_switch.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

int loadsSeen = 0;
int sceneAtLoad = -1;
void CountLoad() {
    ++loadsSeen;
    sceneAtLoad = currentScene;
}

class SceneSwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetEngine();
        ResetSceneFunctions();
        loadsSeen = 0;
        sceneAtLoad = -1;
        for (int s = 0; s < kSceneCount; ++s) SetSceneFunctions(s, nullptr, CountLoad, nullptr);
        currentScene = 23;
        gammaLevel = gammaMax = 255;
        fadeState = 0;
    }
    // One frame as the game frame sees it: fade step, then the script's request check.
    void Frame(int scriptWrites = -2) {
        StepSceneFade();
        const int start = currentScene;
        if (scriptWrites != -2) currentScene = scriptWrites;
        CheckSceneRequest(start);
    }
};

TEST_F(SceneSwitchTest, FadeTakesSixteenFramesOutAndSixteenIn) {
    Frame(40);
    EXPECT_EQ(currentScene, 23);  // not visible in the requesting frame
    EXPECT_EQ(pendingScene, 40);
    EXPECT_EQ(fadeState, 4294967295u);
    int framesOut = 0;
    while (loadsSeen == 0 && framesOut < 100) {
        Frame();
        ++framesOut;
    }
    EXPECT_EQ(std::tuple(framesOut, sceneAtLoad, currentScene, previousScene, gammaLevel, GammaRamp(0)[255]),
              std::tuple(16, 40, 40, 23, 0u, 0));
    int framesIn = 0;
    while (fadeState != 0 && framesIn < 100) {
        Frame();
        ++framesIn;
    }
    EXPECT_EQ(std::tuple(framesIn, gammaLevel, GammaRamp(1)[255], loadsSeen), std::tuple(16, 255u, 255 * 255, 1));
}

TEST_F(SceneSwitchTest, InstantCutSwitchesOnTheNextFrameWithoutSendingRamps) {
    instantCut = 1;
    FillGammaRamps(255);
    SendGammaRamps();
    Frame(7);
    EXPECT_EQ(loadsSeen, 0);
    Frame();
    EXPECT_EQ(std::tuple(loadsSeen, currentScene), std::tuple(1, 7));
    Frame();
    // The display's ramps were never touched.
    EXPECT_EQ(std::tuple(fadeState, gammaLevel, GammaRamp(0)[255], GammaRamp(0)[1]), std::tuple(0u, 255u, 65025, 255));
}

TEST_F(SceneSwitchTest, LaterRequestWinsAndMinusOneStartsNothing) {
    Frame(-1);
    EXPECT_EQ(fadeState, 0u);
    EXPECT_EQ(currentScene, -1);  // stays as written
    currentScene = 23;
    Frame(40);
    Frame();
    Frame(41);
    EXPECT_EQ(pendingScene, 41);
    while (loadsSeen == 0) Frame();
    EXPECT_EQ(currentScene, 41);
}

TEST_F(SceneSwitchTest, FadeNeverPassesALowGammaMaximum) {
    gammaMax = 100;
    gammaLevel = 90;
    fadeState = 1;
    Frame();
    EXPECT_EQ(std::tuple(gammaLevel, fadeState), std::tuple(100u, 0u));
    // Ramp entries saturate at 65535.
    FillGammaRamps(1000);
    EXPECT_EQ(std::tuple(gammaRamp[0][255], gammaRamp[2][65]), std::tuple(65535, 65000));
    SetGammaMax(70000);
    EXPECT_EQ(gammaMax, kGammaMaxLimit);
}

}  // namespace
}  // namespace tarvex
