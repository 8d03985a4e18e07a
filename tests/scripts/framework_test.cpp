// The scene-script framework on the generated demo: the music of the init dispatch,
// corridor views that cut forward and fade back, close-ups that return where they were
// opened, and scenes without content of their own.
#include "interaction/game_state.h"
#include "scripts/scene_dispatch.h"
#include "scripts/script_api.h"
#include "support/game_harness.h"

namespace tarvex {
namespace {

TEST(SceneTable, MusicTracksOfTheInitDispatch) {
    test::ResetEngine();
    // Numbers outside the table keep the music; two groups follow flags of other scenes.
    EXPECT_EQ(std::tuple(SceneMusicTrack(-1), SceneMusicTrack(299)), std::tuple(kTrackKept, kTrackKept));
    EXPECT_EQ(std::tuple(SceneMusicTrack(103), SceneMusicTrack(126), SceneMusicTrack(201)), std::tuple(2, 2, 0));
    SetFlagsOf(120, 0x400);
    SetFlagsOf(201, 0x1);
    EXPECT_EQ(std::tuple(SceneMusicTrack(96), SceneMusicTrack(201)), std::tuple(0, 4));
}

using Framework = test::DemoSceneTest;

TEST_F(Framework, CorridorStepsCutForwardAndTheWayBackFades) {
    Start(287);
    EXPECT_EQ(DRAWTOOLBAR, 0);
    EXPECT_FLOAT_EQ(shadowLength, 50.0f);
    ClickRegion(1);
    EXPECT_EQ(instantCut, 1);
    // A cut: the next view is there within a frame or two, the ramps untouched.
    ASSERT_TRUE(game.Until([] { return currentScene == 160; }, 3));
    game.Frames(3);
    EXPECT_EQ(fadeState, 0u);

    game.RequestScene(290);  // another view
    ASSERT_TRUE(game.Until([] { return currentScene == 290 && fadeState == 0; }, 10));
    ClickRegion(0);
    EXPECT_EQ(instantCut, 0);
    // The way back fades: sixteen frames down before the switch.
    EXPECT_FALSE(game.Until([] { return currentScene == 158; }, 10));
    ASSERT_TRUE(game.Until([] { return currentScene == 158; }, 20));
}

TEST_F(Framework, InventoryCloseUpsReturnToTheSceneTheyWereOpenedFrom) {
    Start(0);
    SetToolOwnership(48, 1, 0);
    game.Click(400, 200, "right");
    game.Frames(15);
    game.Click(16, 16);      // the look verb (opening chose take)
    game.Click(100, 490);    // the item's cell
    EXPECT_EQ(interfaceEnabled, 0);
    ASSERT_TRUE(game.Until([] { return currentScene == 156; }));
    game.Frames(20);
    EXPECT_EQ(DRAWTOOLBAR, 0);  // a close-up closes the toolbar at once
    EXPECT_EQ(SCENETOOLBAR, 0);
    // The right button does nothing while the interface waits.
    game.Click(400, 200, "right");
    EXPECT_EQ(DRAWTOOLBAR, 0);
    ClickRegion(0);
    ASSERT_TRUE(game.Until([] { return currentScene == 0; }));
    EXPECT_EQ(interfaceEnabled, 1);
}

TEST_F(Framework, ScenesWithoutContentStillWalkNoHeroAndKeepTheirMusic) {
    Start(10);  // neither compiled content nor a script of the demo's
    EXPECT_EQ(requestedTrack, 6);
    EXPECT_FALSE(actors[0].inUse);
    game.Click(400, 400);
    game.Frames(30);
    EXPECT_EQ(currentScene, 10);
    // A scene number outside the table is entered but runs no script: no hero, no regions,
    // and the pointer shows the arrow whatever lies under it.
    game.RequestScene(400);
    ASSERT_TRUE(game.Until([] { return currentScene == 400 && fadeState == 0; }, 60));
    game.Click(400, 400);
    EXPECT_FALSE(actors[0].inUse);
    EXPECT_EQ(actionRegions[0].enabled, 0);
    EXPECT_EQ(actors[0].walkRequest, 0);
}

}  // namespace
}  // namespace tarvex
