// The game's tables by subsystem: every owner registered in one order, which is the
// order of every reset. The scene switch, the new-game command, loading a saved game and
// the tests' engine reset all walk the registry, so a table added to an owner cannot be
// forgotten by one of them.
#pragma once

namespace tarvex {

// Registers every owner (once; later calls do nothing). The engine's start does it, before
// any walk over the registry.
void RegisterGameOwners();

// Every owner registered and every table as at program start (tests and tools; the
// configuration and the display stay).
void ResetAllTables();
// A new game: the game's progress and the inventory empty, then a scene reset.
void ResetTablesForNewGame();
// The scene reset: every scene-local table emptied; the game's progress kept.
void ResetTablesForSceneSwitch();

}  // namespace tarvex
