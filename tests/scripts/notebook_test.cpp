// The notebook (scene 250) on the demo: leafing with the two page buttons over the
// pages that exist, the unread marks that reading clears, and the way back to the scene
// it was opened from.
#include "interaction/game_state.h"
#include "resources/anim_slot.h"
#include "scripts/notebook.h"
#include "support/game_harness.h"

namespace tarvex {
namespace {

using test::kLookVerbX, test::kTalkVerbX, test::kUseVerbX, test::kVerbY;
constexpr int kNotebookButtonX = 144;
constexpr int kBackX = 75, kBackY = 366;        // tool 501
constexpr int kForwardX = 75, kForwardY = 450;  // tool 502
constexpr int kWayOutX = 696, kWayOutY = 517;   // region 0

class Notebook : public test::DemoSceneTest {
protected:
    void SetUp() override { Start(131); }
    // One click on a page button: pending on the press, the state on the next frame,
    // the page turned on the one after.
    void Forward() { Click(kForwardX, kForwardY); }
    void Back() { Click(kBackX, kBackY); }
    void UseVerb() { Click(kUseVerbX, kVerbY); }
    // The page whose slot is shown; 0 when none or more than one is.
    static int ShownPage() {
        int shown = 0;
        for (int p = 1; p <= kNotebookPages; ++p)
            if (animSlots[p - 1].mode != 0) shown = shown ? -1 : p;
        return shown < 0 ? 0 : shown;
    }
    void ExpectPage(int page) {
        EXPECT_EQ(NotepadPosition, page);
        EXPECT_EQ(ShownPage(), page);
    }
};

TEST_F(Notebook, PagesOneToThreeThenSevenForwardAndBack) {
    SetFlagsOf(kNotebookScene, 0x800);  // page 3 unread
    WriteNotebookPage(7);
    ASSERT_EQ(notebookEntries[0], 1u);
    ASSERT_TRUE(Enter(kNotebookScene));
    for (int slot = 0; slot < kNotebookPages; ++slot) EXPECT_GE(animSlots[slot].frameCount, 1.0f) << slot;
    ExpectPage(1);

    // The page buttons answer the use cursor only.
    Click(kLookVerbX, kVerbY);
    Forward();
    ExpectPage(1);
    UseVerb();

    Forward();
    ExpectPage(2);
    EXPECT_TRUE(NotebookPageUnread(3));
    Forward();
    ExpectPage(3);
    EXPECT_EQ(std::pair(NotebookPageUnread(3), notebookEntries[0]), std::pair(false, 1u));
    // Pages 4 to 6 were never written: straight on to page 7, which is read now.
    Forward();
    ExpectPage(7);
    EXPECT_EQ(std::tuple(notebookEntries[0], animSlots[6].x, animSlots[2].x), std::tuple(0u, 157.0f, 150.0f));
    // The last page written: forward stays.
    Forward();
    ExpectPage(7);

    // Back goes to the nearest page before and leaves every mark as it is.
    SetFlagsOf(kNotebookScene, 0x800);
    for (int page : {3, 2, 1, 1}) {
        Back();
        ExpectPage(page);
    }
    EXPECT_EQ(std::pair(NotebookPageUnread(3), GetStateOf(kNotebookScene)), std::pair(true, 0u));
}

TEST_F(Notebook, ReadingPageSixClearsItsMarkWhicheverPageCameBefore) {
    // Pages 4, 5 and 6 written: read one after the other.
    for (int page : {4, 5, 6}) WriteNotebookPage(page);
    ASSERT_TRUE(Enter(kNotebookScene));
    UseVerb();
    for (int page = 2; page <= 6; ++page) {
        EXPECT_TRUE(NotebookPageUnread(6));
        Forward();
        ExpectPage(page);
        EXPECT_FALSE(NotebookPageUnread(page)) << page;
    }
    Forward();
    ExpectPage(6);

    // Only page 6 written: it follows page 3 and is read from there. Each visit starts
    // on page 1.
    ClearFlagsOf(kNotebookScene, 0xFFFFFFFFu);
    WriteNotebookPage(6);
    ASSERT_TRUE(Enter(131));
    ASSERT_TRUE(Enter(kNotebookScene));
    ExpectPage(1);
    for (int page : {2, 3, 6}) {
        Forward();
        ExpectPage(page);
    }
    EXPECT_EQ(std::tuple(NotebookPageUnread(6), NotebookPageExists(6), NotebookPageExists(5)),
              std::tuple(false, true, false));
}

TEST_F(Notebook, LeavingReturnsToTheSceneItWasOpenedFromWithTheInterfaceBack) {
    ASSERT_TRUE(actors[kHero].inUse);
    actors[kHero].position = Vec3{-30.0f, 0.0f, 200.0f};
    actors[kHero].heading = 2.5f;
    SetToolOwnership(kNotebookTool, 1, 0);
    Click(kNotebookButtonX, kVerbY);
    ASSERT_TRUE(SceneBecomes(kNotebookScene));
    EXPECT_EQ(std::tuple(SCENETOOLBAR, previousScene, interfaceEnabled), std::tuple(131, 131, 0));
    UseVerb();
    Forward();
    ExpectPage(2);

    Click(kWayOutX, kWayOutY);
    ASSERT_TRUE(SceneBecomes(131));
    EXPECT_EQ(interfaceEnabled, 1);
    EXPECT_NEAR(actors[kHero].position.x, -30.0f, 0.01f);
    EXPECT_NEAR(actors[kHero].position.z, 200.0f, 0.01f);
    EXPECT_FLOAT_EQ(actors[kHero].heading, 2.5f);

    // The button opens it again, on page 1.
    Click(kNotebookButtonX, kVerbY);
    ASSERT_TRUE(SceneBecomes(kNotebookScene));
    ExpectPage(1);
}

using NotebookFirst = test::DemoSceneTest;

TEST_F(NotebookFirst, WithNoSceneLeftBeforeItTheWayOutUsesTheSceneThatOpenedIt) {
    // A game that starts in the notebook has no previous scene; the way out must still
    // lead somewhere playable.
    Start(kNotebookScene);
    ASSERT_EQ(previousScene, -1);
    SCENETOOLBAR = 131;
    interfaceEnabled = 0;
    Click(kWayOutX, kWayOutY);
    ASSERT_TRUE(SceneBecomes(131));
    EXPECT_EQ(interfaceEnabled, 1);
}

}  // namespace
}  // namespace tarvex
