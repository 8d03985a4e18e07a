// The registry of the game's tables: the save's rows, each held by an owner that can sync it.
#include <gtest/gtest.h>

#include "base/registry.h"
#include "menu/save_file.h"
#include "shell/game_tables.h"

namespace tarvex {
namespace {

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
