// The old man's room (scene 131) on the demo: talking to him, the first conversation,
// the follow-up with its two choice lists, the way down to scene 135, and the room's
// other hotspots. Every spoken step is watched: it may start only when the previous
// speaker stands and no line is on screen.
#include <array>
#include <functional>
#include <vector>

#include "interaction/game_state.h"
#include "scripts/script_api.h"
#include "support/game_harness.h"
#include "text/dialogue.h"
#include "text/text_table.h"

namespace tarvex {
namespace {

constexpr int kRoom = 131;
constexpr int kOldMan = 2;  // after the hero and his head
using test::kLookVerbX, test::kTalkVerbX, test::kUseVerbX, test::kVerbY;
constexpr int kOldManX = 394, kOldManY = 300;  // tool 999
// Rows of a choice list: row k spans y 352 + 16k .. 368 + 16k.
int RowY(int row) { return 360 + 16 * row; }

struct Step {
    int actor;  // who started a gesture with the line
    int motion;
    std::u16string text;
};

std::u16string DialogText(int id) {
    std::u16string text;
    EXPECT_TRUE(LookupText(TextTableId::Dialog, id, text)) << id;
    return text;
}

class OldMansRoom : public test::DemoSceneTest {
protected:
    void SetUp() override {
        Start(kRoom);
        ASSERT_TRUE(actors[kHero].inUse);
        ASSERT_TRUE(actors[kOldMan].inUse);
    }

    // Runs the conversation until the scene's state changes (or `until` holds after a
    // frame) and records the step starts. With `skipLines` every line is cut the frame
    // after it starts, as a player clicking through does, so that only the gestures hold
    // the steps back. Frames with a choice list up are counted in listFrames.
    std::vector<Step> Talk(bool skipLines, const std::function<bool()>& until = nullptr, int limit = 3000) {
        std::vector<Step> steps;
        const uint32_t state = GetStateOf(kRoom);
        int lastSpeaker = -1;
        for (int i = 0; i < limit && GetStateOf(kRoom) == state && currentScene == kRoom; ++i) {
            const float timerBefore = subtitleTimer;
            const int before[2] = {actors[kHero].motion, actors[kOldMan].motion};
            Frame();
            listFrames += choiceActive != 0;
            if (subtitleTimer > timerBefore) Record(steps, lastSpeaker, timerBefore, before);
            if (skipLines) subtitleTimer = 0;
            if (until && until()) break;
        }
        return steps;
    }
    // A line started this frame: by the actor whose gesture started with it. The line
    // before must be over and its speaker must stand.
    static void Record(std::vector<Step>& steps, int& lastSpeaker, float timerBefore, const int before[2]) {
        int speaker = -1;
        for (int k = 0; k < 2; ++k) {
            const int actor = k == 0 ? kHero : kOldMan;
            if (actors[actor].motion != 0 && actors[actor].motion != before[k]) speaker = actor;
        }
        EXPECT_EQ(timerBefore, 0.0f) << "a line cut short at step " << steps.size();
        if (lastSpeaker >= 0) {
            EXPECT_EQ(actors[lastSpeaker].motion, 0) << "a gesture cut short at step " << steps.size();
        }
        steps.push_back({speaker, speaker >= 0 ? actors[speaker].motion : -1, SubtitleString()});
        lastSpeaker = speaker;
    }
    static void ExpectSteps(const std::vector<Step>& got, const std::vector<std::array<int, 3>>& want) {
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].actor, want[i][0]) << "step " << i;
            EXPECT_EQ(got[i].motion, want[i][1]) << "step " << i;
            EXPECT_TRUE(got[i].text == DialogText(want[i][2])) << "step " << i << " line " << want[i][2];
        }
    }
    // Waits for the list, then presses on row `row`; the script takes the row on the
    // next frame.
    void Choose(int first, int count, int row) {
        ASSERT_TRUE(Until([] { return choiceActive != 0; }, 600));
        EXPECT_EQ(choiceFirst, first);
        EXPECT_EQ(choiceCount, count);
        Press(100, RowY(row));
        EXPECT_EQ(choiceSelected, first + row);
    }
    // The follow-up with every earlier topic heard (flags 8, 16, 32 and `more`): the card
    // asked about, up to the second list.
    void AskAboutTheCard(uint32_t more) {
        SetFlagsOf(kRoom, 8 | 16 | 32 | more);
        SetStateOf(kRoom, 5);
        Choose(445, 4, 2);  // 447: the card
        ExpectSteps(Talk(false, [] { return choiceActive != 0; }), {{kHero, 4, 226}, {kOldMan, 27, 227}});
    }
    int listFrames = 0;
};

constexpr int H = kHero, N = kOldMan;

const std::vector<std::array<int, 3>> kFirstConversation = {
    {H, 4, 206},  {N, 26, 207}, {H, 7, 208},  {N, 29, 209}, {H, 6, 210},  {N, 27, 211},
    {H, 3, 212},  {N, 30, 213}, {H, 3, 214},  {N, 27, 215}, {H, 3, 216},  {N, 29, 217},
    {H, 3, 218},  {N, 28, 219}, {H, 3, 220},  {N, 26, 221}};

TEST_F(OldMansRoom, TalkingToHimWalksTheHeroToHisSpotAndStartsAConversation) {
    Click(kTalkVerbX, kVerbY);
    // The first click on him looks, whatever the verb: the hero only walks over.
    Click(kOldManX, kOldManY);
    EXPECT_EQ(std::tuple(EXE, ToolTable[999].firstLook), std::tuple(0, 0));
    Click(kOldManX, kOldManY);
    ASSERT_TRUE(GetStateOf(kRoom) != 0 || Until([] { return GetStateOf(kRoom) != 0; }));
    EXPECT_EQ(std::tuple(GetStateOf(kRoom), actors[kHero].reachedCell[0], actors[kHero].reachedCell[1]),
              std::tuple(4u, 461, 429));
    EXPECT_FLOAT_EQ(actors[kHero].heading, 4.04f);

    // After the first conversation, the follow-up.
    SetStateOf(kRoom, 0);
    SetFlagsOf(kRoom, 8);
    Click(kOldManX, kOldManY);  // he stands at the spot already: arrived at once
    ASSERT_TRUE(GetStateOf(kRoom) != 0 || Until([] { return GetStateOf(kRoom) != 0; }));
    EXPECT_EQ(GetStateOf(kRoom), 5u);
}

TEST_F(OldMansRoom, TheFirstConversationAlternatesSpeakersAndWaitsForLinesAndGestures) {
    SetStateOf(kRoom, 4);
    ExpectSteps(Talk(false), kFirstConversation);
    EXPECT_EQ(std::tuple(GetStateOf(kRoom), TestFlagsOf(kRoom, 8), idleVariantLock[kRoom]), std::tuple(0u, 8u, 0u));

    // Clicking through: every line ends at once, and each step still waits for the
    // gesture before it.
    ClearFlagsOf(kRoom, 8);
    SetStateOf(kRoom, 4);
    ExpectSteps(Talk(true), kFirstConversation);
    EXPECT_TRUE(TestFlagsOf(kRoom, 8));
}

TEST_F(OldMansRoom, TheFirstFollowUpTalksAboutTheBoilerRoomThenThreeTopicsAreOffered) {
    SetFlagsOf(kRoom, 8);
    SetStateOf(kRoom, 5);
    ExpectSteps(Talk(false), {{H, 29, 222}, {N, 26, 223}});
    EXPECT_EQ(std::tuple(listFrames, GetStateOf(kRoom), TestFlagsOf(kRoom, 16)), std::tuple(0, 0u, 16u));

    // The next follow-up offers three topics and waits as long as none is picked.
    SetStateOf(kRoom, 5);
    ASSERT_TRUE(Until([] { return choiceActive != 0; }, 600));
    Frames(300);
    EXPECT_EQ(std::tuple(GetStateOf(kRoom), DIALOG, subtitleLength), std::tuple(5u, 0, 0));
    Choose(471, 3, 2);  // 473: goodbye
    ExpectSteps(Talk(false), {{H, 5, 228}, {N, 28, 229}});
    EXPECT_EQ(GetStateOf(kRoom), 0u);
}

TEST_F(OldMansRoom, AskingAboutTheCardOpensTheSecondListWithThreeRowsUnlessHeMayGoDown) {
    AskAboutTheCard(0);
    Choose(474, 3, 1);  // 475: the hero says the row he picked
    ExpectSteps(Talk(false), {{H, 3, 475}, {N, 29, 230}});
    EXPECT_EQ(std::tuple(GetStateOf(kRoom), actors[kOldMan].motion), std::tuple(0u, 0));
}

TEST_F(OldMansRoom, GoingDownLeavesEveryItemBehindAfterTheFadeAndMovesToScene135) {
    for (int tool : {1, 100, 742, 952, 953}) SetToolOwnership(tool, 1, 0);
    heldTool = 100;
    AskAboutTheCard(64);
    Choose(474, 4, 3);  // 477: down
    // The lines, then the walk: the fade starts once the hero has passed x = 20.
    ExpectSteps(Talk(false, [] { return fadeDirection != 0; }),
                {{H, 5, 477}, {N, 27, 231}, {H, 3, 232}, {N, 26, 233}});
    ASSERT_EQ(fadeDirection, -1);
    EXPECT_EQ(std::pair(actors[kHero].position.x >= 20.0f, actors[kHero].walking), std::pair(true, 1));
    // Nothing is lost while the picture darkens.
    bool keptWhileFading = true;
    while (fadeDirection != 0 && currentScene == kRoom) {
        keptWhileFading = keptWhileFading && ToolTable[742].inInventory;
        Frame();
    }
    EXPECT_EQ(std::tuple(keptWhileFading, gammaLevel, heldTool, GetStateOf(kRoom)), std::tuple(true, 0u, -1, 0u));
    for (int tool : {1, 100, 742, 952}) EXPECT_EQ(ToolTable[tool].inInventory, 0) << tool;
    EXPECT_EQ(ToolTable[953].inInventory, 1);
    ASSERT_TRUE(SceneBecomes(135));
    EXPECT_EQ(previousScene, kRoom);
}

TEST_F(OldMansRoom, TheRoomsOtherPlacesReactOnArrivalAndExitsWaitForTheRemark) {
    // The chest: a remark and a reach; the room waits for both, then is free again.
    ASSERT_EQ(actionRegions[3].action, 2);
    ClickRegion(3);
    ASSERT_TRUE(Until([] { return GetStateOf(kRoom) != 0; }));
    EXPECT_EQ(std::tuple(GetStateOf(kRoom), actors[kHero].motion, subtitleTimer > 0), std::tuple(1u, 22, true));
    ASSERT_TRUE(Until([] { return GetStateOf(kRoom) == 0; }));
    EXPECT_EQ(std::tuple(actors[kHero].motion, subtitleTimer), std::tuple(0, 0.0f));

    // The back doorway leads to scene 134, the left side to 219, the front to 261.
    const std::pair<int, int> exits[3] = {{0, 134}, {1, 219}, {2, 261}};
    for (auto [region, scene] : exits) {
        if (currentScene != kRoom) {
            ASSERT_TRUE(Enter(kRoom));
        }
        ClickRegion(region);
        EXPECT_EQ(EXE, actionRegions[region].action);
        ASSERT_TRUE(Until([] { return GetStateOf(kRoom) != 0; }));
        // A remark on screen holds the departure until it ends.
        PlayResponse(1347);
        Frames(20);
        EXPECT_EQ(std::pair(fadeState, GetStateOf(kRoom) != 0), std::pair(0u, true));
        // The demo's scripts make these passages lead on to the flat at once.
        ASSERT_TRUE(Until([scene] { return currentScene == scene || previousScene == scene; })) << scene;
        EXPECT_EQ(subtitleTimer, 0.0f);
    }
    // Back from the front, the hero comes in there, facing the room.
    ASSERT_TRUE(Enter(kRoom));
    EXPECT_NEAR(actors[kHero].position.x, -28.0f, 0.01f);
    EXPECT_NEAR(actors[kHero].position.z, 338.39f, 0.01f);
}

}  // namespace
}  // namespace tarvex
