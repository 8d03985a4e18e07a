// The main menu and saved games.
#pragma once
#include <cstdint>

namespace tarvex {

extern int menuInputState;  // 2 while a save name is typed

void MenuInit();
void MenuFrame();
void QuickSave();
void LoadQuickSave();
void LoadAutoSave();
void AutoSave();
void TypeSaveNameChar(int ch);
// The new-game command: a fresh game started in `scene`.
void StartNewGame(int scene);

}  // namespace tarvex
