// The registry of the game's tables. Every subsystem registers one owner: its name and
// the whole life of its tables (start-up, new game, scene reset, its rows of the saved
// game, what it rebuilds after a load, its part of the state dump). The scene switch,
// the new-game command, the tests' engine reset, the saved game and the state dump walk
// the registry, so a table added to one owner cannot be forgotten by any of them.
// The registry knows its owners only through this interface.
#pragma once
#include <vector>

namespace tarvex {

class SaveSync;
class JsonWriter;

struct Owner {
    const char* name;
    void (*startUp)() = nullptr;     // as at program start (null: nothing to do)
    void (*newGame)() = nullptr;     // a new game begins (null: kept)
    void (*sceneReset)() = nullptr;  // a scene is left (null: kept)
    // Writes or reads row `row` of the saved game (one function for both directions).
    void (*sync)(SaveSync& s, int row) = nullptr;
    // Once a load has read the scene's tables: loads again what they name.
    void (*rebuild)() = nullptr;
    // Writes part `part` of the state dump (the dump says which part goes where).
    void (*dump)(JsonWriter& json, int part) = nullptr;
};

// Adds an owner (kept by address: owners live for the whole run) at the end of the list;
// an owner of a name already registered is not added again.
void RegisterOwner(const Owner& owner);
// The owners in the order they were registered: the order of every reset.
const std::vector<const Owner*>& Owners();
// The owner of that name; null when none is registered.
const Owner* FindOwner(const char* name);

// The walks over the registry, each in the registered order.
void StartUpOwners();
void NewGameOwners();
void SceneResetOwners();
void RebuildOwners();

}  // namespace tarvex
