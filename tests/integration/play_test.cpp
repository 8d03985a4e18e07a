// The demo played by the real engine, headless, from a replay: a remark on the lift
// landing as the player sees it, white letters on a band darkened under them.
#include <gtest/gtest.h>

#include "support/engine_run.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using PlayTest = test::DemoPlayTest;

TEST_F(PlayTest, ARemarkIsDrawnInWhiteOnADarkenedBand) {
    Click(25, 56, 285);  // the call button: its first click looks at it
    Play("--scene 0", 160, {30}, {30, 150});
    EXPECT_EQ(Dump(30)["subtitle"]["text"], "Кнопка вызова лифта.");

    // The subtitle is drawn in the band at y 352, gone once the line is over.
    const auto with = Shot(30), without = Shot(150);
    ASSERT_TRUE(with.ok && without.ok);
    int white = 0;
    for (int y = 352; y < 368; ++y)
        for (int x = 0; x < 400; ++x) {
            const uint8_t* p = with.At(x, y);
            if (p[0] > 230 && p[1] > 230 && p[2] > 230) ++white;
        }
    EXPECT_GT(white, 40);
    double darker = 0;
    for (int y = 370; y < 384; ++y)
        for (int x = 500; x < 800; ++x) darker += int(without.At(x, y)[1]) - int(with.At(x, y)[1]);
    EXPECT_GT(darker / (14 * 300), 20.0);
}

}  // namespace
}  // namespace tarvex
