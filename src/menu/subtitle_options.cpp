#include "menu/subtitle_options.h"

#include <cstdio>
#include <string>

#include "base/globals.h"
#include "base/play_settings.h"
#include "menu/menu_panels.h"
#include "platform/display.h"
#include "platform/font.h"
#include "text/engine_texts.h"
#include "text/fonts.h"
#include "text/notice.h"

namespace tarvex {

namespace {

constexpr float kReadingSpeeds[] = {1.0f, 1.5f, 2.0f, 3.0f};

std::string RowText(int row) {
    char speed[16];
    std::snprintf(speed, sizeof speed, "%.1f", static_cast<double>(playSettings.readingSpeed));
    switch (row) {
    case 0: return EngineText(Caption::SubtitleSize) + std::to_string(playSettings.subtitleSize);
    case 1: return EngineText(Caption::SubtitleBand) + EngineText(playSettings.darkBand ? Caption::BandDark : Caption::BandAsInGame);
    case 2: return EngineText(Caption::ReadingSpeed) + speed;
    default: return EngineText(Caption::WaitForClick) + EngineText(playSettings.waitForClick ? Caption::Yes : Caption::No);
    }
}

template <typename T, size_t N>
T Next(const T (&values)[N], T current) {
    for (size_t i = 0; i < N; ++i)
        if (values[i] == current) return values[(i + 1) % N];
    return values[0];
}

void StepRow(int row) {
    switch (row) {
    case 0:
        playSettings.subtitleSize = Next(kSubtitleSizes, playSettings.subtitleSize);
        ApplySubtitleSize();
        break;
    case 1: playSettings.darkBand = !playSettings.darkBand; break;
    case 2: playSettings.readingSpeed = Next(kReadingSpeeds, playSettings.readingSpeed); break;
    default: playSettings.waitForClick = !playSettings.waitForClick; break;
    }
    if (!SavePlaySettings()) ShowNotice(EngineText(Caption::SettingsNotSaved));
}

}  // namespace

void SubtitleOptionsRows() {
    for (int row = 0; row < kSubtitleOptionsRows; ++row) {
        const int left = kSubtitleOptionsLeft + (row % 2) * kSubtitleOptionsColumnWidth;
        const int top = kSubtitleOptionsTop + (row / 2) * kSubtitleOptionsRowHeight;
        const bool under = pointer.cursorX > left && pointer.cursorX < left + kSubtitleOptionsColumnWidth && pointer.cursorY > top &&
                           pointer.cursorY < top + kSubtitleOptionsRowHeight;
        if (under && FreshMenuPress()) {
            pointer.LeftKey = 1;
            StepRow(row);
        }
        if (gameFonts.regularFont)
            DrawText(gameFonts.regularFont, left, top, Utf8ToUtf16(RowText(row)), under ? 255 : 230, under ? 255 : 200,
                     under ? 160 : 120);
    }
}

}  // namespace tarvex
