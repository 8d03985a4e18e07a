// Fonts with FreeType (through SDL2_ttf): the game folder's font file, else a system
// font with Cyrillic; measuring and rasterising UTF-16 strings, as the game's text
// tables hold them. A text with a character the font lacks is drawn whole with the
// system's font (DejaVu, found through fontconfig). Drawing on the screen is text/fonts.h's.
#pragma once
#include <cstdint>
#include <string>

namespace tarvex {

struct Font;

// Opens `path`, else the first system fallback; pixel height as asked. nullptr when none opens.
Font* OpenFont(const std::string& path, int pixelHeight, bool italic);
void CloseFont(Font*& font);
// A number no other font opened in this process has had (0 for none): unlike the
// pointer, it is never reused after the font is closed.
uint32_t FontSerial(const Font* font);
// Width in pixels of the text rendered with the font.
int MeasureTextWidth(Font* font, const std::u16string& text);
int FontHeight(Font* font);
// Renders text in the colour to RGBA (rows top-down, alpha from the glyph coverage).
// False for no font or empty text.
bool RenderTextRgba(Font* font, const std::u16string& text, uint8_t r, uint8_t g, uint8_t b, int& width,
                    int& height, std::string& rgba);
// True when the font has a glyph for every character of the text (control characters aside).
bool FontCovers(Font* font, const std::u16string& text);
// The system font used when the game has none, or lacks a text's characters ("" when the
// system has none either).
std::string SystemFontPath(bool italic);

std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace tarvex
