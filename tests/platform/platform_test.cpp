#include <SDL2/SDL.h>
#include <gtest/gtest.h>

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
    EXPECT_EQ(std::tuple(UsLayoutCharacter(SDL_SCANCODE_Q, true), UsLayoutCharacter(SDL_SCANCODE_APOSTROPHE, false),
                         UsLayoutCharacter(SDL_SCANCODE_RETURN, false), UsLayoutCharacter(SDL_SCANCODE_F1, false)),
              std::tuple('Q', '\'', 13, 0));
    EXPECT_EQ(Utf8ToCp1251("Ёжик 1я"), std::string("\xA8\xE6\xE8\xEA 1\xFF"));
    EXPECT_EQ(Utf8ToCp1251("a\xE2\x82\xAC" "b"), "ab");  // the euro sign is not in the table used
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "");                 // truncated sequence dropped
    EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF"), "Ая");
}

TEST(Replay, HintKeyAndControllerEventsAsTheGameReadsThem) {
    ResetInput();
    std::string error;
    ASSERT_TRUE(AddReplayEvents("0 keydown Tab\n0 pad button a down\n0 pad button start down\n0 pad button x down\n"
                                "0 pad axis leftx -0.5\n1 pad button a up\n1 keyup Tab\n",
                                error))
        << error;
    BeginInputFrame(0);
    EXPECT_TRUE(HintKeyHeld());
    // Start is Escape; the held Tab types nothing (no key, no character for a keypad).
    Message m;
    std::vector<std::pair<MessageType, int>> messages;
    while (TakeMessage(m)) messages.emplace_back(m.type, m.value);
    EXPECT_EQ(messages, (std::vector<std::pair<MessageType, int>>{{MessageType::KeyDown, vk::Escape}}));
    MouseState mouse;
    ReadMouse(100, 100, mouse);
    EXPECT_EQ(mouse.buttons[0], 0x80);
    const int presses = TakePadPresses(PadButtonId::X);
    EXPECT_EQ(std::tuple(presses, TakePadPresses(PadButtonId::X), PadAxisValue(PadAxisId::LeftX)), std::tuple(1, 0, -0.5f));
    // A released as the mouse's button is: seen down by the read after, up by the next.
    BeginInputFrame(1);
    ReadMouse(100, 100, mouse);
    ReadMouse(100, 100, mouse);
    EXPECT_EQ(std::pair(HintKeyHeld(), mouse.buttons[0]), std::pair(false, uint8_t{0}));
    for (const char* bad : {"0 pad axis leftx 1.5", "0 pad button z down", "0 pad button a held", "0 keydown A"})
        EXPECT_FALSE(AddReplayEvents(bad, error)) << bad;
    ResetInput();
}

}  // namespace
}  // namespace tarvex
