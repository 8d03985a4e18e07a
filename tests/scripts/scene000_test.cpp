// Scene 0, the lift landing, played on the generated demo in the test process: the hero
// walks to what is clicked, and the buttons, the panel and the doorway act on arrival.
#include "interaction/game_state.h"
#include "resources/anim_slot.h"
#include "scripts/script_api.h"
#include "shell/scene_switch.h"
#include "support/game_harness.h"
#include "text/dialogue.h"

namespace tarvex {
namespace {

// Screen points of the scene's hotspots.
using test::kLookVerbX, test::kTalkVerbX, test::kUseVerbX, test::kVerbY;
constexpr int kSendX = 54, kSendY = 266;    // tool 646
constexpr int kCallX = 56, kCallY = 285;    // tool 647
constexpr int kPushX = 51, kPushY = 247;    // tool 379
constexpr int kPanelX = 90, kPanelY = 314;  // region 1
constexpr int kDoorX = 180, kDoorY = 300;   // region 0

class LiftLanding : public test::DemoSceneTest {
protected:
    void SetUp() override {
        Start(0);
        ASSERT_TRUE(actors[0].inUse);
    }
    std::u16string Said() const { return subtitleLength ? SubtitleString() : u""; }
    bool StateIs(uint32_t s) const { return GetStateOf(0) == s; }
    // The use verb, with the buttons' one-time looks already spent (a first click on an
    // object always looks at it).
    void UseVerb() {
        for (int tool : {379, 646, 647}) ToolTable[tool].firstLook = 0;
        game.Click(kUseVerbX, kVerbY);
    }
};

TEST_F(LiftLanding, TheHeroStartsAtTheInitPlaceAndComesBackFromTheKeypadAtThePanel) {
    EXPECT_NEAR(actors[0].position.x, -58.56f, 0.01f);
    EXPECT_NEAR(actors[0].position.z, 224.98f, 0.01f);
    EXPECT_EQ(requestedTrack, 5);
    // The panel: the hero walks there, then the keypad opens.
    game.Click(kPanelX, kPanelY);
    EXPECT_EQ(EXE, 4);
    ASSERT_TRUE(game.Until([] { return currentScene == 98; }));
    game.Frames(20);
    // Back through the keypad's way out, region 0.
    ClickRegion(0);
    ASSERT_TRUE(game.Until([] { return currentScene == 0; }));
    EXPECT_EQ(previousScene, 98);
    EXPECT_NEAR(actors[0].position.x, -53.12f, 0.01f);
    EXPECT_NEAR(actors[0].position.z, 279.88f, 0.01f);
    EXPECT_FLOAT_EQ(actors[0].heading, 2.45f);
}

TEST_F(LiftLanding, WithTheKeypadUnsolvedBothCallButtonsOnlyGetARemark) {
    const int doorFrame = static_cast<int>(animSlots[2].currentFrame);
    UseVerb();
    for (auto [x, y] : {std::pair{kCallX, kCallY}, std::pair{kSendX, kSendY}}) {
        game.Click(x, y);
        EXPECT_EQ(Said(), u"Нажимаю.");  // the button's use line; the rest waits for the hero
        ASSERT_TRUE(game.Until([&] { return StateIs(3) || StateIs(4); }));
        EXPECT_EQ(actors[0].motion, 35);  // the press gesture comes first
        ASSERT_TRUE(game.Until([&] { return Said() == u"Ничего не происходит."; }));
        EXPECT_GE(actors[0].frame, 1836.0f);
        ASSERT_TRUE(game.Until([&] { return StateIs(0); }));
        EXPECT_EQ(subtitleTimer, 0.0f);
    }
    EXPECT_EQ(std::tuple(TestFlagsOf(0, 1), animSlots[1].mode, animSlots[2].mode, int(animSlots[2].currentFrame)),
              std::tuple(0u, 0, 1, doorFrame));
}

TEST_F(LiftLanding, SolvedWithTheLiftHereTheCallButtonSpeaksAtOnceAndTheSendButtonSendsIt) {
    SetFlagsOf(98, 2);
    SetFlagsOf(0, 1);
    UseVerb();
    game.Click(kCallX, kCallY);
    EXPECT_EQ(Said(), u"Лифт и так стоит на этаже.");  // at once, replacing the use line
    game.Frames(200);
    EXPECT_TRUE(StateIs(0));

    game.Click(kSendX, kSendY);
    EXPECT_EQ(EXE, 2);
    ASSERT_TRUE(game.Until([&] { return StateIs(1); }));
    // The player cannot act while the lift leaves: a click does nothing.
    ASSERT_TRUE(game.Until([&] { return DIALOG >= 2; }));
    EXPECT_EQ(TestFlagsOf(0, 1), 0u);
    game.Click(kDoorX, kDoorY);
    EXPECT_EQ(EXE, 0);
    ASSERT_TRUE(game.Until([&] { return StateIs(0); }));
    // The doors match bit 1: the shaft's doors open, the cabin's hidden.
    game.Frames(60);
    EXPECT_EQ(std::tuple(animSlots[1].mode, animSlots[2].mode, AnimationAtEnd(2), animSlots[3].mode),
              std::tuple(0, 1, true, 0));

    // With the lift away, the call button brings it back.
    game.Click(kCallX, kCallY);
    ASSERT_TRUE(game.Until([&] { return StateIs(2); }));
    ASSERT_TRUE(game.Until([&] { return StateIs(0); }));
    EXPECT_EQ(std::tuple(TestFlagsOf(0, 1), animSlots[1].mode, animSlots[2].mode), std::tuple(1u, 1, 0));
}

TEST_F(LiftLanding, ThePanelAfterSolvingOnlySpeaks) {
    SetFlagsOf(98, 2);
    game.Click(kPanelX, kPanelY);
    ASSERT_TRUE(game.Until([&] { return subtitleLength != 0; }));
    EXPECT_EQ(Said(), u"Код уже введён.");
    game.Frames(120);
    EXPECT_EQ(std::tuple(currentScene, GetStateOf(0)), std::tuple(0, 0u));
}

TEST_F(LiftLanding, AButtonWithTheLookVerbOnlyWalksThere) {
    game.Click(kLookVerbX, kVerbY);
    game.Click(kPushX, kPushY);
    EXPECT_EQ(Said(), u"Ещё одна кнопка.");  // the first look at it
    EXPECT_EQ(EXE, 0);
    ASSERT_TRUE(game.Until([] { return !actors[0].walking && actors[0].walkRequest == 0; }));
    game.Frames(60);
    EXPECT_EQ(std::tuple(GetStateOf(0), actors[0].motion != 35), std::tuple(0u, true));
}

TEST_F(LiftLanding, AToolTakenDuringTheWalkCancelsTheExit) {
    SetToolOwnership(62, 1, 0);
    game.Click(kDoorX, kDoorY);
    ASSERT_EQ(EXE, 1);
    // The toolbar opens, the card goes onto the pointer, the toolbar closes.
    game.Click(400, 200, "right");
    game.Frames(15);
    game.Click(100, 490);  // the first cell: the take verb is chosen by opening
    EXPECT_EQ(heldTool, 62);
    game.Click(400, 200, "right");
    ASSERT_TRUE(game.Until([] { return DRAWTOOLBAR == 0; }));
    EXPECT_EQ(heldTool, 62);
    ASSERT_TRUE(game.Until([] { return EXE == 0; }));
    game.Frames(60);
    EXPECT_EQ(std::tuple(currentScene, GetStateOf(0)), std::tuple(0, 0u));
}

}  // namespace
}  // namespace tarvex
