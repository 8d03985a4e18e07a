// The game's two interface fonts: regular (subtitles, interface texts) and italic
// (the save name in the menu), 16 pixels high, from "Tarvex.ttf" in the game folder;
// and text drawn with them on the screen.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/font.h"

namespace tarvex {

struct FontTables {
    Font* regularFont = nullptr;
    Font* italicFont = nullptr;
    // The subtitles' font when the player chose a larger size; else none (the regular one).
    Font* subtitleFont = nullptr;
};
extern FontTables gameFonts;
inline constexpr const char* kFontFile = "Tarvex.ttf";

void CreateGameFonts();
// Opens the subtitles' font at the size of the player's settings (none at the game's size).
void ApplySubtitleSize();
// Closes both fonts and forgets every rendered text.
void ReleaseFonts();

// Width in pixels of the text drawn with the font.
int TextWidth(Font* font, const std::u16string& text);
// Draws text with its top-left corner at (x, y), in the colour, blended.
void DrawText(Font* font, int x, int y, const std::u16string& text, uint8_t r, uint8_t g, uint8_t b);

// Rendered texts are kept, so that a subtitle shown for many frames is rasterised once:
// the most recently drawn kTextCacheEntries (font, colour, text) pictures.
struct RenderedText {
    int width = 0;
    int height = 0;
    std::string rgba;  // width * height * 4, rows top-down
};
constexpr size_t kTextCacheEntries = 32;
// The picture DrawText draws, from the cache or rendered now; nullptr when nothing draws
// (no font, empty text). Valid until the next call.
const RenderedText* RenderText(Font* font, const std::u16string& text, uint8_t r, uint8_t g, uint8_t b);
void ClearTextCache();
size_t TextCacheSize();
// How many pictures the cache has rendered since the program started.
uint64_t TextRenderCount();

}  // namespace tarvex
