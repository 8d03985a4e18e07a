// The menu in the real engine, headless, from replays: the pointer under the intro video,
// Escape over a running scene and back, a new game started from the menu.
#include <gtest/gtest.h>

#include "support/engine_run.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using MenuPlayTest = test::DemoPlayTest;

TEST_F(MenuPlayTest, ThePointerReachesTheScreensEdgesInTheMenu) {
    // Under the intro video, which plays over the menu at start-up.
    Line("3 pointer -50 -50");
    Line("6 pointer 900 700");
    Play("", 10, {4, 8});
    const auto corner = Dump(4);
    EXPECT_EQ(corner["menuActive"], 1);
    EXPECT_EQ(corner["playMode"], 2);
    EXPECT_EQ(corner["pointerX"], 1);
    EXPECT_EQ(corner["pointerY"], 1);
    const auto far = Dump(8);
    EXPECT_EQ(far["pointerX"], 799);
    EXPECT_EQ(far["pointerY"], 599);
}

TEST_F(MenuPlayTest, EscapeShowsTheFrozenGameAroundTheMenuAndGoesBackToIt) {
    Line("40 key Escape");
    Line("70 key Escape");
    Play("--scene 0", 75, {39, 50, 70}, {39, 50, 70});
    EXPECT_EQ(Dump(50)["menuActive"], 1);
    const auto back = Dump(70);
    EXPECT_EQ(back["menuActive"], 0);
    EXPECT_EQ(back["currentScene"], 0);
    EXPECT_EQ(back["actors"][0]["position"], Dump(39)["actors"][0]["position"]);

    const auto game = Shot(39), menu = Shot(50), again = Shot(70);
    ASSERT_TRUE(game.ok && menu.ok && again.ok);
    // Black in the menu picture shows the game as it was; the cabinet covers the middle.
    EXPECT_LT(test::Difference(game, menu, 0, 100, 190, 600), 1.0);
    EXPECT_LT(test::Difference(game, menu, 610, 100, 800, 600), 1.0);
    EXPECT_GT(test::Difference(game, menu, 210, 430, 590, 510), 20.0);
    // Back in the game the scene's background is its own again.
    EXPECT_LT(test::Difference(game, again, 0, 0, 800, 600), 1.0);
}

TEST_F(MenuPlayTest, NewGameFromTheMenuStartsInScene23WithEmptyTables) {
    Line("20 key Escape");
    Click(30, 370, 160);
    Play("--scene 131 --flag 131:20 --give 62", 80, {19, 25, 75});
    const auto before = Dump(19);
    ASSERT_EQ(before["currentScene"], 131);
    ASSERT_TRUE(before["sceneFlags"].contains("131"));
    ASSERT_EQ(before["inventory"], nlohmann::json::array({62}));
    const auto menu = Dump(25);
    EXPECT_EQ(menu["menuActive"], 1);
    EXPECT_EQ(menu["menuInputState"], 0);
    EXPECT_EQ(menu["toolUnderPointer"], 1015);  // the pointer rests on the credits button

    const auto fresh = Dump(75);
    EXPECT_EQ(fresh["menuActive"], 0);
    EXPECT_EQ(fresh["currentScene"], 23);
    EXPECT_FALSE(fresh["sceneFlags"].contains("131"));
    EXPECT_FALSE(fresh["sceneState"].contains("131"));
    EXPECT_EQ(fresh["inventory"], nlohmann::json::array());
    EXPECT_EQ(fresh["heldTool"], -1);
    EXPECT_EQ(fresh["DRAWTOOLBAR"], 0);
    EXPECT_EQ(fresh["voiceMode"], 0);
}

}  // namespace
}  // namespace tarvex
