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
    sceneAtLoad = loop.currentScene;
}

class SceneSwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetEngine();
        ResetSceneFunctions();
        loadsSeen = 0;
        sceneAtLoad = -1;
        for (int s = 0; s < kSceneCount; ++s) SetSceneFunctions(s, nullptr, CountLoad, nullptr);
        loop.currentScene = 23;
        sceneSwitch.gammaLevel = sceneSwitch.gammaMax = 255;
        sceneSwitch.fadeState = 0;
    }
    // One frame as the game frame sees it: fade step, then the script's request check.
    void Frame(int scriptWrites = -2) {
        StepSceneFade();
        const int start = loop.currentScene;
        if (scriptWrites != -2) loop.currentScene = scriptWrites;
        CheckSceneRequest(start);
    }
};

TEST_F(SceneSwitchTest, FadeTakesSixteenFramesOutAndSixteenIn) {
    Frame(40);
    EXPECT_EQ(loop.currentScene, 23);  // not visible in the requesting frame
    EXPECT_EQ(sceneSwitch.pendingScene, 40);
    EXPECT_EQ(sceneSwitch.fadeState, 4294967295u);
    int framesOut = 0;
    while (loadsSeen == 0 && framesOut < 100) {
        Frame();
        ++framesOut;
    }
    EXPECT_EQ(std::tuple(framesOut, sceneAtLoad, loop.currentScene, sceneSwitch.previousScene, sceneSwitch.gammaLevel, GammaRamp(0)[255]),
              std::tuple(16, 40, 40, 23, 0u, 0));
    int framesIn = 0;
    while (sceneSwitch.fadeState != 0 && framesIn < 100) {
        Frame();
        ++framesIn;
    }
    EXPECT_EQ(std::tuple(framesIn, sceneSwitch.gammaLevel, GammaRamp(1)[255], loadsSeen), std::tuple(16, 255u, 255 * 255, 1));
}

TEST_F(SceneSwitchTest, InstantCutSwitchesOnTheNextFrameWithoutSendingRamps) {
    sceneSwitch.instantCut = 1;
    FillGammaRamps(255);
    SendGammaRamps();
    Frame(7);
    EXPECT_EQ(loadsSeen, 0);
    Frame();
    EXPECT_EQ(std::tuple(loadsSeen, loop.currentScene), std::tuple(1, 7));
    Frame();
    // The display's ramps were never touched.
    EXPECT_EQ(std::tuple(sceneSwitch.fadeState, sceneSwitch.gammaLevel, GammaRamp(0)[255], GammaRamp(0)[1]), std::tuple(0u, 255u, 65025, 255));
}

TEST_F(SceneSwitchTest, LaterRequestWinsAndMinusOneStartsNothing) {
    Frame(-1);
    EXPECT_EQ(sceneSwitch.fadeState, 0u);
    EXPECT_EQ(loop.currentScene, -1);  // stays as written
    loop.currentScene = 23;
    Frame(40);
    Frame();
    Frame(41);
    EXPECT_EQ(sceneSwitch.pendingScene, 41);
    while (loadsSeen == 0) Frame();
    EXPECT_EQ(loop.currentScene, 41);
}

TEST_F(SceneSwitchTest, FadeNeverPassesALowGammaMaximum) {
    sceneSwitch.gammaMax = 100;
    sceneSwitch.gammaLevel = 90;
    sceneSwitch.fadeState = 1;
    Frame();
    EXPECT_EQ(std::tuple(sceneSwitch.gammaLevel, sceneSwitch.fadeState), std::tuple(100u, 0u));
    // Ramp entries saturate at 65535.
    FillGammaRamps(1000);
    EXPECT_EQ(std::tuple(sceneSwitch.gammaRamp[0][255], sceneSwitch.gammaRamp[2][65]), std::tuple(65535, 65000));
    SetGammaMax(70000);
    EXPECT_EQ(sceneSwitch.gammaMax, kGammaMaxLimit);
}

}  // namespace
}  // namespace tarvex
