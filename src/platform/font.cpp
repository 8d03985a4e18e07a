#include "platform/font.h"

#include <SDL2/SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cstring>
#include <vector>

namespace tarvex {

struct Font {
    TTF_Font* ttf = nullptr;
    // The system font for texts with characters the font lacks: opened when first needed.
    TTF_Font* fallback = nullptr;
    bool fallbackTried = false;
    int pixelHeight = 0;
    bool italic = false;
    uint32_t serial = 0;
};

namespace {
uint32_t lastSerial = 0;
}  // namespace

std::string SystemFontPath(bool italic) {
    // DejaVu covers Latin, Greek and Cyrillic; fontconfig knows where the system keeps it.
    if (!FcInit()) return "";
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(italic ? "DejaVu Sans:oblique" : "DejaVu Sans"));
    if (!pattern) return "";
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string path;
    FcChar8* file = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
        path = reinterpret_cast<const char*>(file);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}

Font* OpenFont(const std::string& path, int pixelHeight, bool italic) {
    if (!TTF_WasInit() && TTF_Init() != 0) return nullptr;
    TTF_Font* ttf = nullptr;
    bool synthesiseItalic = italic;
    if (!path.empty()) ttf = TTF_OpenFont(path.c_str(), pixelHeight);
    if (!ttf) {
        std::string fallback = SystemFontPath(italic);
        if (!fallback.empty()) ttf = TTF_OpenFont(fallback.c_str(), pixelHeight);
        synthesiseItalic = italic && fallback.find("Oblique") == std::string::npos;
    }
    if (!ttf) return nullptr;
    if (synthesiseItalic) TTF_SetFontStyle(ttf, TTF_STYLE_ITALIC);
    auto* font = new Font;
    font->ttf = ttf;
    font->pixelHeight = pixelHeight;
    font->italic = italic;
    font->serial = ++lastSerial;
    return font;
}

void CloseFont(Font*& font) {
    if (!font) return;
    if (font->ttf) TTF_CloseFont(font->ttf);
    if (font->fallback) TTF_CloseFont(font->fallback);
    delete font;
    font = nullptr;
}

uint32_t FontSerial(const Font* font) { return font ? font->serial : 0; }

bool FontCovers(Font* font, const std::u16string& text) {
    if (!font) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (cp >= 0x20 && !TTF_GlyphIsProvided32(font->ttf, cp)) return false;
    }
    return true;
}

namespace {

// The face a text is drawn with: the font's own when it has every character, else the
// system's fallback when that opens.
TTF_Font* FaceFor(Font* font, const std::u16string& text) {
    if (FontCovers(font, text)) return font->ttf;
    if (!font->fallbackTried) {
        font->fallbackTried = true;
        const std::string path = SystemFontPath(font->italic);
        if (!path.empty()) font->fallback = TTF_OpenFont(path.c_str(), font->pixelHeight);
        if (font->fallback && font->italic && path.find("Oblique") == std::string::npos)
            TTF_SetFontStyle(font->fallback, TTF_STYLE_ITALIC);
    }
    return font->fallback ? font->fallback : font->ttf;
}

}  // namespace

static std::vector<Uint16> NulTerminated(const std::u16string& text) {
    std::vector<Uint16> s(text.begin(), text.end());
    s.push_back(0);
    return s;
}

int MeasureTextWidth(Font* font, const std::u16string& text) {
    if (!font || text.empty()) return 0;
    int w = 0, h = 0;
    auto s = NulTerminated(text);
    if (TTF_SizeUNICODE(FaceFor(font, text), s.data(), &w, &h) != 0) return 0;
    return w;
}

int FontHeight(Font* font) { return font ? TTF_FontHeight(font->ttf) : 0; }

bool RenderTextRgba(Font* font, const std::u16string& text, uint8_t r, uint8_t g, uint8_t b, int& width,
                    int& height, std::string& rgba) {
    if (!font || text.empty()) return false;
    auto s = NulTerminated(text);
    SDL_Surface* rendered = TTF_RenderUNICODE_Blended(FaceFor(font, text), s.data(), SDL_Color{r, g, b, 255});
    if (!rendered) return false;
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ABGR8888, 0);
    SDL_FreeSurface(rendered);
    if (!converted) return false;
    width = converted->w;
    height = converted->h;
    rgba.resize(static_cast<size_t>(width) * height * 4);
    SDL_LockSurface(converted);
    for (int y = 0; y < height; ++y)
        std::memcpy(rgba.data() + static_cast<size_t>(y) * width * 4,
                    static_cast<const uint8_t*>(converted->pixels) + static_cast<size_t>(y) * converted->pitch,
                    static_cast<size_t>(width) * 4);
    SDL_UnlockSurface(converted);
    SDL_FreeSurface(converted);
    return true;
}

std::u16string Utf8ToUtf16(const std::string& utf8) {
    std::u16string out;
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        uint32_t cp = 0;
        int extra = 0;
        if (c < 0x80) cp = c;
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
        else { ++i; continue; }
        bool ok = true;
        for (int k = 1; ok && k <= extra; ++k) {
            if (i + k >= utf8.size() || (static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += ok ? extra + 1 : 1;
        if (!ok) continue;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;  // a surrogate without its partner is no character: UTF-8 cannot hold it
        }
        if (cp < 0x80) out += static_cast<char>(cp);
        else if (cp < 0x800) { out += static_cast<char>(0xC0 | (cp >> 6)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
        else if (cp < 0x10000) { out += static_cast<char>(0xE0 | (cp >> 12)); out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
        else { out += static_cast<char>(0xF0 | (cp >> 18)); out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F)); out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
    }
    return out;
}

}  // namespace tarvex
