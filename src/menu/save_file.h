// The saved game's file: 52 rows in a fixed order (a thumbnail, the scene tables, the
// records of tools, regions, sound slots, animation slots and actors, and the game's
// single values). The file keeps only the list of its rows and their owners; each owner
// writes and reads its own rows. A file is checked whole before anything uses it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/math.h"
#include "interaction/interaction_state.h"
#include "media/sound.h"
#include "model/actor.h"
#include "resources/anim_slot.h"
namespace tarvex {

// A row of the file: its number (1..52, the file's order) and the owner that holds it.
struct SaveRow {
    int number;
    const char* owner;
};
std::span<const SaveRow> SaveRows();

// The file's bytes for the running game, with the given thumbnail (empty: none written);
// empty when an owner of a row is not registered.
std::vector<uint8_t> BuildSave(const std::vector<uint8_t>& thumbnail);

// Checks a whole file without touching the running game; false with the reason when
// anything does not fit (a short or long file, a record size of another build, a number
// outside its table, a name without its end or naming a file outside the game folder, a
// record the loaders would refuse). `thumbnail`, when given, receives the file's picture
// (empty: none).
bool CheckSave(const uint8_t* data, size_t size, std::string& error, std::vector<uint8_t>* thumbnail = nullptr);

// Reads a checked file into the running game's tables. With `rebuild`, once the scene's
// tables are in (rows up to the animation slots) every owner loads again what they name
// (pictures, sounds, frame sequences, the scene's files), before the rows that follow.
void ReadSave(const uint8_t* data, size_t size, bool rebuild);

}  // namespace tarvex
