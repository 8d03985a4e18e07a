// Scene 0, the lift landing, played on the generated demo in the test process: a tool taken
// onto the pointer while the hero walks to the doorway cancels the exit.
#include "interaction/game_state.h"
#include "resources/anim_slot.h"
#include "scripts/script_api.h"
#include "shell/scene_switch.h"
#include "support/game_harness.h"
#include "text/dialogue.h"

namespace tarvex {
namespace {

constexpr int kDoorX = 180, kDoorY = 300;  // the doorway, region 0

class LiftLanding : public test::DemoSceneTest {
protected:
    void SetUp() override {
        Start(0);
        ASSERT_TRUE(actorTable.actors[0].inUse);
    }
};

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
