#include "menu/language_line.h"

#include <vector>

#include "base/globals.h"
#include "menu/menu.h"
#include "menu/menu_panels.h"
#include "platform/font.h"
#include "text/engine_texts.h"
#include "text/fonts.h"
#include "text/language_pack.h"
#include "text/notice.h"

namespace tarvex {

namespace {

// Below the panel's switches, in the free band above its buttons.
constexpr int kLineX = 295, kLineY = 196;

struct LanguageLineState {
    bool found = false;
    std::vector<LanguageChoice> choices;
};
LanguageLineState languageLine;

size_t CurrentChoice() {
    for (size_t i = 0; i < languageLine.choices.size(); ++i)
        if (languageLine.choices[i].code == languagePack.code) return i;
    return 0;
}

}  // namespace

void LanguageLine() {
    if (!languageLine.found) {
        languageLine.choices = FindLanguages();
        languageLine.found = true;
    }
    const size_t current = CurrentChoice();
    const std::u16string text =
        Utf8ToUtf16(EngineText(Caption::Language) + languageLine.choices[current].name);
    Font* font = gameFonts.regularFont;
    const int width = TextWidth(font, text);
    const bool hovered = pointer.cursorX > kLineX && pointer.cursorX < kLineX + width && pointer.cursorY > kLineY && pointer.cursorY < kLineY + 16;
    if (hovered && languageLine.choices.size() > 1 && FreshMenuPress()) {
        pointer.LeftKey = 1;
        const LanguageChoice& next = languageLine.choices[(current + 1) % languageLine.choices.size()];
        UseLanguage(next.code);
        ReloadMenuPictures();
        if (!StoreLanguage(languagePack.code)) ShowNotice(EngineText(Caption::CannotWrite) + "settings.ini");
        return;  // drawn in the new language from the next pass
    }
    if (hovered)
        DrawText(font, kLineX, kLineY, text, 255, 255, 255);
    else
        DrawText(font, kLineX, kLineY, text, 0x9d, 0x9d, 0x7b);
}

void ForgetLanguageChoices() { languageLine = LanguageLineState{}; }

}  // namespace tarvex
