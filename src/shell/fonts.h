// The game's two interface fonts: regular (subtitles, interface texts) and italic
// (the save name in the menu), 16 pixels high, from "Tarvex.ttf" in the game folder.
#pragma once
#include "platform/font.h"

namespace tarvex {

extern Font* regularFont;
extern Font* italicFont;
extern const char* const kFontFile;

void CreateGameFonts();
void ReleaseFonts();

}  // namespace tarvex
