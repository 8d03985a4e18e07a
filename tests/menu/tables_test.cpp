// The registry of the game's tables: every owner says how its tables start, how a new
// game and a scene switch treat them, and which rows of a save it holds; walking the
// registry does what they say.
#include <gtest/gtest.h>

#include "base/globals.h"
#include "base/registry.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "shell/game_tables.h"
#include "menu/save_file.h"
#include "model/actor.h"
#include "platform/display.h"
#include "resources/anim_slot.h"
#include "shell/scene_switch.h"
#include "support/test_support.h"
#include "text/dialogue.h"

namespace tarvex {
namespace {

TEST(GameTables, SceneSwitchNewGameAndStartEmptyWhatTheySay) {
    test::ResetEngine();
    currentScene = 7;
    SetFlags(0x5);
    SetState(2);
    SetToolOwnership(30, 1, 0);
    PlaceTool(31, 1, 0, 0, 10, 10);
    DefineRegion(3, 0, 0, 10, 10, 1, 0, 0, 0, 1);
    actorTable.actors[0].inUse = 1;
    interaction.ToolTable[31].drawn = interaction.ToolTable[31].clickable = 1;
    animation.animSlots[3].loaded = animation.animSlots[3].mode = 1;
    animation.animSlots[55].isTexture = animation.animSlots[55].mode = 1;
    frameRateCap = 60;
    playMode = 2;
    animation.postedEndEvent = 4;
    fogEnabled = true;
    interaction.EXE = 5;
    dialogue.subtitleLength = 9;
    dialogue.voiceMode = 1;
    MainSost = 7;

    ResetTablesForSceneSwitch();  // progress and inventory stay
    EXPECT_EQ(TestFlags(0x5), 0x5u);
    EXPECT_EQ(GetState(), 2u);
    EXPECT_EQ(interaction.ToolTable[30].inInventory, 1);
    EXPECT_EQ(interaction.ToolTable[31].scene, -1);
    EXPECT_EQ(interaction.ToolTable[31].drawn + interaction.ToolTable[31].clickable, 0);
    EXPECT_EQ(animation.animSlots[3].loaded + animation.animSlots[3].mode, 0);
    EXPECT_EQ(animation.animSlots[55].mode, 1);  // texture slots stay
    EXPECT_EQ(frameRateCap, 32.0f);
    EXPECT_EQ(playMode, 0);
    EXPECT_EQ(animation.postedEndEvent, -1);
    EXPECT_FALSE(fogEnabled);
    EXPECT_EQ(backgroundValid, 1);
    EXPECT_EQ(interaction.actionRegions[3].enabled, 0);
    EXPECT_EQ(actorTable.actors[0].inUse, 0);
    EXPECT_EQ(interaction.EXE, 0);
    EXPECT_EQ(dialogue.subtitleLength, 0);
    EXPECT_EQ(fadeState, 1u);
    EXPECT_EQ(dialogue.voiceMode, 1);

    ResetTablesForNewGame();  // a new game starts from nothing
    EXPECT_EQ(TestFlags(0x5), 0u);
    EXPECT_EQ(GetState(), 0u);
    EXPECT_EQ(interaction.ToolTable[30].inInventory, 0);
    EXPECT_EQ(dialogue.voiceMode, 0);
    EXPECT_EQ(MainSost, 0);

    ResetAllTables();
    EXPECT_EQ(currentScene, -1);
}

TEST(GameTables, TheSaveIsFiftyTwoRowsInFileOrderEachWithItsOwner) {
    RegisterGameOwners();
    int expected = 1;
    for (const SaveRow& row : SaveRows()) {
        EXPECT_EQ(row.number, expected++);
        const Owner* owner = FindOwner(row.owner);
        ASSERT_NE(owner, nullptr) << row.owner;
        EXPECT_NE(owner->sync, nullptr) << row.owner;
    }
    EXPECT_EQ(expected, 53);
}

}  // namespace
}  // namespace tarvex
