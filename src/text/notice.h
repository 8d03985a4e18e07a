// A short message for the player (a save that could not be written, a saved game that
// was refused), shown at the top of the screen for a few seconds over the game or menu.
#pragma once
#include <string>

namespace tarvex {

// Shows the text (UTF-8) for `seconds`, replacing any notice on screen; also said on stderr.
void ShowNotice(const std::string& utf8, float seconds = 4.0f);
// Draws the notice while its time lasts (the game and menu frames call it).
void DrawNotice();
// The notice on screen ("" when none).
std::string CurrentNotice();
void ResetNotice();

}  // namespace tarvex
