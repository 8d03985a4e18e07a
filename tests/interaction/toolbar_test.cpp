// The inventory toolbar: the right button, the sliding motion, the item grid under the
// pointer, taking, looking, using and combining items, and the new-item announcement.
#include "interaction/interaction_fixture.h"
#include "interaction/pointer.h"
#include "resources/anim_slot.h"

namespace tarvex {
namespace {

class ToolbarTest : public test::InteractionTest {
protected:
    void SetUp() override {
        InteractionTest::SetUp();
        Responses(u"1318 better\r\n739 batteries\r\n740 nothing more\r\n1184 works\r\n500 looked\r\n501 used\r\n"
                  u"600 no\r\n601 combined\r\n");
        Structure("TOOL 30\r\nLOOKT 500\r\nUSET 501\r\n"
                  "TOOL 31\r\nLOOKT 0\r\nUSET 0\r\n"
                  "TOOL 47\r\nOTBOY 600\r\n CLICKTOOLBAR 61\r\n ADDTOOL 39\r\n DELTOOL 61\r\n ADDTOOL 5000\r\n"
                  " CLICKTOOLBAR 30\r\n DELTOOL 47\r\n"
                  "TOOL 742\r\nLOOKT 500\r\n");
        Right(false);
    }
    // Presses and releases the right button: one press edge.
    void RightClick(bool allowed = true) {
        Right(true);
        ToolbarRightButton(allowed);
        Right(false);
        ToolbarRightButton(allowed);
    }
    // Frames of the toolbar until it stands still; the count.
    int FramesUntilStill() {
        for (int n = 1; n <= 100; ++n) {
            ToolbarMotionAndFrame();
            if (toolbarTables.STARTTOOLBAR == 0) return n;
        }
        return -1;
    }
    void OpenToolbar() {
        RightClick();
        ASSERT_GT(FramesUntilStill(), 0);
        ASSERT_EQ(interaction.DRAWTOOLBAR, 1);
    }
    // Cell (c, r) of the open grid, pressed or not.
    void AtCell(int c, int r, bool down) { Pointer(75 + 65 * c + 30, 461 + 65 * r + 30, down); }
    // A fresh press on cell (c, r) of the open grid, for one frame.
    void Press(int c, int r) {
        pointer.LeftKey = 0;
        AtCell(c, r, true);
        ToolbarFrame(toolbarTables.toolbarGridTop);
    }
    float PieceY() const { return animation.animSlots[kToolbarPieceSlot].y; }
};

TEST_F(ToolbarTest, RightButtonOpensClosesAndDropsTheHeldItem) {
    RightClick();
    EXPECT_EQ(std::tuple(interaction.DRAWTOOLBAR, toolbarTables.STARTTOOLBAR, toolbarTables.toolbarGridTop), std::tuple(1, 1, float(kGridTopClosed)));
    interaction.currentVerb = kVerbLook;
    // 24 pixels a frame at 30 frames a second: 256 pixels take 11 frames; opening chooses take.
    EXPECT_EQ(FramesUntilStill(), 11);
    EXPECT_EQ(interaction.currentVerb, kVerbTake);
    EXPECT_EQ(std::tuple(PieceY(), animation.animSlots[kToolbarPieceSlot + 3].y, toolbarTables.toolbarGridTop),
              std::tuple(float(kPieceYOpen), float(kPieceYOpen), float(kGridTopOpen)));

    // Holding the button acts once.
    Right(true);
    ToolbarRightButton(true);
    EXPECT_EQ(toolbarTables.STARTTOOLBAR, 2);
    ToolbarMotionAndFrame();
    ToolbarRightButton(true);
    EXPECT_EQ(toolbarTables.STARTTOOLBAR, 2);
    Right(false);
    ToolbarRightButton(true);

    // A click while closing opens again: the grid from the bottom, the pieces from where they are.
    ToolbarMotionAndFrame();
    const float piece = PieceY();
    RightClick();
    EXPECT_EQ(std::tuple(toolbarTables.STARTTOOLBAR, toolbarTables.toolbarGridTop, PieceY()), std::tuple(1, float(kGridTopClosed), piece));
    FramesUntilStill();

    // With an item held: the open toolbar closes and keeps it; the closed one drops it.
    interaction.heldTool = 30;
    RightClick();
    EXPECT_EQ(std::tuple(interaction.heldTool, toolbarTables.STARTTOOLBAR), std::tuple(30, 2));
    EXPECT_EQ(FramesUntilStill(), 11);
    EXPECT_EQ(std::tuple(interaction.DRAWTOOLBAR, PieceY()), std::tuple(0, kPieceYClosed));
    RightClick();
    EXPECT_EQ(std::tuple(interaction.heldTool, interaction.DRAWTOOLBAR), std::tuple(-1, 0));

    // During a video or a choice the press is used up without effect.
    RightClick(false);
    EXPECT_EQ(interaction.DRAWTOOLBAR, 0);
}

TEST_F(ToolbarTest, GridCellsByIntegerDivisionAndTheVerbCursors) {
    SetToolOwnership(30, 1, 0);
    SetToolOwnership(31, 1, 0);
    OpenToolbar();
    // Column (x - 75) / 65: x 139 is tool 30's, x 140 tool 31's (whose look and use lines
    // are 0). Outside the band (x 75..724, y 461..590), or while moving, no cell is hovered.
    const struct {
        int x, y, verb, moving, cursor;
    } cases[] = {{139, 500, kVerbLook, 0, kCursorLook}, {140, 500, kVerbLook, 0, kCursorArrow},
                 {140, 500, kVerbUse, 0, kCursorArrow}, {140, 500, kVerbTake, 0, kCursorTake},
                 {140, 500, kVerbTalk, 0, kCursorArrow}, {74, 500, kVerbTake, 0, kCursorArrow},
                 {100, 591, kVerbTake, 0, kCursorArrow}, {100, 500, kVerbTake, 2, kCursorArrow}};
    for (const auto& c : cases) {
        interaction.currentVerb = c.verb;
        toolbarTables.STARTTOOLBAR = c.moving;
        Pointer(c.x, c.y, false);
        ToolbarFrame(toolbarTables.toolbarGridTop);
        EXPECT_EQ(interaction.cursorPicture, c.cursor) << c.x << ", " << c.y << " verb " << c.verb;
    }
}

TEST_F(ToolbarTest, CombiningAHeldToolFollowsItsSection) {
    SetToolOwnership(47, 1, 0);
    SetToolOwnership(61, 1, 0);
    OpenToolbar();
    interaction.currentVerb = kVerbUse;
    interaction.heldTool = 47;
    Press(1, 0);  // tool 61
    EXPECT_EQ(std::tuple(interaction.ToolTable[39].inInventory, interaction.ToolTable[61].inInventory, interaction.heldTool, pointer.LeftKey),
              std::tuple(1, 0, 47, 1));
    EXPECT_EQ(Said(), u"no");  // no CLICK for 61: the refusal is spoken first

    // Deleting the held tool drops it from the pointer.
    SetToolOwnership(30, 1, 0);
    interaction.heldTool = 47;
    Press(0, 0);  // cells: 30, 39, 47
    EXPECT_EQ(std::tuple(interaction.ToolTable[47].inInventory, interaction.heldTool), std::tuple(0, -1));

    // ApplyToolCombination on its own: no entry, no change.
    EXPECT_FALSE(ApplyToolCombination(30, 47));
    EXPECT_FALSE(ApplyToolCombination(47, 31));
}

TEST_F(ToolbarTest, BuiltInUsesAndCloseUps) {
    interaction.currentVerb = kVerbUse;
    for (int tool : {212, 61}) SetToolOwnership(tool, 1, 0);
    OpenToolbar();
    interaction.currentVerb = kVerbUse;
    Press(0, 0);  // 61
    EXPECT_EQ(std::tuple(interaction.ToolTable[61].inInventory, interaction.ToolTable[39].inInventory, TestFlagsOf(146, 4)),
              std::tuple(0, 1, 4u));
    EXPECT_EQ(Said(), u"batteries");
    // The second time the flag is set: only the remark.
    SetToolOwnership(61, 1, 0);
    Press(1, 0);  // cells: 39, 61, 212
    EXPECT_EQ(std::pair(Said(), interaction.ToolTable[61].inInventory), std::pair(std::u16string(u"nothing more"), uint8_t{1}));
    Press(2, 0);
    EXPECT_EQ(std::tuple(interaction.ToolTable[212].inInventory, interaction.ToolTable[197].inInventory), std::tuple(0, 1));
    EXPECT_EQ(Said(), u"better");

    // Looking at the notebook opens it, as the notebook button does.
    loop.currentScene = 20;
    SetToolOwnership(kNotebookTool, 1, 0);
    interaction.currentVerb = kVerbLook;
    Press(3, 0);  // cells: 39, 61, 197, 742
    EXPECT_EQ(std::tuple(loop.currentScene, interaction.SCENETOOLBAR, interaction.interfaceEnabled), std::tuple(kNotebookScene, 20, 0));
    EXPECT_EQ(Said(), u"looked");
}

TEST_F(ToolbarTest, MoreThanTwentyItemsShareTheSecondRow) {
    for (int n = 100; n < 122; ++n) SetToolOwnership(n, 1, 0);
    OpenToolbar();
    interaction.currentVerb = kVerbTake;
    Press(0, 1);  // tools 110, 120 and 121 ... 120 and 121 stand at columns 0 and 1
    EXPECT_EQ(interaction.heldTool, 110);  // the first in order takes the press
    Press(9, 1);
    EXPECT_EQ(interaction.heldTool, 119);
    Press(1, 1);
    EXPECT_EQ(interaction.heldTool, 111);
}

TEST_F(ToolbarTest, NewItemsAreAnnouncedOneAfterAnother) {
    SetToolOwnership(5, 1, 0);
    SetToolOwnership(9, 1, 0);
    for (int i = 0; i < 100; ++i) NewItemFrame();
    EXPECT_EQ(std::tuple(interaction.ToolTable[5].newItemTimer, interaction.ToolTable[9].newItemTimer), std::tuple(100.0f, 0.0f));
    NewItemFrame();
    EXPECT_EQ(interaction.ToolTable[9].newItemTimer, 1.0f);
    // A new game announces everything again.
    ResetToolsForNewGame();
    EXPECT_EQ(std::tuple(interaction.ToolTable[5].inInventory, interaction.ToolTable[5].newItemTimer), std::tuple(0, 0.0f));
}

}  // namespace
}  // namespace tarvex
