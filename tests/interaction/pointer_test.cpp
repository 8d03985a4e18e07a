// The pointer over a scene: verb icons, regions, tools and actors under it, the lines
// a click speaks, and the click sequence of the scene scripts.
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
        cursorPicture = kCursorArrow;
        ResolvePointer();
        return ClickSequence();
    }
    void ClearSaid() {
        subtitleLength = 0;
        subtitleTimer = 0;
    }
};

TEST_F(PointerTest, VerbIconsOwnTheirInsideOnly) {
    const int expected[] = {0, 1, 0, 2, 0, 3, 0, 4, 0};
    const int xs[] = {0, 16, 32, 48, 64, 80, 96, 112, 128};
    for (int i = 0; i < 9; ++i) {
        currentVerb = 9;
        LeftKey = 0;
        Pointer(xs[i], 10, true);
        ResolvePointer();
        EXPECT_EQ(currentVerb, expected[i] ? expected[i] : 9) << "x " << xs[i];
        EXPECT_EQ(LeftKey, expected[i] ? 1 : 0) << "x " << xs[i];
    }
    // Row 0 and row 32 are outside the bar.
    currentVerb = 9;
    Pointer(16, 32, true);
    ResolvePointer();
    EXPECT_EQ(currentVerb, 9);
}

TEST_F(PointerTest, ToolsSpeakTheirVerbLineAfterTheFirstLook) {
    PlaceTool(5, 1, 100, 100, 200, 200);
    currentVerb = kVerbUse;
    Pointer(150, 150, false);
    Frame();
    EXPECT_EQ(toolUnderPointer, 5);
    EXPECT_EQ(cursorPicture, kCursorLook);  // the one-time look comes first, whatever the verb
    Pointer(150, 150, true);
    Frame();
    EXPECT_EQ(Said(), u"first");
    EXPECT_EQ(ToolTable[5].firstLook, 0);
    // The click stays unused by the line: the hero walks to the point too.
    EXPECT_EQ(LeftKey, 1);
    EXPECT_EQ(actors[0].requestedCell[0], 150);
    EXPECT_EQ(actors[0].walkRequest, 1);
    Pointer(150, 150, false);
    LeftKey = 0;
    Frame();
    EXPECT_EQ(cursorPicture, kCursorUse);
    Pointer(150, 150, true);
    Frame();
    EXPECT_EQ(Said(), u"use");

    // A verb without a line shows the arrow and says nothing.
    ClearSaid();
    currentVerb = kVerbTake;
    Pointer(150, 150, true);
    LeftKey = 0;
    Frame();
    EXPECT_EQ(cursorPicture, kCursorArrow);
    EXPECT_EQ(Said(), u"");
}

TEST_F(PointerTest, OverlappingToolsTheHigherNumberDecides) {
    PlaceTool(6, 1, 100, 100, 200, 200);
    PlaceTool(9, 1, 150, 150, 250, 250);
    currentVerb = kVerbUse;
    Pointer(175, 175, true);
    Frame();
    EXPECT_EQ(toolUnderPointer, 9);
    EXPECT_EQ(Said(), u"second");
    // Edges are outside: the hit rectangle is open on all four sides.
    Pointer(150, 175, false);
    Frame();
    EXPECT_EQ(toolUnderPointer, 6);
    Pointer(200, 120, false);
    Frame();
    EXPECT_EQ(toolUnderPointer, kNone);
    // Tools in the inventory, not clickable or of another scene are not hotspots.
    ToolTable[6].clickable = 0;
    Pointer(120, 120, false);
    Frame();
    EXPECT_EQ(toolUnderPointer, kNone);
}

TEST_F(PointerTest, ToolWithoutSceneLinesShowsItsOwnCursor) {
    PlaceTool(8, 1, 0, 100, 100, 200);
    currentVerb = kVerbLook;
    Pointer(50, 150, false);
    Frame();
    EXPECT_EQ(cursorPicture, 3);
    // Holding a tool over it shows the use cursor instead.
    heldTool = 40;
    Frame();
    EXPECT_EQ(cursorPicture, kCursorUse);
}

TEST_F(PointerTest, HeldToolsReactOrRefuse) {
    PlaceTool(6, 1, 100, 100, 200, 200);
    PlaceTool(9, 1, 300, 100, 400, 200);
    PlaceTool(5, 1, 500, 100, 600, 200);
    PlaceTool(8, 1, 700, 100, 790, 200);
    heldTool = 40;
    currentVerb = kVerbLook;
    Pointer(150, 150, true);
    Frame();
    EXPECT_EQ(cursorPicture, kCursorUse);
    EXPECT_EQ(Said(), u"react");
    // A CLICK whose next entry is another CLICK has no remark of its own: the refusal.
    heldTool = 40;
    LeftKey = 0;
    ClearSaid();
    Pointer(350, 150, true);
    Frame();
    EXPECT_EQ(Said(), u"refuse");
    // DIAL 0 is never spoken; a target without CLICK gets the refusal.
    heldTool = 40;
    LeftKey = 0;
    ClearSaid();
    Pointer(550, 150, true);
    Frame();
    EXPECT_EQ(Said(), u"");
    heldTool = 40;
    LeftKey = 0;
    Pointer(750, 150, true);
    Frame();
    EXPECT_EQ(Said(), u"refuse");
    // The held tool's first look is not spent by using it.
    EXPECT_EQ(ToolTable[5].firstLook, 1);
}

TEST_F(PointerTest, RegionsShowCursorsAndOnlyTheFirstSeventeenTakeClicks) {
    DefineRegion(3, 0, 300, 400, 600, kCursorLeft, 20, 500, 1.5f, 1);
    DefineRegion(17, 400, 300, 800, 600, kCursorRight, 700, 500, 10.0f, 2);
    Pointer(100, 400, false);
    Frame();
    EXPECT_EQ(regionUnderPointer, 3);
    EXPECT_EQ(cursorPicture, kCursorLeft);
    Pointer(100, 400, true);
    Frame();
    EXPECT_EQ(EXE, 1);
    EXPECT_EQ(actors[0].requestedCell[0], 20);
    EXPECT_EQ(actors[0].requestedCell[1], 500);
    EXPECT_FLOAT_EQ(actors[0].finalHeading, 1.5f);

    // Region 17 shows its cursor, but the click walks to the point with nothing pending.
    Pointer(500, 400, false);
    LeftKey = 0;
    Frame();
    EXPECT_EQ(cursorPicture, kCursorRight);
    Pointer(500, 400, true);
    Frame();
    EXPECT_EQ(EXE, 0);
    EXPECT_EQ(actors[0].requestedCell[0], 500);
    EXPECT_FLOAT_EQ(actors[0].finalHeading, kNoFinalHeading);

    // A region's name is set after it is defined; defining the index again (in the next
    // scene, say) leaves it without one.
    SetRegionLabel(3, 7);
    EXPECT_EQ(actionRegions[3].label, 7);
    DefineRegion(3, 0, 300, 400, 600, kCursorBack, 20, 500, 1.5f, 1);
    EXPECT_EQ(actionRegions[3].label, 0);

    // Regions of another scene, and disabled ones, are nothing.
    actionRegions[3].scene = 8;
    Pointer(100, 400, false);
    Frame();
    EXPECT_EQ(regionUnderPointer, kNone);
}

TEST_F(PointerTest, AToolInsideARegionTakesTheCursorAndTheClickDoesBoth) {
    DefineRegion(2, 0, 0, 800, 600, kCursorForward, 400, 550, 10.0f, 3);
    PlaceTool(6, 1, 100, 100, 200, 200);
    currentVerb = kVerbUse;
    Pointer(150, 150, true);
    Frame();
    EXPECT_EQ(cursorPicture, kCursorUse);
    EXPECT_EQ(Said(), u"use");
    EXPECT_EQ(EXE, 3);
    EXPECT_EQ(actors[0].requestedCell[1], 550);
}

TEST_F(PointerTest, ArrivalHandsOverTheActionUnlessAToolIsHeld) {
    actors[0].inUse = 1;  // a hero (without a model) that must walk there first
    DefineRegion(0, 0, 300, 400, 600, kCursorLeft, 20, 500, 10.0f, 2);
    Pointer(100, 400, true);
    Frame();
    ASSERT_EQ(EXE, 2);
    Pointer(100, 400, false);
    LeftKey = 0;
    EXPECT_EQ(Frame(), 0);  // not there yet
    actors[0].reachedCell[0] = 20;
    actors[0].reachedCell[1] = 500;
    EXPECT_EQ(Frame(), 2);
    EXPECT_EQ(EXE, 0);

    // A second click before arrival replaces the pending action.
    actors[0].reachedCell[0] = actors[0].reachedCell[1] = 0;
    Pointer(100, 400, true);
    Frame();
    DefineRegion(1, 400, 300, 800, 600, kCursorRight, 700, 500, 10.0f, 3);
    LeftKey = 0;
    Pointer(600, 400, true);
    Frame();
    EXPECT_EQ(EXE, 3);

    // Holding a tool when the hero arrives drops the action.
    actors[0].reachedCell[0] = 700;
    actors[0].reachedCell[1] = 500;
    heldTool = 40;
    Pointer(600, 400, false);
    LeftKey = 0;
    EXPECT_EQ(Frame(), 0);
    EXPECT_EQ(EXE, 0);

    // A scene without a hero (a close-up) acts at once.
    actors[0].inUse = 0;
    heldTool = -1;
    LeftKey = 0;
    Pointer(100, 400, true);
    Frame();
    Pointer(100, 400, false);
    LeftKey = 0;
    EXPECT_EQ(Frame(), 2);
}

TEST_F(PointerTest, ClickableActorsOverrideToolsAndRegions) {
    PlaceTool(6, 1, 100, 100, 200, 200);
    actors[2].inUse = 1;
    actors[2].clickable = 1;
    actors[2].screenRect[0] = 120;
    actors[2].screenRect[1] = 80;
    actors[2].screenRect[2] = 180;
    actors[2].screenRect[3] = 300;
    Pointer(150, 150, false);
    Frame();
    EXPECT_EQ(actorUnderPointer, 2);
    EXPECT_EQ(toolUnderPointer, 6);
    EXPECT_EQ(cursorPicture, kCursorTake);
    actors[2].clickable = 0;
    Frame();
    EXPECT_EQ(actorUnderPointer, kNone);
    // Only the first sixteen actors can be clicked.
    actors[16] = actors[2];
    actors[16].clickable = 1;
    Frame();
    EXPECT_EQ(actorUnderPointer, kNone);
}

TEST_F(PointerTest, NotebookButtonOpensTheNotebookOnlyWhenCarried) {
    currentScene = 252;
    SetState(4);
    SetFlags(0xFFFFFFFF);
    MainSost = 9;
    Pointer(140, 10, true);
    Frame();
    EXPECT_EQ(currentScene, 252);  // no notebook: the press walks the hero like any other
    EXPECT_EQ(actors[0].walkRequest, 1);

    SetToolOwnership(kNotebookTool, 1, 0);
    LeftKey = 0;
    Frame();
    EXPECT_EQ(currentScene, kNotebookScene);
    EXPECT_EQ(SCENETOOLBAR, 252);
    EXPECT_EQ(interfaceEnabled, 0);
    EXPECT_EQ(MainSost, 0);
    EXPECT_EQ(GetStateOf(252), 0u);
    EXPECT_EQ(sceneFlags[252], 0xF00108C0u);  // the devices' flags of 252 are cleared

    // With the interface waiting, the button does nothing.
    currentScene = 236;
    SetFlags(0xFFFF);
    LeftKey = 0;
    Frame();
    EXPECT_EQ(currentScene, 236);
}

TEST_F(PointerTest, ToolPlacementServices) {
    Write("gfx/scene007/pic.bmp", "");  // unreadable: the rectangle keeps its values
    PlaceTool(12, 1, 10, 20, 110, 70);
    PlaceToolPicture("gfx/scene007/pic.bmp", 12, 1, 1, 300, 300, 5, 5, 5, 5);
    EXPECT_EQ(ToolTable[12].x, 300);
    EXPECT_EQ(ToolTable[12].right, 110);
    EXPECT_EQ(ToolTable[12].hasPicture, 0);
    EXPECT_STREQ(ToolTable[12].pictureName, "gfx/scene007/pic.bmp");

    // A 24-bit BMP of 40 x 30 made by ImageMagick.
    std::filesystem::create_directories("gfx/scene007");
    ASSERT_EQ(std::system("/usr/bin/convert -size 40x30 xc:red -type TrueColor BMP3:gfx/scene007/real.bmp"), 0);
    PlaceToolPicture("gfx/scene007/real.bmp", 13, 1, 1, 100, 200, -4, 3, 10, -6);
    const ToolRecord& t = ToolTable[13];
    EXPECT_EQ(t.hasPicture, 1);
    EXPECT_EQ(t.width, 40);
    EXPECT_EQ(t.height, 30);
    EXPECT_EQ(t.offsetX, -4);
    EXPECT_EQ(t.offsetY, 3);
    EXPECT_EQ(t.right, 130);
    EXPECT_EQ(t.bottom, 236);
    EXPECT_EQ(t.drawn, 1);

    // A tool in the inventory keeps its flags when its picture is placed.
    SetToolOwnership(14, 1, 0);
    PlaceToolPicture("gfx/scene007/real.bmp", 14, 1, 1, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(ToolTable[14].clickable, 0);
    EXPECT_EQ(ToolTable[14].drawn, 0);

    heldTool = 13;
    SetToolOwnership(13, 1, 1);
    EXPECT_EQ(heldTool, -1);
    EXPECT_EQ(ToolTable[13].clickable, 0);

    HideToolRange(13, 12);  // first above last: nothing
    EXPECT_EQ(ToolTable[13].drawn, 1);
    ShowToolRange(12, 13);
    EXPECT_EQ(ToolTable[13].clickable, 1);
    HideToolRange(12, 13);
    EXPECT_EQ(ToolTable[12].clickable + ToolTable[13].clickable + ToolTable[13].drawn, 0);
    HideToolRange(-50, 5000);  // out of the table: clipped to it
    ShowToolRange(1020, 9999);
    EXPECT_EQ(ToolTable[1023].clickable, 1);

    // A scene change takes every tool out of the scene; the inventory stays.
    ResetSceneTools();
    EXPECT_EQ(ToolTable[13].scene, -1);
    EXPECT_EQ(ToolTable[13].scenePicture, nullptr);
    EXPECT_EQ(ToolTable[13].hasPicture, 0);
    EXPECT_EQ(ToolTable[14].inInventory, 1);
}

}  // namespace
}  // namespace tarvex
