// The demo played by the real engine, headless, from a replay: the lift ride from the
// landing through the keypad, checked in the engine's own dumps and screenshots.
#include <gtest/gtest.h>

#include "support/engine_run.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

class PlayTest : public test::DemoPlayTest {
protected:
    static uint32_t Flags(const nlohmann::json& j, int scene) {
        const auto& f = j["sceneFlags"];
        const std::string key = std::to_string(scene);
        return f.contains(key) ? f[key].get<uint32_t>() : 0;
    }
};

// Screen points of the keypad's keys 0..9.
constexpr int kKeyX[10] = {475, 327, 376, 425, 328, 377, 426, 329, 377, 426};
constexpr int kKeyY[10] = {476, 374, 375, 374, 423, 424, 425, 472, 473, 474};

TEST_F(PlayTest, TheLiftRideThroughTheKeypad) {
    // The card (tool 62) is carried from the start.
    Click(20, 90, 314);             // the wall panel: the hero walks there, the keypad opens
    Click(130, 400, 200, "right");  // the toolbar
    Click(150, 100, 490);           // the card onto the pointer (opening chose take)
    Click(165, 400, 200, "right");  // the toolbar closes, the card stays held
    Click(195, 200, 300);           // the card in the slot powers the panel
    int f = 220;
    for (char c : std::string("1957")) Click(f += 25, kKeyX[c - '0'], kKeyY[c - '0']);
    f = 560;
    for (char c : std::string("115149")) Click(f += 25, kKeyX[c - '0'], kKeyY[c - '0']);
    Click(820, 112, 16);    // the use verb
    Click(840, 56, 285);    // the call button: its first click looks at it
    Click(910, 56, 285);    // now it calls the lift
    Click(1210, 180, 300);  // into the cabin
    Play("--scene 0 --give 62", 1340, {100, 200, 560, 800, 845, 1180, 1330}, {835, 845});

    EXPECT_EQ(Dump(100)["currentScene"], 98);
    const auto powered = Dump(200);
    EXPECT_EQ(Flags(powered, 98) & 0x4, 0x4u);
    EXPECT_EQ(powered["heldTool"], -1);
    EXPECT_EQ(Flags(Dump(560), 98) & 0x1, 0x1u);  // the general code asks for the password
    const auto back = Dump(800);
    EXPECT_EQ(back["currentScene"], 0);
    EXPECT_EQ(back["previousScene"], 98);
    EXPECT_EQ(Flags(back, 98) & 0x2, 0x2u);  // the password was taken
    EXPECT_NEAR(back["actors"][0]["position"][0].get<double>(), -53.12, 0.01);
    const auto looking = Dump(845);
    EXPECT_EQ(looking["subtitle"]["text"], "Кнопка вызова лифта.");
    EXPECT_EQ(looking["verb"], 4);
    EXPECT_EQ(Flags(Dump(1180), 0) & 0x1, 0x1u);  // the lift came
    const auto ride = Dump(1330);
    EXPECT_EQ(ride["currentScene"], 149);
    EXPECT_EQ(ride["previousScene"], 0);

    // The subtitle is drawn in the band at y 352: white letters on a darkened band.
    const auto with = Shot(845), without = Shot(835);
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
