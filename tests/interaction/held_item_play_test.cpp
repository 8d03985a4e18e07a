// An item held on the pointer when the player clicks an exit, played on the demo's lift
// landing by the real engine: the item goes back into the toolbar with the drop sound,
// and the hero leaves as the exit says.
#include <gtest/gtest.h>

#include "support/engine_run.h"

namespace tarvex {
namespace {

constexpr int kLantern = 47;
constexpr int kDropSound = 53;

bool SoundPlays(const nlohmann::json& state, int slot) {
    for (const auto& s : state["sounds"])
        if (s["slot"] == slot) return s["playing"].get<bool>();
    return false;
}

class HeldItemPlay : public test::DemoPlayTest {};

TEST_F(HeldItemPlay, AClickOnTheDoorwayPutsTheLanternBackAndTheHeroGoes) {
    Line("0 pointer 300 200");
    Click(20, 300, 200, "right");  // the toolbar opens (the take verb)
    Click(40, 100, 490);           // the lantern in the first cell taken up
    Click(45, 100, 490, "right");  // the toolbar closes, the lantern stays on the pointer
    Click(70, 180, 250);           // the lift's doorway
    Click(76, 180, 250, "right");  // the toolbar again while the hero walks
    Play("--scene 0 --give 47", 140, {68, 71, 90, 139}, {38, 68, 72, 90});

    const auto held = Dump(68);
    ASSERT_EQ(held["heldTool"], kLantern);
    EXPECT_FALSE(SoundPlays(held, kDropSound));
    const auto clicked = Dump(71);
    EXPECT_EQ(clicked["heldTool"], -1);
    EXPECT_EQ(clicked["inventory"], nlohmann::json::array({kLantern}));
    EXPECT_TRUE(SoundPlays(clicked, kDropSound));
    EXPECT_EQ(clicked["EXE"], 1);  // the doorway's action waits for the hero's arrival
    const auto open = Dump(90);
    EXPECT_EQ(open["DRAWTOOLBAR"], 1);
    EXPECT_EQ(open["STARTTOOLBAR"], 0);
    // The exit is not cancelled: the item went back before the hero arrived.
    EXPECT_EQ(Dump(139)["currentScene"], 75);

    // The held item's frame in the top-right corner goes; the lantern stands in its cell
    // as it did before it was taken up.
    const auto before = Shot(38), holding = Shot(68), dropped = Shot(72), back = Shot(90);
    ASSERT_TRUE(before.ok && holding.ok && dropped.ok && back.ok);
    EXPECT_GT(test::Difference(holding, dropped, 690, 10, 790, 90), 10.0);
    EXPECT_LT(test::Difference(before, back, 75, 461, 140, 526), 2.0);
}

}  // namespace
}  // namespace tarvex
