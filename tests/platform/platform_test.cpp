#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <fstream>

#include "platform/clock.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/timers.h"
#include "shell/options.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

TEST(Surface, CopiesClipAtEveryEdgeAndSkipBlackWithColourKey) {
    Surface* dst = CreateSurface(8, 6, 32);
    Surface* src = CreateSurface(4, 4, 32);
    ASSERT_TRUE(dst && src);
    FillSurface(*dst, 0x111111);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) SetPixel(*src, x, y, (x == 1 && y == 1) ? 0 : 0x100 * (y * 4 + x + 1));
    // Hanging over the top-left corner: only the bottom-right 2 x 2 of the source lands.
    ASSERT_TRUE(BltSurface(*dst, -2, -2, *src));
    EXPECT_EQ(GetPixel(*dst, 0, 0), 0x100u * 11);
    EXPECT_EQ(GetPixel(*dst, 1, 1), 0x100u * 16);
    EXPECT_EQ(GetPixel(*dst, 2, 0), 0x111111u);
    // Over the bottom-right corner with a source rectangle and the colour key.
    Rect r{0, 0, 3, 3};
    ASSERT_TRUE(BltSurface(*dst, 6, 4, *src, &r, true));
    EXPECT_EQ(GetPixel(*dst, 6, 4), 0x100u * 1);
    EXPECT_EQ(GetPixel(*dst, 7, 5), 0x111111u);  // the black source pixel is transparent
    EXPECT_EQ(GetPixel(*dst, 7, 4), 0x100u * 2);
    // Entirely outside: nothing changes; a depth mismatch is refused.
    auto before = dst->pixels;
    EXPECT_TRUE(BltSurface(*dst, 100, 100, *src));
    EXPECT_EQ(before, dst->pixels);
    Surface* s16 = CreateSurface(2, 2, 16);
    EXPECT_FALSE(BltSurface(*dst, 0, 0, *s16));
    ReleaseSurface(dst);
    ReleaseSurface(src);
    ReleaseSurface(s16);
    EXPECT_EQ(dst, nullptr);
    EXPECT_EQ(CreateSurface(0, 5), nullptr);
    EXPECT_EQ(CreateSurface(100000, 5), nullptr);
}

TEST(Surface, PixelFormatsPackTheTopBitsOfEachChannel) {
    EXPECT_EQ(PackRgb(16, 0xFF, 0, 0), 0xF800u);
    EXPECT_EQ(PackRgb(16, 0, 0xFF, 0), 0x07E0u);
    EXPECT_EQ(PackRgb(15, 0, 0xFF, 0), 0x03E0u);
    EXPECT_EQ(PackRgb(15, 0xFF, 0, 0x08), 0x7C01u);
    EXPECT_EQ(PackRgb(32, 1, 2, 3), 0x010203u);
    uint8_t r, g, b;
    UnpackRgb(16, 0xFFFF, r, g, b);
    EXPECT_EQ(r, 248);
    EXPECT_EQ(g, 252);
    EXPECT_EQ(b, 248);
}

TEST(Timers, FireOnTheVirtualClockAndCoalesceLateTicks) {
    SetFixedFrameRate(10);  // 100 ms a frame
    SetVirtualFrame(0);
    KillAllWindowTimers();
    SetWindowTimer(3, 250);
    EXPECT_EQ(PollWindowTimers(GetMilliseconds()), -1);
    SetVirtualFrame(2);
    EXPECT_EQ(PollWindowTimers(GetMilliseconds()), -1);
    SetVirtualFrame(3);
    EXPECT_EQ(PollWindowTimers(GetMilliseconds()), 3);
    EXPECT_EQ(PollWindowTimers(GetMilliseconds()), -1);
    SetVirtualFrame(20);  // far late: one tick, not seven
    EXPECT_EQ(PollWindowTimers(GetMilliseconds()), 3);
    EXPECT_EQ(PollWindowTimers(GetMilliseconds()), -1);
    KillWindowTimer(3);
    SetVirtualFrame(40);
    EXPECT_EQ(PollWindowTimers(GetMilliseconds()), -1);
    SetFixedFrameRate(0);
}

TEST(Keyboard, KeysTypeUsLayoutCharactersAndSaveNamesCodePage1251) {
    EXPECT_EQ(UsLayoutCharacter(SDL_SCANCODE_Q, false), 'q');
    EXPECT_EQ(UsLayoutCharacter(SDL_SCANCODE_Q, true), 'Q');
    EXPECT_EQ(UsLayoutCharacter(SDL_SCANCODE_APOSTROPHE, false), '\'');
    EXPECT_EQ(UsLayoutCharacter(SDL_SCANCODE_0, false), '0');
    EXPECT_EQ(UsLayoutCharacter(SDL_SCANCODE_RETURN, false), 13);
    EXPECT_EQ(UsLayoutCharacter(SDL_SCANCODE_F1, false), 0);
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_F11), vk::F11);
    EXPECT_EQ(VirtualKeyOfScancode(SDL_SCANCODE_ESCAPE), vk::Escape);
    EXPECT_EQ(Utf8ToCp1251("Ёжик 1я"), std::string("\xA8\xE6\xE8\xEA 1\xFF"));
    EXPECT_EQ(Utf8ToCp1251("a\xE2\x82\xAC" "b"), "ab");  // the euro sign is not in the table used
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "");                 // truncated sequence dropped
    EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF"), "Ая");
}

TEST(Input, RecordedSessionReplaysTheSameEvents) {
    std::string dir = test::TempDir("record");
    ResetInput();
    std::ofstream(dir + "/in.txt") << "0 pointer 10 20\n1 key F5\n1 text ж\n3 press right\n";
    std::string error;
    ASSERT_TRUE(OpenReplay(dir + "/in.txt", error)) << error;
    MouseState m;
    BeginInputFrame(0);
    ReadMouse(400, 300, m);
    EXPECT_EQ(m.dx, -390);
    EXPECT_EQ(m.dy, -280);
    BeginInputFrame(1);
    Message msg;
    ASSERT_TRUE(TakeMessage(msg));
    EXPECT_EQ(msg.type, MessageType::KeyDown);
    EXPECT_EQ(msg.value, vk::F5);
    ASSERT_TRUE(TakeMessage(msg));
    EXPECT_EQ(msg.type, MessageType::Char);
    EXPECT_EQ(msg.value, 0xE6);
    EXPECT_FALSE(TakeMessage(msg));
    EXPECT_FALSE(ReplayFinished());
    BeginInputFrame(3);
    ReadMouse(10, 20, m);
    EXPECT_EQ(m.buttons[1], 0x80);
    EXPECT_TRUE(ReplayFinished());
    ResetInput();
    // A bad line is refused (the replay fuzz target explores the rest).
    std::ofstream(dir + "/bad.txt") << "4 key Alt+Bogus\n";
    EXPECT_FALSE(OpenReplay(dir + "/bad.txt", error));
}

}  // namespace
}  // namespace tarvex
