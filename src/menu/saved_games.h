// Saved games: the automatic save at every scene switch, the quick save, named saves made
// and chosen in the menu, each a binary snapshot of the game's tables with a 200 x 150
// thumbnail of the game picture in front. Writing goes to a temporary file that replaces
// the old save only when complete; loading checks the whole file before it changes anything.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

constexpr int kThumbnailWidth = 200, kThumbnailHeight = 150;
constexpr size_t kThumbnailBytes = kThumbnailWidth * kThumbnailHeight * 4;
constexpr int kSaveListCapacity = 128;
constexpr size_t kSaveListNameBytes = 32;
// "saves\\" and at most eight typed characters.
constexpr size_t kSaveNameLimit = 14;
inline constexpr const char* kSaveNamePrefix = "saves\\";

// The save list of the menu: names as found in the saves folder, sorted.
struct SaveList {
    std::vector<std::string> names;  // file names ("auto.sav" ...), at most 128
    int selected = 0;
    bool thumbnailShown = false;  // the thumbnail texture holds the named save's picture
};

// The path on disk of a game save name such as "saves/auto.sav" or "saves\\mine.sav"
// (the saves folder of the configuration).
std::string SavePath(const std::string& gameName);

// Writes the save (after the automatic save still being written); false (the previous file
// left whole) when anything fails. `error`
// says what, for the player.
bool SaveGame(const std::string& gameName, std::string* error = nullptr);
// Reads and checks the whole file, then replaces the running game by it and returns to
// the game; a refused file leaves the running game untouched and says why.
bool LoadGame(const std::string& gameName, std::string* error = nullptr);
// The same for a file named by its path on disk.
bool LoadGameFile(const std::string& path, std::string* error = nullptr);

// Says in the notice line every automatic save that failed on the writer thread since the
// last call (each frame calls it).
void ReportFailedSaves();
// Waits for the automatic save being written, then says whether it failed: before a save is
// read or listed, and before the program ends.
void FinishSaves();

// The save written at every scene switch (its bytes made at once, written to disk on the
// writer thread); the quick save (F5); their loads (F6, F7). None acts while a video plays. The keys' three say in the notice line what they did
// ("Сохранено", "Загружено") or why they did not.
void AutoSave();
void QuickSave();
void LoadQuickSave();
void LoadAutoSave();
// Fills the save list and shows the selected entry's thumbnail.
void ListSaves();
// Shows the thumbnail of the save named in the name buffer; a save without one, or a
// file that cannot be read, shows none.
void LoadThumbnail();
// Edits the name buffer while a save name is typed (code page 1251 characters).
void TypeSaveNameChar(int ch);

// The thumbnail of a picture: 4 x 4 averages of 800 x 600 pixels in the display format
// (`depth` 32, 16 or 15), 4 bytes a pixel (blue, green, red, fourth byte).
std::vector<uint8_t> MakeThumbnail(const uint8_t* pixels, int pitch, int depth);

void ResetSavedGames();

}  // namespace tarvex
