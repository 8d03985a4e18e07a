#include "menu/menu_owners.h"

#include "base/json_writer.h"
#include "base/owner_names.h"
#include "menu/menu.h"
#include "menu/saved_games.h"
#include "resources/save_sync.h"
#include "scripts/lua_scene.h"
#include "base/globals.h"

namespace tarvex {

namespace {

constexpr int32_t kThumbnailMark = -1;

// Row 1: the mark of a file with a thumbnail (an older file starts with its scene);
// row 2: the thumbnail.
void SyncThumbnail(SaveSync& s, int row) {
    if (row == 1) {
        if (s.Writing()) {
            s.hasThumbnail = s.thumbnail.size() == kThumbnailBytes;
            if (!s.hasThumbnail) return;
            int32_t mark = kThumbnailMark;
            s.Sync(mark);
        } else if (s.PeekI32() == kThumbnailMark) {
            s.hasThumbnail = true;
            s.Skip(4);
        }
        return;
    }
    if (!s.hasThumbnail) return;
    if (s.Writing()) return s.Bytes(s.thumbnail.data(), kThumbnailBytes);
    const std::span<const uint8_t> picture = s.Image(kThumbnailBytes, "the file is shorter than a saved game");
    s.thumbnail.assign(picture.begin(), picture.end());
}

// Loading always returns to the game.
void LeaveMenu() { loop.menuActive = 0; }

void DumpMainMenu(JsonWriter& json, int) {
    json.Member("menuActive", loop.menuActive).Member("menuInputState", menuTables.menuInputState);
}

}  // namespace

const Owner& SavedGamesOwner() {
    static const Owner owner{owner_name::kThumbnail, ResetSavedGames, nullptr, nullptr, SyncThumbnail};
    return owner;
}

// At start-up the menu is empty, and a script's end of the game opens it.
void MenuAtStart() {
    ResetMenu();
    SetEndOfGameMenu(EnterMenuFromGame);
}

const Owner& MainMenuOwner() {
    static const Owner owner{owner_name::kMainMenu, MenuAtStart, nullptr, nullptr, nullptr, LeaveMenu, DumpMainMenu};
    return owner;
}

}  // namespace tarvex
