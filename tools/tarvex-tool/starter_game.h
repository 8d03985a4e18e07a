// The starter game of `tarvex-tool new-game`: a game folder that plays at once, as the
// base of an author's own game. Two rooms made by make-scene from pictures rendered
// here (kept in DIR/source/ as an example of what make-scene takes), the hero and his
// head, a script per room, texts, place names, the menu's art and the game's font.
#pragma once
#include <string>
#include <vector>

namespace tarvex::tool {

// Scene numbers and tools of the starter game (a new game begins in scene 23).
constexpr int kStarterRoom = 23, kStarterStoreroom = 24;
constexpr int kStarterTable = 100, kStarterShelf = 101, kStarterBook = 110;  // the highest tool under the pointer wins

struct StarterGameResult {
    std::vector<std::string> files;  // written, relative to the folder, sorted
    std::vector<std::string> makeSceneCommands;  // the make-scene commands that made the rooms
};

// Writes the starter game into `dir`, which must be missing or empty. On any failure
// nothing stays behind (a folder made here is removed again) and `error` says why.
bool WriteStarterGame(const std::string& dir, StarterGameResult& result, std::string& error);

}  // namespace tarvex::tool
