#include "text/notice.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/display.h"
#include "platform/font.h"
#include "text/fonts.h"

namespace tarvex {

namespace {

std::string noticeText;
uint32_t noticeUntil = 0;

}  // namespace

void ShowNotice(const std::string& utf8, float seconds) {
    noticeText = utf8;
    noticeUntil = GetMilliseconds() + static_cast<uint32_t>(seconds * 1000.0f);
    std::fprintf(stderr, "tarvex: %s\n", utf8.c_str());
}

std::string CurrentNotice() {
    if (noticeText.empty() || static_cast<int32_t>(noticeUntil - GetMilliseconds()) <= 0) return "";
    return noticeText;
}

void DrawNotice() {
    const std::string text = CurrentNotice();
    if (text.empty() || !gameFonts.regularFont) return;
    const std::u16string line = Utf8ToUtf16(text);
    const int width = TextWidth(gameFonts.regularFont, line);
    const int x = (kScreenWidth - width) / 2;
    DrawColourRect(x - 8, 40, x + width + 8, 62, 0, 0, 0, 160);
    DrawText(gameFonts.regularFont, x, 43, line, 255, 230, 140);
}

void ResetNotice() {
    noticeText.clear();
    noticeUntil = 0;
}

}  // namespace tarvex
