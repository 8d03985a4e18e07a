// The scene kit's frame on a room of its own: what the hero arrives with becomes an exit's
// state, a tool's use or nothing, and a departure waits for the remark.
#include <vector>

#include "scripts/script_api.h"
#include "scripts_fixture.h"

namespace tarvex {
namespace {

constexpr int kRoomScene = 40;
constexpr int kSlotTool = 62, kOtherTool = 7;
std::vector<int32_t> kitArrivals;

constexpr RoomExit kKitExits[] = {{3, 6, 75}};
constexpr RoomToolUse kKitToolUses[] = {{4, kSlotTool}};
constexpr Room kKitRoom{.kind = RoomKind::CloseUp,
                        .exits = kKitExits,
                        .toolUses = kKitToolUses,
                        .arrived = [](int32_t action) {
                            if (action) kitArrivals.push_back(action);
                            return false;
                        }};

class SceneKit : public test::ScriptsTest {
protected:
    void SetUp() override {
        ScriptsTest::SetUp();
        kitArrivals.clear();
        loop.currentScene = kRoomScene;
        run_ = [] { RunRoom(kKitRoom); };
    }
    // The hero (none in this room) arrives with `action` while `tool` is on the pointer.
    void Arrive(int32_t action, int tool) {
        interaction.EXE = action;
        interaction.heldTool = tool;
        Frame();
    }
};

TEST_F(SceneKit, ArrivalsBecomeExitsOrToolUsesAndDeparturesWaitForTheRemark) {
    // A tool on the pointer cancels an exit; the tool stays.
    Arrive(3, kOtherTool);
    EXPECT_EQ(std::tuple(GetStateOf(kRoomScene), interaction.EXE, interaction.heldTool), std::tuple(0u, 0, kOtherTool));
    // A use of the wrong tool, and of none, comes to nothing; the right tool is used up.
    Arrive(4, kOtherTool);
    Arrive(4, -1);
    EXPECT_TRUE(kitArrivals.empty());
    Arrive(4, kSlotTool);
    EXPECT_EQ(kitArrivals, std::vector<int32_t>{4});
    EXPECT_EQ(interaction.heldTool, -1);

    dialogue.subtitleTimer = 100.0f;
    Arrive(3, -1);
    Frame();
    EXPECT_EQ(std::pair(GetStateOf(kRoomScene), loop.currentScene), std::pair(6u, kRoomScene));
    dialogue.subtitleTimer = 0;
    Frame();
    EXPECT_EQ(std::pair(GetStateOf(kRoomScene), loop.currentScene), std::pair(0u, 75));
}

}  // namespace
}  // namespace tarvex
