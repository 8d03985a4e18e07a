#include "text/fonts.h"

#include <vector>

#include "base/play_settings.h"
#include "platform/display.h"

namespace tarvex {

FontTables gameFonts;

namespace {

struct CachedText {
    uint32_t font = 0;  // the font's serial: a pointer may come back for another font
    uint32_t colour = 0;
    std::u16string text;
    RenderedText picture;
    uint64_t lastUse = 0;
};

// A few dozen entries: a linear search costs less than the hashing of the strings would.
std::vector<CachedText> textCache;
uint64_t useClock = 0;
uint64_t renderCount = 0;

}  // namespace

void CreateGameFonts() {
    ReleaseFonts();
    gameFonts.italicFont = OpenFont(kFontFile, 16, true);
    gameFonts.regularFont = OpenFont(kFontFile, 16, false);
    ApplySubtitleSize();
}

void ApplySubtitleSize() {
    CloseFont(gameFonts.subtitleFont);
    if (playSettings.subtitleSize != kSubtitleSizes[0]) gameFonts.subtitleFont = OpenFont(kFontFile, playSettings.subtitleSize, false);
}

void ReleaseFonts() {
    ClearTextCache();
    CloseFont(gameFonts.subtitleFont);
    CloseFont(gameFonts.regularFont);
    CloseFont(gameFonts.italicFont);
}

int TextWidth(Font* font, const std::u16string& text) { return MeasureTextWidth(font, text); }

const RenderedText* RenderText(Font* font, const std::u16string& text, uint8_t r, uint8_t g, uint8_t b) {
    if (!font || text.empty()) return nullptr;
    const uint32_t serial = FontSerial(font);
    const uint32_t colour = (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
    for (CachedText& entry : textCache) {
        if (entry.font == serial && entry.colour == colour && entry.text == text) {
            entry.lastUse = ++useClock;
            return &entry.picture;
        }
    }
    RenderedText picture;
    if (!RenderTextRgba(font, text, r, g, b, picture.width, picture.height, picture.rgba)) return nullptr;
    ++renderCount;
    CachedText* slot = nullptr;
    if (textCache.size() < kTextCacheEntries) {
        slot = &textCache.emplace_back();
    } else {
        slot = &textCache.front();
        for (CachedText& entry : textCache)
            if (entry.lastUse < slot->lastUse) slot = &entry;
    }
    slot->font = serial;
    slot->colour = colour;
    slot->text = text;
    slot->picture = std::move(picture);
    slot->lastUse = ++useClock;
    return &slot->picture;
}

void DrawText(Font* font, int x, int y, const std::u16string& text, uint8_t r, uint8_t g, uint8_t b) {
    const RenderedText* picture = RenderText(font, text, r, g, b);
    if (!picture) return;
    DrawRgbaImage(x, y, picture->width, picture->height, reinterpret_cast<const uint8_t*>(picture->rgba.data()));
}

void ClearTextCache() { textCache.clear(); }

size_t TextCacheSize() { return textCache.size(); }

uint64_t TextRenderCount() { return renderCount; }

}  // namespace tarvex
