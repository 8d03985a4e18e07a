// The owners of the menu's tables: the save list (and the thumbnail in front of a saved
// game) and the main menu.
#pragma once
#include "base/registry.h"

namespace tarvex {

const Owner& SavedGamesOwner();
const Owner& MainMenuOwner();

}  // namespace tarvex
