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
        ASSERT_TRUE(actorTable.actors[0].inUse);
    }
    std::u16string Said() const { return dialogue.subtitleLength ? SubtitleString() : u""; }
    bool StateIs(uint32_t s) const { return GetStateOf(0) == s; }
    // The use verb, with the buttons' one-time looks already spent (a first click on an
    // object always looks at it).
    void UseVerb() {
        for (int tool : {379, 646, 647}) interaction.ToolTable[tool].firstLook = 0;
        game.Click(kUseVerbX, kVerbY);
    }
};

TEST_F(LiftLanding, WithTheKeypadUnsolvedBothCallButtonsOnlyGetARemark) {
    const int doorFrame = static_cast<int>(animation.animSlots[2].currentFrame);
    UseVerb();
    for (auto [x, y] : {std::pair{kCallX, kCallY}, std::pair{kSendX, kSendY}}) {
        game.Click(x, y);
        EXPECT_EQ(Said(), u"Нажимаю.");  // the button's use line; the rest waits for the hero
        ASSERT_TRUE(game.Until([&] { return StateIs(3) || StateIs(4); }));
        EXPECT_EQ(actorTable.actors[0].motion, 35);  // the press gesture comes first
        ASSERT_TRUE(game.Until([&] { return Said() == u"Ничего не происходит."; }));
        EXPECT_GE(actorTable.actors[0].frame, 1836.0f);
        ASSERT_TRUE(game.Until([&] { return StateIs(0); }));
        EXPECT_EQ(dialogue.subtitleTimer, 0.0f);
    }
    EXPECT_EQ(std::tuple(TestFlagsOf(0, 1), animation.animSlots[1].mode, animation.animSlots[2].mode, int(animation.animSlots[2].currentFrame)),
              std::tuple(0u, 0, 1, doorFrame));
}

TEST_F(LiftLanding, AToolTakenDuringTheWalkCancelsTheExit) {
    SetToolOwnership(62, 1, 0);
    game.Click(kDoorX, kDoorY);
    ASSERT_EQ(interaction.EXE, 1);
    // The toolbar opens, the card goes onto the pointer, the toolbar closes.
    game.Click(400, 200, "right");
    game.Frames(15);
    game.Click(100, 490);  // the first cell: the take verb is chosen by opening
    EXPECT_EQ(interaction.heldTool, 62);
    game.Click(400, 200, "right");
    ASSERT_TRUE(game.Until([] { return interaction.DRAWTOOLBAR == 0; }));
    EXPECT_EQ(interaction.heldTool, 62);
    ASSERT_TRUE(game.Until([] { return interaction.EXE == 0; }));
    game.Frames(60);
    EXPECT_EQ(std::tuple(currentScene, GetStateOf(0)), std::tuple(0, 0u));
}

}  // namespace
}  // namespace tarvex
