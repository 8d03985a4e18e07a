// Inside the menu: its buttons' hit tests and drawing, and the panels that open over
// the main buttons (options, save, load).
#pragma once
#include <cstdint>
#include <string>

namespace tarvex {

// A visible button is under the pointer when the pointer lies strictly inside its hit
// rectangle; hidden buttons never are.
bool MenuButtonUnderPointer(int tool);
// The hit rectangle alone, whatever the button's visibility (the options' switches).
bool PointerInsideButton(int tool);
// Sets the button's lit byte from the pointer; true when lit.
bool LightButtonUnderPointer(int tool);
// Draws the button's picture at its position.
void DrawMenuButton(int tool);
// Draws the lit buttons among first .. last.
void DrawLitButtons(int first, int last);
// A left press not yet used by anything.
bool FreshMenuPress();

// Shows a slider slot at the frame for a value.
void ShowSlider(int slot, int64_t value);
void HideSliders();

// One pass of the options panel (menu state 1).
void OptionsPanel();
// One pass of the save (menu state 2) or load (3) panel.
void SaveLoadPanel(bool save);
// The selected save's thumbnail, tilted, beside the save and load panels.
void DrawThumbnailQuad();

// The game's sounds while the menu is up: paused on entry, going on at the return. A save
// made from the menu sees them as they were playing.
void PauseGameSounds();
void ResumeGameSounds();
// SaveGame with the paused sounds playing again for the moment of the save (muted).
bool SaveGameFromMenu(const std::string& gameName, std::string* error);
void ForgetPausedSounds();

}  // namespace tarvex
