// A named save made from the menu in one run of the engine, loaded from the load panel in
// the next: the same scene, inventory and flags.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/engine_run.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using SaveAndLoadPlayTest = test::DemoPlayTest;

TEST_F(SaveAndLoadPlayTest, ANamedSaveMadeInTheMenuLoadsInTheNextRun) {
    Line("30 key Escape");          // the menu over the game
    Click(40, 470, 280);            // the save panel
    for (int f = 50; f < 54; ++f) Line(std::to_string(f) + " key Backspace");  // the selected save's name goes
    Line("60 text мой");
    Click(70, 259, 237);            // OK
    Click(90, 350, 400);            // exit
    Play("--scene 0 --give 62 --flag 98:2", 300, {65});
    EXPECT_EQ(Dump(65)["menuInputState"], 2);
    ASSERT_TRUE(std::filesystem::exists(dir + "/saves/мой.sav"));

    replay.clear();
    Line("2 key Space");            // past the intro video
    Click(20, 255, 280);            // the load panel: "auto.sav" is selected first
    Click(30, 369, 365);            // the next save: "мой.sav"
    Click(40, 259, 237);            // OK
    Play("", 60, {25, 55});
    EXPECT_EQ(Dump(25)["menuInputState"], 3);
    const auto loaded = Dump(55);
    EXPECT_EQ(loaded["menuActive"], 0);
    EXPECT_EQ(loaded["currentScene"], 0);
    EXPECT_EQ(loaded["inventory"], nlohmann::json::array({62}));
    EXPECT_EQ(loaded["sceneFlags"]["98"], 2);
}

}  // namespace
}  // namespace tarvex
