// Text drawing with FreeType (through SDL2_ttf): the game folder's font file, else a
// system font with Cyrillic. Strings are UTF-16, as the game's text tables are.
#pragma once
#include <cstdint>
#include <string>

namespace tarvex {

struct Font;

// Opens `path`, else the first system fallback; pixel height as asked. nullptr when none opens.
Font* OpenFont(const std::string& path, int pixelHeight, bool italic);
void CloseFont(Font*& font);
// Width in pixels of the text drawn with the font.
int TextWidth(Font* font, const std::u16string& text);
int FontHeight(Font* font);
// Draws text with its top-left corner at (x, y), in the colour, blended.
void DrawText(Font* font, int x, int y, const std::u16string& text, uint8_t r, uint8_t g, uint8_t b);
// Renders text to RGBA (rows top-down), for callers that draw elsewhere (the settings dialog).
bool RenderTextRgba(Font* font, const std::u16string& text, uint8_t r, uint8_t g, uint8_t b, int& width,
                    int& height, std::string& rgba);
// The fallback font file used when the game has none ("" when the system has none either).
std::string SystemFontPath(bool italic);

std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace tarvex
