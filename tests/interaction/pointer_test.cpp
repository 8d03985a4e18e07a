// The pointer over a scene: verb icons, regions, tools and actors under it, the lines
// a click speaks, and the click sequence of the scene scripts.
#include <algorithm>

#include "interaction/interaction_fixture.h"
#include "interaction/pointer.h"

namespace tarvex {
namespace {

class PointerTest : public test::InteractionTest {
protected:
    void SetUp() override {
        InteractionTest::SetUp();
        Responses(u"100 look\r\n101 use\r\n102 take\r\n103 talk\r\n104 first\r\n110 refuse\r\n111 react\r\n"
                  u"120 second\r\n");
        Structure(
            "TOOL 5\r\nLOOK 104\r\nUSE 101\r\n\r\n"
            "TOOL 6\r\nUSE 101\r\nPICKUP 102\r\nTALK 103\r\n"
            "TOOL 8\r\nLOOKT 100\r\nUSET 101\r\nCURSOR 3\r\n"
            "TOOL 9\r\nUSE 120\r\n"
            "TOOL 40\r\nOTBOY 110\r\n CLICK 6\r\n DIAL 111\r\n CLICK 9\r\nLOOK 5\r\n CLICK 5\r\n DIAL 0\r\n");
    }
    // One frame of a scene's run function.
    int32_t Frame() {
        interaction.cursorPicture = kCursorArrow;
        ResolvePointer();
        return ClickSequence();
    }
    // The pointer at (x, y), pressed or not, for one frame.
    int32_t At(int x, int y, bool down) {
        Pointer(x, y, down);
        return Frame();
    }
    void ClearSaid() {
        dialogue.subtitleLength = 0;
        dialogue.subtitleTimer = 0;
    }
};

TEST_F(PointerTest, VerbIconsOwnTheirInsideOnly) {
    // Icons at x 16, 48, 80, 112; their borders (x 0, 32, ...) and row 32 are outside.
    const int expected[] = {0, 1, 0, 2, 0, 3, 0, 4, 0, 0};
    for (int i = 0; i < 10; ++i) {
        interaction.currentVerb = 9;
        pointer.LeftKey = 0;
        Pointer(i < 9 ? 16 * i : 16, i < 9 ? 10 : 32, true);
        ResolvePointer();
        EXPECT_EQ(std::pair(interaction.currentVerb, pointer.LeftKey), std::pair(expected[i] ? expected[i] : 9, expected[i] ? 1 : 0)) << i;
    }
}

TEST_F(PointerTest, OverlappingToolsTheHigherNumberDecides) {
    PlaceTool(6, 1, 100, 100, 200, 200);
    PlaceTool(9, 1, 150, 150, 250, 250);
    interaction.currentVerb = kVerbUse;
    At(175, 175, true);
    EXPECT_EQ(std::pair(interaction.toolUnderPointer, Said()), std::pair(9, std::u16string(u"second")));
    // Edges are outside: the hit rectangle is open on all four sides.
    At(150, 175, false);
    EXPECT_EQ(interaction.toolUnderPointer, 6);
    At(200, 120, false);
    EXPECT_EQ(interaction.toolUnderPointer, kNone);
    // Tools in the inventory, not clickable or of another scene are not hotspots.
    interaction.ToolTable[6].clickable = 0;
    At(120, 120, false);
    EXPECT_EQ(interaction.toolUnderPointer, kNone);
}

TEST_F(PointerTest, HeldToolsReactOrRefuse) {
    PlaceTool(6, 1, 100, 100, 200, 200);
    PlaceTool(9, 1, 300, 100, 400, 200);
    PlaceTool(5, 1, 500, 100, 600, 200);
    PlaceTool(8, 1, 700, 100, 790, 200);
    interaction.currentVerb = kVerbLook;
    // A tool without lines of its own in the scene shows its own cursor, unless one is held.
    At(750, 150, false);
    EXPECT_EQ(interaction.cursorPicture, 3);
    auto useHeldOn = [&](int x) {
        interaction.heldTool = 40;
        pointer.LeftKey = 0;
        ClearSaid();
        At(x, 150, true);
    };
    useHeldOn(150);
    EXPECT_EQ(std::pair(interaction.cursorPicture, Said()), std::pair(kCursorUse, std::u16string(u"react")));
    // A CLICK whose next entry is another CLICK has no remark of its own: the refusal.
    useHeldOn(350);
    EXPECT_EQ(Said(), u"refuse");
    // DIAL 0 is never spoken; a target without CLICK gets the refusal.
    useHeldOn(550);
    EXPECT_EQ(Said(), u"");
    useHeldOn(750);
    EXPECT_EQ(std::pair(interaction.cursorPicture, Said()), std::pair(kCursorUse, std::u16string(u"refuse")));
    // The held tool's first look is not spent by using it.
    EXPECT_EQ(interaction.ToolTable[5].firstLook, 1);
}

TEST_F(PointerTest, RegionsShowCursorsAndOnlyTheFirstSeventeenTakeClicks) {
    DefineRegion(3, 0, 300, 400, 600, kCursorLeft, 20, 500, 1.5f, 1);
    DefineRegion(17, 400, 300, 800, 600, kCursorRight, 700, 500, 10.0f, 2);
    // Region 3's cursor and click are every exit of the golden run.
    At(100, 400, false);
    EXPECT_EQ(interaction.regionUnderPointer, 3);

    // Region 17 shows its cursor, but the click walks to the point with nothing pending.
    Pointer(500, 400, false);
    pointer.LeftKey = 0;
    Frame();
    EXPECT_EQ(interaction.cursorPicture, kCursorRight);
    At(500, 400, true);
    EXPECT_EQ(std::tuple(interaction.EXE, actorTable.actors[0].requestedCell[0], actorTable.actors[0].finalHeading), std::tuple(0, 500, kNoFinalHeading));

    // Defining a region again (in the next scene, say) leaves it without its old name.
    SetRegionLabel(3, 7);
    DefineRegion(3, 0, 300, 400, 600, kCursorBack, 20, 500, 1.5f, 1);
    EXPECT_EQ(interaction.actionRegions[3].label, 0);

    // Regions of another scene, and disabled ones, are nothing.
    interaction.actionRegions[3].scene = 8;
    At(100, 400, false);
    EXPECT_EQ(interaction.regionUnderPointer, kNone);
}

TEST_F(PointerTest, ClickableActorsOverrideToolsAndRegions) {
    PlaceTool(6, 1, 100, 100, 200, 200);
    actorTable.actors[2].inUse = 1;
    actorTable.actors[2].clickable = 1;
    const int rect[4] = {120, 80, 180, 300};
    std::copy(rect, rect + 4, actorTable.actors[2].screenRect);
    At(150, 150, false);
    EXPECT_EQ(std::tuple(interaction.actorUnderPointer, interaction.toolUnderPointer, interaction.cursorPicture), std::tuple(2, 6, kCursorTake));
    actorTable.actors[2].clickable = 0;
    Frame();
    EXPECT_EQ(interaction.actorUnderPointer, kNone);
    // Only the first sixteen actors can be clicked.
    actorTable.actors[16] = actorTable.actors[2];
    actorTable.actors[16].clickable = 1;
    Frame();
    EXPECT_EQ(interaction.actorUnderPointer, kNone);
}

TEST_F(PointerTest, ToolPlacementServices) {
    Write("gfx/scene007/pic.bmp", "");  // unreadable: the rectangle keeps its values
    PlaceTool(12, 1, 10, 20, 110, 70);
    PlaceToolPicture("gfx/scene007/pic.bmp", 12, 1, 1, 300, 300, 5, 5, 5, 5);
    EXPECT_EQ(std::tuple(interaction.ToolTable[12].x, interaction.ToolTable[12].right, interaction.ToolTable[12].hasPicture), std::tuple(300, 110, 0));
    EXPECT_STREQ(interaction.ToolTable[12].pictureName, "gfx/scene007/pic.bmp");

    // A 24-bit BMP of 40 x 30 made by ImageMagick.
    std::filesystem::create_directories("gfx/scene007");
    ASSERT_EQ(std::system("/usr/bin/convert -size 40x30 xc:red -type TrueColor BMP3:gfx/scene007/real.bmp"), 0);
    PlaceToolPicture("gfx/scene007/real.bmp", 13, 1, 1, 100, 200, -4, 3, 10, -6);
    const ToolRecord& t = interaction.ToolTable[13];
    EXPECT_EQ(std::tuple(t.hasPicture, t.width, t.height, t.offsetX, t.offsetY, t.right, t.bottom, t.drawn),
              std::tuple(1, 40, 30, -4, 3, 130, 236, 1));

    // A tool in the inventory keeps its flags when its picture is placed.
    SetToolOwnership(14, 1, 0);
    PlaceToolPicture("gfx/scene007/real.bmp", 14, 1, 1, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(std::tuple(interaction.ToolTable[14].clickable, interaction.ToolTable[14].drawn), std::tuple(0, 0));

    interaction.heldTool = 13;
    SetToolOwnership(13, 1, 1);
    EXPECT_EQ(std::tuple(interaction.heldTool, interaction.ToolTable[13].clickable), std::tuple(-1, 0));

    HideToolRange(13, 12);  // first above last: nothing
    EXPECT_EQ(interaction.ToolTable[13].drawn, 1);
    ShowToolRange(12, 13);
    EXPECT_EQ(interaction.ToolTable[13].clickable, 1);
    HideToolRange(12, 13);
    EXPECT_EQ(interaction.ToolTable[12].clickable + interaction.ToolTable[13].clickable + interaction.ToolTable[13].drawn, 0);
    HideToolRange(-50, 5000);  // out of the table: clipped to it
    ShowToolRange(1020, 9999);
    EXPECT_EQ(interaction.ToolTable[1023].clickable, 1);

    // A scene change takes every tool out of the scene; the inventory stays.
    ResetSceneTools();
    EXPECT_EQ(std::tuple(interaction.ToolTable[13].scene, interaction.ToolTable[13].scenePicture == nullptr, interaction.ToolTable[13].hasPicture,
                         interaction.ToolTable[14].inInventory), std::tuple(-1, true, 0, 1));
}

}  // namespace
}  // namespace tarvex
