// The list of the game's tables: every table says how it starts, how a new game and a
// scene switch treat it, and where a save keeps it; walking the list does what it says.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "model/actor.h"
#include "shell/game_tables.h"
#include "shell/globals.h"
#include "shell/scene_switch.h"
#include "support/test_support.h"
#include "text/dialogue.h"

namespace tarvex {
namespace {

TEST(GameTables, EveryTableSaysAllItsParts) {
    int count = 0;
    const GameTable* tables = GameTables(count);
    ASSERT_GT(count, 10);
    std::set<std::string> names;
    for (int i = 0; i < count; ++i) {
        ASSERT_NE(tables[i].name, nullptr);
        EXPECT_TRUE(names.insert(tables[i].name).second) << tables[i].name;
        EXPECT_TRUE(tables[i].startUp || tables[i].newGame || tables[i].sceneSwitch) << tables[i].name;
        ASSERT_NE(tables[i].saved, nullptr) << tables[i].name;
        EXPECT_GT(std::string(tables[i].saved).size(), 5u) << tables[i].name;
    }
}

TEST(GameTables, SceneSwitchNewGameAndStartEmptyWhatTheySay) {
    test::ResetEngine();
    currentScene = 7;
    SetFlags(0x5);
    SetState(2);
    SetToolOwnership(30, 1, 0);
    PlaceTool(31, 1, 0, 0, 10, 10);
    DefineRegion(3, 0, 0, 10, 10, 1, 0, 0, 0, 1);
    actors[0].inUse = 1;
    EXE = 5;
    subtitleLength = 9;
    voiceMode = 1;
    MainSost = 7;

    ResetTablesForSceneSwitch();  // progress and inventory stay
    EXPECT_EQ(TestFlags(0x5), 0x5u);
    EXPECT_EQ(GetState(), 2u);
    EXPECT_EQ(ToolTable[30].inInventory, 1);
    EXPECT_EQ(ToolTable[31].scene, -1);
    EXPECT_EQ(actionRegions[3].enabled, 0);
    EXPECT_EQ(actors[0].inUse, 0);
    EXPECT_EQ(EXE, 0);
    EXPECT_EQ(subtitleLength, 0);
    EXPECT_EQ(fadeState, 1u);
    EXPECT_EQ(voiceMode, 1);

    ResetTablesForNewGame();  // a new game starts from nothing
    EXPECT_EQ(TestFlags(0x5), 0u);
    EXPECT_EQ(GetState(), 0u);
    EXPECT_EQ(ToolTable[30].inInventory, 0);
    EXPECT_EQ(voiceMode, 0);
    EXPECT_EQ(MainSost, 0);

    ResetAllTables();
    EXPECT_EQ(currentScene, -1);
}

}  // namespace
}  // namespace tarvex
