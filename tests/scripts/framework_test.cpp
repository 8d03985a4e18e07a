// The scene-script framework on the generated demo: close-ups that return where they
// were opened, and scenes without content of their own.
#include "interaction/game_state.h"
#include "scripts/scene_dispatch.h"
#include "scripts/script_api.h"
#include "support/game_harness.h"

namespace tarvex {
namespace {

using Framework = test::DemoSceneTest;

TEST_F(Framework, InventoryCloseUpsReturnToTheSceneTheyWereOpenedFrom) {
    Start(0);
    SetToolOwnership(48, 1, 0);
    game.Click(400, 200, "right");
    game.Frames(15);
    game.Click(16, 16);      // the look verb (opening chose take)
    game.Click(100, 490);    // the item's cell
    EXPECT_EQ(interaction.interfaceEnabled, 0);
    ASSERT_TRUE(game.Until([] { return loop.currentScene == 156; }));
    game.Frames(20);
    EXPECT_EQ(interaction.DRAWTOOLBAR, 0);  // a close-up closes the toolbar at once
    EXPECT_EQ(interaction.SCENETOOLBAR, 0);
    // The right button does nothing while the interface waits.
    game.Click(400, 200, "right");
    EXPECT_EQ(interaction.DRAWTOOLBAR, 0);
    ClickRegion(0);
    ASSERT_TRUE(game.Until([] { return loop.currentScene == 0; }));
    EXPECT_EQ(interaction.interfaceEnabled, 1);
}

TEST_F(Framework, ScenesWithoutContentStillWalkNoHeroAndKeepTheirMusic) {
    Start(10);  // neither compiled content nor a script of the demo's
    EXPECT_EQ(loop.requestedTrack, 6);
    EXPECT_FALSE(actorTable.actors[0].inUse);
    game.Click(400, 400);
    game.Frames(30);
    EXPECT_EQ(loop.currentScene, 10);
    // A scene number outside the table is entered but runs no script: no hero, no regions,
    // and the pointer shows the arrow whatever lies under it.
    game.RequestScene(400);
    ASSERT_TRUE(game.Until([] { return loop.currentScene == 400 && sceneSwitch.fadeState == 0; }, 60));
    game.Click(400, 400);
    EXPECT_FALSE(actorTable.actors[0].inUse);
    EXPECT_EQ(interaction.actionRegions[0].enabled, 0);
    EXPECT_EQ(actorTable.actors[0].walkRequest, 0);
}

}  // namespace
}  // namespace tarvex
