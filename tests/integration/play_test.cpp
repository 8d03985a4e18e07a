// The demo played by the real engine, headless, from replays: the lift ride from the
// landing through the keypad, a talk with the old man through both levels of choices, and
// paging the notebook; the game's state is checked in the engine's own dumps.
#include <gtest/gtest.h>

#include <map>
#include <set>

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
    Play("--scene 0 --give 62", 1340, {100, 200, 560, 800, 845, 1180, 1330}, {845, 905});

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
    const auto with = Shot(845), without = Shot(905);
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

TEST_F(PlayTest, TheOldManTalksThroughBothLevelsOfChoices) {
    Click(20, 48, 16);  // the talk verb
    // A player who clicks on: the old man (to talk, or to cut a line short) and the third
    // row of a choice list, in turns.
    for (int f = 40; f < 1500; f += 40) {
        Click(f, 394, 297);
        Click(f + 20, 394, 392);
    }
    std::vector<int> dumps;
    for (int f = 10; f < 1560; f += 10) dumps.push_back(f);
    // Scene 131's flag 32 (set elsewhere in the game) opens the topics of the first list.
    Play("--scene 131 --flag 131:20", 1560, dumps);

    std::set<uint32_t> states;
    std::set<std::string> said;
    std::set<int> lists;
    bool firstDone = false;
    for (int f : dumps) {
        const auto j = Dump(f);
        const auto& state = j["sceneState"];
        states.insert(state.contains("131") ? state["131"].get<uint32_t>() : 0);
        said.insert(j["subtitle"]["text"].get<std::string>());
        if (j["choice"]["active"].get<bool>()) lists.insert(j["choice"]["first"].get<int>());
        firstDone = firstDone || (Flags(j, 131) & 0x8);
    }
    EXPECT_TRUE(states.count(4));  // the first conversation
    EXPECT_TRUE(states.count(5));  // the follow-up
    EXPECT_TRUE(firstDone);
    EXPECT_TRUE(said.count("Добрый день. Я ваш сосед сверху."));
    EXPECT_TRUE(said.count("Заходи. Только дверь закрывай."));
    // The first list's third row (447) leads to the card and to the second list, whose
    // third row the hero speaks.
    EXPECT_TRUE(said.count("У вас есть карточка от панели?"));
    EXPECT_TRUE(said.count("Была. Где-то здесь, в сундуке."));
    EXPECT_TRUE(said.count("А вы сами были на том этаже?"));
    EXPECT_TRUE(said.count("Ну, это долгая история."));
    EXPECT_TRUE(lists.count(445) || lists.count(474));
}

TEST_F(PlayTest, PagingTheNotebook) {
    Click(20, 112, 16);  // the use verb
    for (int f : {40, 70, 100, 130}) Click(f, 75, 450);  // forward: tool 502
    Click(160, 75, 366);                                  // back: tool 501
    Click(190, 700, 520);                                 // the way out
    // Pages 1 to 3 are always there; page 7 has been written.
    Play("--scene 250 --flag 250:1000", 260, {35, 60, 90, 120, 150, 180, 255});
    EXPECT_EQ(Dump(35)["notebook"]["NotepadPosition"], 1);
    EXPECT_EQ(Dump(60)["notebook"]["NotepadPosition"], 2);
    EXPECT_EQ(Dump(90)["notebook"]["NotepadPosition"], 3);
    EXPECT_EQ(Dump(120)["notebook"]["NotepadPosition"], 7);
    EXPECT_EQ(Dump(150)["notebook"]["NotepadPosition"], 7);  // the last page stays
    EXPECT_EQ(Dump(180)["notebook"]["NotepadPosition"], 3);
    const auto left = Dump(255);
    EXPECT_NE(left["currentScene"], 250);
    EXPECT_EQ(left["interfaceEnabled"], 1);
}

}  // namespace
}  // namespace tarvex
