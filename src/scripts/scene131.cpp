// Scene 131, the old man's room. The old man (actor 2, after the hero and his head) stands
// in front of the table; tool 999 is his figure. Talking to him walks the hero to the
// talking spot and starts the first conversation (state 4) or, once that was held
// (flag 8), the follow-up (state 5) with its choice lists. Every line of a conversation
// waits until the previous speaker's gesture is over and no line is on screen, so
// gestures are never cut short. Flag 16: the boiler room was talked about; flags 32 and
// 64 are set by other scenes and open further topics; choice 477 takes the hero away
// with the old man, without his things, to scene 135.
#include "scripts/scenes.h"
#include "scripts/script_api.h"

namespace tarvex {

namespace {

// ---- The room: places, headings and hotspots, chosen on the scene's picture. ----

// The hero's start is the scene's START, screen point (470, 500).
constexpr Vec3 kHeroStart{-41.061f, 0.0f, 259.149f};
constexpr float kHeroStartHeading = 1.9f;
// The hero talks from here, facing the old man; the old man stands 80 units ahead
// along that facing, in front of the table.
constexpr int kTalkX = 461, kTalkY = 429;
constexpr float kTalkFacing = 4.04f;
const Vec3 kOldManPlace{4.95f, 0.0f, 97.99f};
constexpr float kOldManHeading = 0.05f;
// His figure on the screen (feet at (394, 397), head near y = 196).
constexpr int kOldManTool = 999;
constexpr int kOldManLeft = 360, kOldManTop = 190, kOldManRight = 428, kOldManBottom = 404;
// Leaving with the old man: towards the front left; the fade starts once the hero's x
// has passed kFadeFromX.
constexpr int kLeaveX = 246, kLeaveY = 573;
constexpr float kLeaveFacing = 4.04f;
constexpr float kFadeFromX = 20.0f;

// Facings: towards the back wall, and towards screen right (the chest).
constexpr float kFaceBack = 4.712389f;
constexpr float kFaceRight = 0.0f;

constexpr RoomRegion kRegions[] = {
    {546, 128, 636, 300, kCursorForward, 590, 306, kFaceBack, 4},    // the back doorway
    {0, 330, 60, 600, kCursorLeft, 30, 502, kNoFinalHeading, 8},     // out on the left
    {60, 566, 800, 600, kCursorBack, 460, 592, kNoFinalHeading, 9},  // out at the front
    {764, 268, 800, 424, kCursorUse, 748, 434, kFaceRight, 2},       // the old man's chest
    {118, 148, 248, 312, kCursorUse, 190, 322, kFaceBack, 3},        // the cupboard
    {286, 258, 440, 342, kCursorLook, 280, 362, kFaceBack, 5},       // the table
};

// Where the hero comes in from the scenes the exits lead to (world point, facing).
constexpr RoomEntry kEntries[] = {
    {134, Vec3{-253.19f, 0.0f, -233.69f}, 1.570796f},  // through the back doorway, facing the room
    {219, Vec3{217.04f, 0.0f, 259.15f}, 0.0f},         // from the left
    {261, Vec3{-28.0f, 0.0f, 338.39f}, kFaceBack},     // from the front
};

constexpr RoomShadow kShadow{Vec3{0.0f, 250.0f, 100.0f}, 10.0f, 0x20000000};  // the ceiling lamp

// ---- Progress. ----

constexpr int kThisScene = 131;

enum : uint32_t {
    kIdle = 0,
    kNotDisturbing = 1,  // the hero reaches for the chest and thinks better of it
    kAtCupboard = 2,
    kAtTable = 3,
    kFirstTalk = 4,
    kFollowUp = 5,
    kToScene134 = 6,
    kToScene219 = 7,
    kToScene261 = 8,
};
// The doorway, the left and the front: leaving waits for the current remark.
constexpr RoomExit kExits[] = {{4, kToScene134, 134}, {8, kToScene219, 219}, {9, kToScene261, 261}};
constexpr uint32_t kTalkedOnce = 8, kBoilerTalked = 16, kMoreTopics = 32, kMayGoDown = 64;
constexpr int kChoiceStatic = 0;  // SceneStatic: the row picked last
constexpr int kNextScene = 135;
constexpr int kLastLostTool = 952;

constexpr int kReachGesture = 22, kLookGesture = 21;
constexpr int kNotDisturbingRemark = 1347;

// Actor 2 unless a model was missing when the scene was set up.
int oldMan = 2;

// ---- Speakers and the speaking step. ----

enum Who { kH, kN, kBoth };

int ActorOf(Who who) { return who == kH ? kHero : oldMan; }

// An actor with no model to play stands for the conversation's sake.
bool AtRest(int actor) {
    return actor < 0 || actor >= kActorCount || !actorTable.actors[actor].inUse || actorTable.actors[actor].motion == 0;
}

// The speaker (or both) stands and no line is on screen.
bool Ready(Who who) {
    const bool stand = who == kBoth ? AtRest(ActorOf(kH)) && AtRest(ActorOf(kN)) : AtRest(ActorOf(who));
    return stand && RemarkOver();
}

void Speak(Who speaker, int motion, int line) {
    StartGesture(ActorOf(speaker), motion);
    PlayDialogLine(line);
}

void GoTo(int step) {
    scriptValues.DIALOG = step;
    StoreClock();
}

// The speaking step: once `waitFor` is ready, `speaker` starts the gesture and the line.
void Say(Who waitFor, Who speaker, int motion, int line) {
    if (!Ready(waitFor)) return;
    Speak(speaker, motion, line);
    NextStep();
}

// The end of a sequence: the room is free again, and the next sequence starts at step 0.
void EndSequence() {
    SetState(kIdle);
    scriptValues.DIALOG = 0;
}

void EndTalk(Who waitFor) {
    if (Ready(waitFor)) EndSequence();
}

struct Line {
    Who waitFor, speaker;
    int motion, line;
};
constexpr Line kFirstLines[16] = {
    {kBoth, kH, 4, 206}, {kH, kN, 26, 207}, {kN, kH, 7, 208},  {kH, kN, 29, 209},
    {kN, kH, 6, 210},    {kH, kN, 27, 211}, {kN, kH, 3, 212},  {kH, kN, 30, 213},
    {kN, kH, 3, 214},    {kH, kN, 27, 215}, {kN, kH, 3, 216},  {kH, kN, 29, 217},
    {kN, kH, 3, 218},    {kH, kN, 28, 219}, {kN, kH, 3, 220},  {kH, kN, 26, 221},
};

void FirstTalk() {
    if (scriptValues.DIALOG >= 0 && scriptValues.DIALOG < 16) {
        const Line& l = kFirstLines[scriptValues.DIALOG];
        Say(l.waitFor, l.speaker, l.motion, l.line);
        return;
    }
    if (Ready(kN)) {
        EndSequence();
        SetFlags(kTalkedOnce);
    }
}

// The topic list of the follow-up's start; -1 while the player has not picked a row.
int32_t PickTopic() {
    if (TestFlags(kMoreTopics)) return PollDialogChoice(445, 4);
    return PollDialogChoice(471, 3);
}

// The start of the follow-up: the boiler room at once while there is nothing else to
// talk about, else the topic list until a row is picked.
void PickFollowUpTopic() {
    if (!Ready(kBoth)) return;
    if (!TestFlags(kMoreTopics | kBoilerTalked)) {
        GoTo(1);
        return;
    }
    int32_t& picked = SceneStatic(kChoiceStatic);
    picked = PickTopic();
    switch (picked) {
    case 445:
    case 471: GoTo(1); break;
    case 446:
    case 472: GoTo(4); break;
    case 447: GoTo(10); break;
    case 448:
    case 473: GoTo(7); break;
    default: break;  // no row picked yet: the list stays
    }
}

// The second list, after the card: the hero says the row he picked.
void PickAfterCard() {
    if (!Ready(kN)) return;
    int32_t& picked = SceneStatic(kChoiceStatic);
    picked = PollDialogChoice(474, TestFlags(kMayGoDown) ? 4 : 3);
    switch (picked) {
    case 474: Speak(kH, 26, 474); GoTo(13); break;
    case 475: Speak(kH, 3, 475); GoTo(13); break;
    case 476: Speak(kH, 27, 476); GoTo(13); break;
    case 477:
        if (!TestFlags(kMayGoDown)) break;
        Speak(kH, 5, 477);
        GoTo(15);
        break;
    default: break;
    }
}

// Going down with the old man: the hero walks off, the picture fades, his things stay.
void LeaveWithOldMan() {
    switch (scriptValues.DIALOG) {
    case 18:
        if (!Ready(kN)) return;
        WalkTo(kHero, kLeaveX, kLeaveY, kLeaveFacing);
        NextStep();
        return;
    case 19: {
        // A walk that ends (or cannot start) short of the mark still leads on.
        const ActorRecord& hero = actorTable.actors[kHero];
        const bool walks = hero.inUse && (hero.walking || hero.walkRequest);
        if (hero.inUse && hero.position.x < kFadeFromX && walks) return;
        FadeOut();
        NextStep();
        return;
    }
    default:
        if (!FadeStep()) return;
        for (int tool = 1; tool <= kLastLostTool; ++tool) SetToolOwnership(tool, 0, 0);
        EndSequence();
        RequestScene(kNextScene);
        return;
    }
}

void FollowUp() {
    switch (scriptValues.DIALOG) {
    case 0: PickFollowUpTopic(); return;
    // The boiler room.
    case 1: Say(kH, kH, 29, 222); return;
    case 2: Say(kH, kN, 26, 223); return;
    case 3:
        if (!Ready(kN)) return;
        SetFlags(kBoilerTalked);
        EndSequence();
        return;
    // The caretaker.
    case 4: Say(kH, kH, 6, 224); return;
    case 5: Say(kH, kN, 26, 225); return;
    case 6: EndTalk(kN); return;
    // Goodbye.
    case 7: Say(kH, kH, 5, 228); return;
    case 8: Say(kH, kN, 28, 229); return;
    case 9: EndTalk(kN); return;
    // The card, then the second list.
    case 10: Say(kH, kH, 4, 226); return;
    case 11: Say(kH, kN, 27, 227); return;
    case 12: PickAfterCard(); return;
    case 13: Say(kH, kN, 29, 230); return;
    case 14: EndTalk(kBoth); return;
    // Going down with the old man.
    case 15: Say(kH, kN, 27, 231); return;
    case 16: Say(kN, kH, 3, 232); return;
    case 17: Say(kH, kN, 26, 233); return;
    case 18:
    case 19:
    case 20: LeaveWithOldMan(); return;
    default: EndSequence(); return;
    }
}

// The hero's reach or look: the scene waits for the gesture and the remark.
void Reaction() {
    if (Ready(kH)) EndSequence();
}

bool Arrived(int32_t action) {
    switch (action) {
    case 2:
        PlayResponse(kNotDisturbingRemark);
        StartGesture(kHero, kReachGesture);
        SetState(kNotDisturbing);
        break;
    case 3:
        StartGesture(kHero, kReachGesture);
        SetState(kAtCupboard);
        break;
    case 5:
        StartGesture(kHero, kLookGesture);
        SetState(kAtTable);
        break;
    case 6: SetState(kFirstTalk); break;
    case 7: SetState(kFollowUp); break;
    default: break;
    }
    return false;
}

// A fresh press on the old man: the hero goes to him; with the talk cursor showing he
// will speak to him on arrival.
void PressOnOldMan() {
    interaction.EXE = 0;
    if (interaction.toolUnderPointer != kOldManTool) return;
    pointer.LeftKey = 1;
    WalkTo(kHero, kTalkX, kTalkY, kTalkFacing);
    if (interaction.cursorPicture == kCursorTalk) interaction.EXE = TestFlags(kTalkedOnce) ? 7 : 6;
}

bool Sequence(uint32_t state) {
    switch (state) {
    case kFirstTalk:
    case kFollowUp:
        // Idle fidgets would play talking gestures between the lines.
        actorTable.idleVariantLock[kThisScene] = 1;
        if (state == kFirstTalk)
            FirstTalk();
        else
            FollowUp();
        if (GetStateOf(kThisScene) == kIdle) actorTable.idleVariantLock[kThisScene] = 0;
        return true;
    case kNotDisturbing:
    case kAtCupboard:
    case kAtTable: Reaction(); return true;
    default: actorTable.idleVariantLock[kThisScene] = 0; return false;
    }
}

constexpr RoomTool kTools[] = {{kOldManTool, kOldManLeft, kOldManTop, kOldManRight, kOldManBottom}};

constexpr Room kRoom{.kind = RoomKind::Hero,
                     .heroStart = kHeroStart,
                     .heroHeading = kHeroStartHeading,
                     .regions = kRegions,
                     .tools = kTools,
                     .shadow = &kShadow,
                     .exits = kExits,
                     .entries = kEntries,
                     .sequence = Sequence,
                     .arrived = Arrived,
                     .pressed = PressOnOldMan};

}  // namespace

void Scene131Init() {
    InitRoom(kRoom);
    oldMan = LoadActor("models/ded.md", kOldManPlace, kOldManHeading);
    if (oldMan >= 0) actorTable.actors[oldMan].shadowMode = 4;
}

void Scene131Load() { LoadRoom(kRoom); }

void Scene131Run() { RunRoom(kRoom); }

}  // namespace tarvex
