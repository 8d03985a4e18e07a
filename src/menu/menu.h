// The main menu and saved games.
#pragma once
#include <cstdint>
#include <functional>

namespace tarvex {

extern int menuInputState;  // 2 while a save name is typed

void MenuInit();
void MenuFrame();
// The new-game command: a fresh game started in `scene`; `prepare`, when given, runs on
// the fresh tables just before the scene is entered (the developer options' items and flags).
void StartNewGame(int scene, const std::function<void()>& prepare = {});

}  // namespace tarvex
