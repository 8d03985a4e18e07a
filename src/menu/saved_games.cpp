#include "menu/saved_games.h"

namespace tarvex {

const char* const kSaveNamePrefix = "saves\\";
SaveList saveList;
std::string saveNameBuffer = kSaveNamePrefix;

std::string SavePath(const std::string& gameName) { return gameName; }
bool SaveGame(const std::string&, std::string*) { return false; }
bool LoadGame(const std::string&, std::string*) { return false; }
void AutoSave() {}
void QuickSave() {}
void LoadQuickSave() {}
void LoadAutoSave() {}
void ListSaves() {}
void LoadThumbnail() {}
void TypeSaveNameChar(int) {}
std::vector<uint8_t> MakeThumbnail(const uint8_t*, int, int) { return {}; }
void ResetSavedGames() {}

}  // namespace tarvex
