// The player's hands on the generated demo, played by the real engine headless: the
// verb bar, the cursor and the toolbar follow a replayed pointer and its clicks.
#include <gtest/gtest.h>

#include "support/engine_run.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

class HandsTest : public test::DemoPlayTest {
protected:
    // Plays scene 0 with replay lines of their own ("FRAME kind ...").
    void Play0(int frames, const std::vector<std::string>& lines, const std::vector<int>& dumps,
               const std::vector<int>& shots) {
        for (const std::string& l : lines) Line(l);
        Play("--scene 0", frames, dumps, shots);
    }
};

TEST_F(HandsTest, VerbBarAndCursorFollowThePointer) {
    // The scene fades in over its first 16 frames; the pictures compared come later.
    Play0(70,
         {"0 pointer 400 300", "25 pointer 80 12", "26 press left", "28 release left", "32 pointer 112 20",
          "33 press left", "34 release left", "40 pointer 32 12", "41 press left", "42 release left",
          "50 pointer 3 3"},
         {24, 29, 35, 45, 55}, {24, 29, 35, 55});
    const auto start = Dump(24);
    EXPECT_EQ(std::tuple(start["currentScene"], start["verb"], start["cursorPicture"], start["pointerX"]),
              std::tuple(0, 1, 0, 400));
    EXPECT_EQ(Dump(29)["verb"], 3);  // the hand at x 64..96
    EXPECT_EQ(Dump(35)["verb"], 4);  // the finger at x 96..128
    EXPECT_EQ(Dump(45)["verb"], 4);  // x 32 is the border between two icons: nothing changes
    EXPECT_EQ(Dump(55)["pointerX"], 3);

    // The lit icon moves with the verb: the look icon lights off, the hand on, then the finger.
    const auto a = Shot(24), b = Shot(29), c = Shot(35);
    ASSERT_TRUE(a.ok && b.ok && c.ok);
    EXPECT_GT(test::Difference(a, b, 0, 0, 32, 32), 3.0);
    EXPECT_GT(test::Difference(a, b, 64, 0, 96, 32), 3.0);
    EXPECT_GT(test::Difference(b, c, 96, 0, 128, 32), 3.0);
    EXPECT_LT(test::Difference(b, c, 32, 0, 64, 32), 0.5);
    // The arrow is drawn at the pointer: near (400, 300) at first, gone from there later.
    const auto d = Shot(55);
    EXPECT_GT(test::Difference(a, d, 400, 300, 416, 316), 3.0);
}

TEST_F(HandsTest, RightClicksOpenAndCloseTheToolbar) {
    Play0(90,
         {"0 pointer 300 200", "25 press right", "26 release right", "50 pointer 200 500", "60 press right",
          "61 release right"},
         {24, 28, 45, 65, 85}, {24, 45, 85});
    // Closed, opening, open, closing, closed (DRAWTOOLBAR, STARTTOOLBAR); the motion itself
    // is the toolbar test's.
    const std::pair<int, std::pair<int, int>> states[] = {
        {24, {0, 0}}, {28, {1, 1}}, {45, {1, 0}}, {65, {1, 2}}, {85, {0, 0}}};
    for (const auto& [frame, state] : states) {
        const auto d = Dump(frame);
        EXPECT_EQ(std::pair(d["DRAWTOOLBAR"].get<int>(), d["STARTTOOLBAR"].get<int>()), state) << frame;
    }

    // The toolbar covers the lower part of the picture while it is open, and only then.
    const auto before = Shot(24), during = Shot(45), after = Shot(85);
    ASSERT_TRUE(before.ok && during.ok && after.ok);
    EXPECT_GT(test::Difference(before, during, 0, 360, 800, 600), 10.0);
    EXPECT_LT(test::Difference(before, after, 0, 360, 800, 600), 1.0);
}

}  // namespace
}  // namespace tarvex
