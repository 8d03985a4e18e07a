// The menu in the real engine, headless, from replays: the pointer under the intro video,
// and a conversation left for the menu and resumed.
#include <gtest/gtest.h>

#include "support/engine_run.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using MenuPlayTest = test::DemoPlayTest;

TEST_F(MenuPlayTest, ThePointerReachesTheScreensEdgesInTheMenu) {
    // Under the intro video, which plays over the menu at start-up.
    Line("3 pointer -50 -50");
    Line("6 pointer 900 700");
    Play("", 10, {4, 8});
    const auto corner = Dump(4), far = Dump(8);
    EXPECT_EQ(std::tuple(corner["menuActive"], corner["playMode"], corner["pointerX"], corner["pointerY"]),
              std::tuple(1, 2, 1, 1));
    EXPECT_EQ(std::tuple(far["pointerX"], far["pointerY"]), std::tuple(799, 599));
}

// The old man's follow-up conversation (scene 131, flags 8 and 32): the card question is
// picked, the menu opened while the hero asks it, left after a while by a click that
// closes the options panel with Escape at once. The question goes on where it was and the
// old man's answer comes whole; on the virtual clock and on the real one, as a player's.
TEST_F(MenuPlayTest, TheMenuLeavesTheConversationWhereItWas) {
    Click(5, 48, 16);     // the talk verb
    Click(10, 394, 300);  // the old man: the first click looks at him, the second talks
    Click(60, 394, 300);
    Click(700, 200, 392);  // the card question, the third row of four
    Line("705 key Escape");
    Click(730, 360, 230);  // the options panel
    Line("855 pointer 259 240");
    Line("855 press left");  // OK, and Escape before the menu's next pass
    Line("855 release left");
    Line("855 key Escape");
    // The real clock runs faster than the virtual one here, the more so on an idle machine:
    // the lines take more frames, how many depends on the machine's speed.
    for (const auto& [clock, frames, step] : {std::tuple<const char*, int, int>{"--fixed-fps 30", 1300, 10}, {"", 4000, 20}}) {
        SCOPED_TRACE(clock);
        this->clock = clock;
        std::vector<int> dumps{704, 854};
        for (int f = 856; f < frames; f += step) dumps.push_back(f);
        Play("--scene 131 --flag 131:0x28", frames, dumps);
        const auto asking = Dump(704);
        ASSERT_EQ(asking["subtitle"]["text"], "У вас есть карточка от панели?");
        ASSERT_EQ(Dump(854)["menuActive"], 1);
        const auto back = Dump(856);
        EXPECT_EQ(back["menuActive"], 0);
        EXPECT_EQ(back["subtitle"]["text"], asking["subtitle"]["text"]);
        EXPECT_GT(back["subtitle"]["length"], 0) << "the question was cut";
        // The answer is on screen for more than a few frames before the next choices.
        int answered = 0;
        bool choices = false;
        for (int f : dumps) {
            if (f < 856) continue;
            const auto j = Dump(f);
            if (j["subtitle"]["text"] == "Была. Где-то здесь, в сундуке." && j["subtitle"]["length"] > 0) ++answered;
            if (j["choice"]["active"] == true && j["choice"]["first"] == 474) {
                choices = true;
                break;
            }
        }
        EXPECT_GE(answered, 3);
        EXPECT_TRUE(choices);
    }
}

// The options panel's language line: the choice goes into "settings.ini" and the next start
// plays in it, while "config.cfg" comes out byte for byte as after a run without the choice.
TEST_F(MenuPlayTest, ChoosingALanguageKeepsTheConfigurationAsItWas) {
    const auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    Line("5 key Escape");
    Click(20, 366, 240);  // the options panel
    Click(60, 259, 240);  // OK
    Play("", 70, {}, {50});
    const std::string unchosen = bytes(dir + "/saves/config.cfg");
    const test::Picture russian = Shot(50);
    ASSERT_EQ(unchosen.size(), 72u);
    std::filesystem::remove_all(dir + "/saves");
    Click(40, 320, 202);  // "Язык: Русский" becomes "Language: English"
    Play("", 70, {}, {50});
    EXPECT_EQ(bytes(dir + "/saves/config.cfg"), unchosen);
    // The English pack's own pictures at once: the title over the cabinet reads "TARVEX".
    const test::Picture english = Shot(50);
    ASSERT_TRUE(russian.ok && english.ok);
    EXPECT_GT(test::Difference(russian, english, 320, 5, 480, 40), 3.0);
    EXPECT_LT(test::Difference(russian, english, 200, 420, 320, 520), 1.0);
    EXPECT_EQ(bytes(dir + "/saves/settings.ini"), "language=en\n");

    replay = {"20 key F6"};  // no quick save: the notice says so in English
    Play("--scene 0", 22, {21});
    EXPECT_EQ(Dump(21)["notice"], "The save was not loaded: no file quick.sav");
}

}  // namespace
}  // namespace tarvex
