// The game's tables by subsystem, in one list: how each is put back as at program start,
// emptied for a new game, and emptied when a scene is left, and where a saved game keeps
// it. The scene switch, the new-game command, loading a saved game and the tests' engine
// reset all walk this list, so a table added to it cannot be forgotten by one of them.
#pragma once

namespace tarvex {

struct GameTable {
    const char* name;
    void (*startUp)();      // as at program start (null: nothing to do)
    void (*newGame)();      // a new game begins (null: kept)
    void (*sceneSwitch)();  // a scene is left (null: kept), in the order of the scene reset
    const char* saved;      // the rows of a saved game that hold it, or why none need to
};

// The list, in the order the scene reset empties the tables.
const GameTable* GameTables(int& count);

// Every table as at program start (tests; the configuration and the display stay).
void ResetAllTables();
// A new game: the game's progress and the inventory empty, then a scene reset.
void ResetTablesForNewGame();
// The scene reset: every scene-local table emptied; the game's progress kept.
void ResetTablesForSceneSwitch();

}  // namespace tarvex
