// The registry of the game's tables. Every subsystem registers one owner: its name and
// the whole life of its tables (start-up, new game, scene reset, its rows of the saved
// game, what it rebuilds after a load, its part of the state dump). The scene switch,
// the new-game command, the tests' engine reset, the saved game and the state dump walk
// the registry, so a table added to one owner cannot be forgotten by any of them.
// The registry knows its owners only through this interface.
#pragma once
#include <span>
#include <type_traits>
#include <vector>

namespace tarvex {

class SaveSync;
class JsonWriter;

// One field of a table view: read and written as a number (a written value is checked
// against [low, high] and stored in the field's own type).
struct TableField {
    const char* name;
    double (*get)(int row);
    void (*set)(int row, double value) = nullptr;  // null: read-only
    double low = 0, high = 0;
};

// A table of an owner as the workbench shows it: numbered rows of named fields.
struct TableView {
    const char* name;
    int rows;                                   // rows 0 .. rows - 1
    bool (*listed)(int row) = nullptr;          // the rows a listing shows (null: every row)
    std::span<const TableField> fields;
    const char* (*label)(int row) = nullptr;    // a row's file or picture name (null: none)
};

// A field of a table view made of an expression naming the field of row `row` (such as
// `tools[row].x`): read as a number, written in the field's own type.
#define TARVEX_TABLE_FIELD(label, field, lowValue, highValue)                                        \
    ::tarvex::TableField {                                                                          \
        label, [](int row) -> double { return static_cast<double>(field); },                        \
            [](int row, double v) { field = static_cast<std::remove_cvref_t<decltype(field)>>(v); }, \
            lowValue, highValue                                                                     \
    }
#define TARVEX_TABLE_READ(label, value) \
    ::tarvex::TableField { label, [](int row) -> double { return static_cast<double>(value); } }

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
    // Its main tables as the workbench reads and writes them (none when empty).
    std::span<const TableView> views{};
};

// Adds an owner (kept by address: owners live for the whole run) at the end of the list;
// an owner of a name already registered is not added again.
void RegisterOwner(const Owner& owner);
// The owners in the order they were registered: the order of every reset.
const std::vector<const Owner*>& Owners();
// The owner of that name; null when none is registered.
const Owner* FindOwner(const char* name);

// The table view of that name among every owner's; null when none has it.
const TableView* FindTableView(const char* name);

// The walks over the registry, each in the registered order.
void StartUpOwners();
void NewGameOwners();
void SceneResetOwners();
void RebuildOwners();

}  // namespace tarvex
