// The window in the real engine, headless: a window the player resized, Alt+Enter back and
// forth, the pointer moved by absolute and relative devices in window coordinates, and the
// picture as the window shows it.
#include <gtest/gtest.h>

#include "base/mouse.h"
#include "platform/display.h"
#include "platform/input.h"
#include "shell/window_proc.h"
#include "support/engine_run.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using WindowPlayTest = test::DemoPlayTest;

TEST_F(WindowPlayTest, FullScreenScalesThePictureAndThePointerFollowsEveryDevice) {
    // The verbs lie at the top-left of the game's screen: look at x 0..31, talk 32..63,
    // take 64..95, use 96..127.
    Line("3 window 1000 600");
    Line("5 motion 180 15");  // a window 1000 wide shows the game from x 100: screen (80, 15), take
    Line("6 press left");
    Line("7 release left");
    Line("10 key Alt+Return");  // full screen: the offscreen desktop is 1024 x 768
    Line("13 motion 19 19");    // screen (14, 14): look
    Line("14 press left");
    Line("15 release left");
    Line("18 move 41 0");  // a mouse moves it on to window (60, 19), screen (46, 14): talk
    Line("19 press left");
    Line("20 release left");
    for (int f : {23, 25, 27}) Line(std::to_string(f) + " key Alt+Return");  // windowed, full, windowed
    Line("30 motion 212 15");  // in the 1000 x 600 window again: screen (112, 15), use
    Line("31 press left");
    Line("32 release left");
    const std::string shots = " --window-shot 9:" + dir + "/w9.png --window-shot 12:" + dir + "/w12.png";
    Play("--windowed --scene 0" + shots, 36, {9, 12, 17, 22, 29, 34}, {9, 12});

    // The window's size, full screen, confinement; then the pointer and the verb it chose.
    auto window = [&](int f) {
        const auto w = Dump(f)["window"];
        return std::tuple(w["width"].get<int>(), w["height"].get<int>(), w["fullScreen"].get<bool>(),
                          w["pointerConfined"].get<bool>());
    };
    auto pointer = [&](int f) { return std::pair(Dump(f)["pointerX"].get<int>(), Dump(f)["verb"].get<int>()); };
    EXPECT_EQ(window(9), std::tuple(1000, 600, false, false));
    EXPECT_EQ(window(12), std::tuple(1024, 768, true, true));
    EXPECT_EQ(window(29), std::tuple(1000, 600, false, false));
    EXPECT_EQ(pointer(9), std::pair(80, 3));
    EXPECT_EQ(pointer(17), std::pair(14, 1));
    EXPECT_EQ(pointer(22), std::pair(46, 2));
    EXPECT_EQ(pointer(34), std::pair(112, 4));

    // The window shows the whole 800 x 600 picture: letter-boxed at 1:1 in the wide window,
    // scaled by 1.28 over the full-screen desktop.
    const test::Picture game9 = Shot(9), game12 = Shot(12);
    const test::Picture w9 = test::ReadPicture(dir + "/w9.png"), w12 = test::ReadPicture(dir + "/w12.png");
    ASSERT_TRUE(game9.ok && game12.ok && w9.ok && w12.ok);
    ASSERT_EQ(std::tuple(w9.width, w12.width, w12.height), std::tuple(1000, 1024, 768));
    double bars = 0, picture = 0, scaled = 0;
    long n = 0;
    for (int y = 0; y < 600; y += 7)
        for (int c = 0; c < 3; ++c) {
            bars += w9.At(3, y)[c] + w9.At(996, y)[c];
            for (int x = 0; x < 800; x += 9, ++n) picture += std::abs(w9.At(100 + x, y)[c] - game9.At(x, y)[c]);
        }
    long m = 0;
    for (int y = 2; y < 766; y += 9)
        for (int x = 2; x < 1022; x += 11, ++m)
            for (int c = 0; c < 3; ++c)
                scaled += std::abs(w12.At(x, y)[c] - game12.At(x * 800 / 1024, y * 600 / 768)[c]);
    EXPECT_EQ(bars, 0);
    EXPECT_LT(picture / n, 2.0);
    EXPECT_LT(scaled / (3.0 * m), 4.0);
}

TEST(Window, ThePointerIsConfinedOnlyInFullScreenWhileTheGameHasTheFocus) {
    ASSERT_TRUE(test::EnsureHeadlessDisplay());
    ASSERT_EQ(CreateMouse(), 0);
    // The run above shows the confinement full screen and windowed; here the focus moves.
    WindowProc({MessageType::Activate, 1});
    WindowProc({MessageType::SysKeyDown, vk::Return});
    ASSERT_TRUE(IsFullScreen());
    WindowProc({MessageType::Activate, 0});  // another window took the focus
    EXPECT_FALSE(PointerConfined());
    WindowProc({MessageType::Activate, 1});
    EXPECT_TRUE(PointerConfined());
    WindowProc({MessageType::SysKeyDown, vk::Return});
    EXPECT_FALSE(IsFullScreen());
}

}  // namespace
}  // namespace tarvex
