#include <gtest/gtest.h>


#include "text/fonts.h"

namespace tarvex {
namespace {

// The system fallback font (DejaVu Sans), opened the way the game opens its own.
class TextCache : public ::testing::Test {
protected:
    void SetUp() override {
        ClearTextCache();
        font_ = OpenFont("", 16, false);
        ASSERT_NE(font_, nullptr) << "no system font";
    }
    void TearDown() override {
        ClearTextCache();
        CloseFont(font_);
    }
    Font* font_ = nullptr;
};

TEST_F(TextCache, RendersEachFontColourAndTextOnce) {
    const uint64_t start = TextRenderCount();
    const RenderedText* first = RenderText(font_, u"Где ключ?", 255, 255, 255);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::tuple(first->width, first->height, TextRenderCount()),
              std::tuple(MeasureTextWidth(font_, u"Где ключ?"), FontHeight(font_), start + 1));

    // Drawn again every frame: the same picture, not rasterised again.
    for (int frame = 0; frame < 10; ++frame) EXPECT_EQ(RenderText(font_, u"Где ключ?", 255, 255, 255), first);
    EXPECT_EQ(TextRenderCount(), start + 1);

    // Each part of the key makes its own picture: colour, font, text.
    const RenderedText* red = RenderText(font_, u"Где ключ?", 255, 0, 0);
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(TextRenderCount(), start + 2);
    Font* italic = OpenFont("", 16, true);
    ASSERT_NE(italic, nullptr);
    ASSERT_NE(RenderText(italic, u"Где ключ?", 255, 255, 255), nullptr);
    ASSERT_NE(RenderText(font_, u"Где ключ!", 255, 255, 255), nullptr);
    EXPECT_EQ(std::tuple(TextRenderCount(), TextCacheSize()), std::tuple(start + 4, size_t{4}));
    CloseFont(italic);

    // Nothing to draw: nothing rendered, nothing kept.
    EXPECT_EQ(RenderText(font_, u"", 255, 255, 255), nullptr);
    EXPECT_EQ(RenderText(nullptr, u"text", 255, 255, 255), nullptr);
    EXPECT_EQ(TextCacheSize(), 4u);
}

TEST_F(TextCache, DropsTheLeastRecentlyDrawnText) {
    auto line = [](size_t i) {
        std::string s = "line " + std::to_string(i);
        return std::u16string(s.begin(), s.end());
    };
    for (size_t i = 0; i < kTextCacheEntries; ++i) ASSERT_NE(RenderText(font_, line(i), 200, 200, 200), nullptr);
    EXPECT_EQ(TextCacheSize(), kTextCacheEntries);
    // Line 0 is drawn again, so line 1 is now the oldest and makes room for the new one.
    RenderText(font_, line(0), 200, 200, 200);
    const uint64_t before = TextRenderCount();
    RenderText(font_, line(kTextCacheEntries), 200, 200, 200);
    EXPECT_EQ(TextCacheSize(), kTextCacheEntries);
    // Lines 0 and 2 are still there; line 1 is made again.
    for (size_t i : {0, 2, 1}) RenderText(font_, line(i), 200, 200, 200);
    EXPECT_EQ(std::tuple(TextRenderCount(), TextCacheSize()), std::tuple(before + 2, kTextCacheEntries));
}

TEST_F(TextCache, AFontOpenedLaterNeverGetsAClosedFontsPictures) {
    const RenderedText* small = RenderText(font_, u"abc", 255, 255, 255);
    ASSERT_NE(small, nullptr);
    const int smallHeight = small->height;
    CloseFont(font_);
    // The allocator may well hand the same address to the next font.
    font_ = OpenFont("", 32, false);
    ASSERT_NE(font_, nullptr);
    const uint64_t before = TextRenderCount();
    const RenderedText* large = RenderText(font_, u"abc", 255, 255, 255);
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(TextRenderCount(), before + 1);
    EXPECT_GT(large->height, smallHeight);
}

}  // namespace
}  // namespace tarvex
