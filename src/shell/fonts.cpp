#include "shell/fonts.h"

namespace tarvex {

Font* regularFont = nullptr;
Font* italicFont = nullptr;
const char* const kFontFile = "Tarvex.ttf";

void CreateGameFonts() {
    ReleaseFonts();
    italicFont = OpenFont(kFontFile, 16, true);
    regularFont = OpenFont(kFontFile, 16, false);
}

void ReleaseFonts() {
    CloseFont(regularFont);
    CloseFont(italicFont);
}

}  // namespace tarvex
