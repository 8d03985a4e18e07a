// Scene 260, the registry terminal: menu entries lead through the screens to an input,
// the typed answer becomes the answer screen, and the menu comes back on the names screen.
// The scratch folder has none of the terminal's pictures: the scene plays without them.
#include "interaction/interaction_state.h"
#include "scripts/scenes.h"
#include "scripts_fixture.h"

namespace tarvex {
namespace {

// Centres of the menu entries 861..864 on the names screen.
constexpr int kMenuX = 320;
constexpr int kMenuY[4] = {276, 308, 340, 372};

class Terminal : public test::ScriptsTest {
protected:
    void SetUp() override {
        ScriptsTest::SetUp();
        Codes("device11 oper115\ndevice12 kl131\n");
        loop.currentScene = 260;
        sceneSwitch.previousScene = 252;
        run_ = Scene260Run;
        Scene260Init();
        Scene260Load();
    }
    static uint32_t State() { return GetStateOf(260); }
    // Whether all four menu entries are clickable (or, with `want` false, none is).
    static bool MenuClickable(bool want = true) {
        for (int tool = 861; tool <= 864; ++tool)
            if (bool(interaction.ToolTable[tool].clickable) != want) return false;
        return true;
    }
    static bool MenuHidden() { return MenuClickable(false); }
    // A menu entry chosen; true once the terminal waits for typed keys.
    bool Choose(int entry) {
        Click(kMenuX, kMenuY[entry]);
        EXPECT_TRUE(MenuHidden());
        return Until([] { return loop.MainSost != 0; });
    }
    // Keys typed between two frames, then the answer's screens to the menu again.
    bool Answer(const std::string& keys) {
        Type(keys);
        Frame();
        return Until([] { return State() == 0 && MenuClickable(); });
    }
};

TEST_F(Terminal, TheClientEntryAsksFiveCharactersAndTheAnswerShowsItsScreen) {
    EXPECT_TRUE(MenuClickable());
    EXPECT_STREQ(animation.animSlots[0].name, "animgfx/scene260/names000.Tif");
    EXPECT_EQ(loop.MainSost, 0);
    ASSERT_TRUE(Choose(0));
    EXPECT_EQ(std::tuple(loop.MainSost, State(), MenuHidden()), std::tuple(12, 0u, true));  // hidden while it waits
    EXPECT_STREQ(animation.animSlots[1].name, "animgfx/scene252/enterpassword000.Tif");
    EXPECT_STREQ(animation.animSlots[14].name, "animgfx/scene252/pod000.Tif");

    Type("KL131\r");
    Frame();
    EXPECT_EQ(std::tuple(State(), loop.MainSost, interaction.EXE), std::tuple(10u, 0, 0));  // the match code is the screen's state
    ASSERT_TRUE(Until([] { return State() == 0 && MenuClickable(); }));
    EXPECT_TRUE(TestFlagsOf(260, 0x2));
    EXPECT_STREQ(animation.animSlots[0].name, "animgfx/scene260/names000.Tif");

    // A wrong client: the "no find" screen.
    ASSERT_TRUE(Choose(0));
    Type("kl132\r");
    Frame();
    EXPECT_EQ(State(), 5u);
    Frames(3);
    EXPECT_STREQ(animation.animSlots[0].name, "animgfx/scene260/nofind000.Tif");
    ASSERT_TRUE(Until([] { return State() == 0 && MenuClickable(); }));
}

TEST_F(Terminal, TheOtherEntriesAskTheOperatorsPasswordOnce) {
    ASSERT_TRUE(Choose(1));
    EXPECT_EQ(loop.MainSost, 11);
    Type("oper11\r");
    Frame();
    EXPECT_EQ(State(), 11u);
    ASSERT_TRUE(Until([] { return State() == 0 && MenuClickable(); }));
    EXPECT_FALSE(TestFlagsOf(260, 0x1));

    ASSERT_TRUE(Choose(3));
    EXPECT_EQ(loop.MainSost, 11);
    ASSERT_TRUE(Answer("OPER115\r"));
    EXPECT_TRUE(TestFlagsOf(260, 0x1));

    // Access given: the registry opens without asking again.
    Click(kMenuX, kMenuY[2]);
    EXPECT_EQ(std::pair(State(), MenuHidden()), std::pair(4u, true));
    ASSERT_TRUE(Until([] { return State() == 0 && MenuClickable(); }));
    EXPECT_EQ(loop.MainSost, 0);
}

TEST_F(Terminal, LeavingDuringAnInputEndsTheKeyboardMode) {
    ASSERT_TRUE(Choose(1));
    Type("op");
    Click(700, 520);  // the way back
    EXPECT_EQ(std::tuple(loop.currentScene, loop.MainSost, devices.numberdigit, interaction.interfaceEnabled), std::tuple(252, 0, 0, 1));
}

}  // namespace
}  // namespace tarvex
