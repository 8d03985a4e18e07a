// Scene 260, the registry terminal: a menu of four entries on the names screen. The first
// entry looks up a client by his 5-character code (keyboard mode 12); the others open the
// registry's sections behind the operator's 7-character password (mode 11). Each choice
// walks the terminal's screens: the old screen runs back, the question comes up, then the
// input line; the typed answer's code (EXE) becomes the state of the answer screen, which
// stays a moment and gives way to the names screen with the menu back.
#include "scripts/devices.h"
#include "scripts/scenes.h"
#include "scripts/script_api.h"

namespace tarvex {

namespace {

// The terminal's layout: screens, the input line, the menu entries on the names screen
// and the way back.
constexpr int kScreenX = 140, kScreenY = 230;
constexpr float kScreenSpeed = 0.28f;
constexpr int kInputX = 138, kInputY = 331;
constexpr int kInputCursorX = 319, kInputCursorY = 357;
constexpr float kInputCursorSpeed = 0.2f;
constexpr int kFirstMenuTool = 861, kLastMenuTool = 864;
constexpr int kClientMenuTool = 861;

constexpr const char* kNamesScreen = "animgfx/scene260/names000.Tif";
constexpr const char* kClientQuestion = "animgfx/scene260/enterclient000.Tif";
constexpr const char* kOperatorQuestion = "animgfx/scene260/passwordoperator000.Tif";
constexpr const char* kInputScreen = "animgfx/scene252/enterpassword000.Tif";
constexpr const char* kInputCursor = "animgfx/scene252/pod000.Tif";

// Slots: the screen, the input line; typed keys' masks take 3..13 and the cursor 14.
enum { kScreenSlot = 0, kInputSlot = 1, kFirstMaskSlot = 3, kInputCursorSlot = 14 };

// Scene states. The answers carry the codes the typed entry leaves in EXE.
enum : uint32_t {
    kIdle = 0,
    kAskClient = 2,
    kAskOperator = 3,
    kOperatorGranted = 4,   // mode 11 match
    kClientUnknown = 5,     // mode 12 mismatch
    kClientFound = 10,      // mode 12 match
    kOperatorRefused = 11,  // mode 11 mismatch
};
constexpr int kClientMode = 12, kOperatorMode = 11;

// Flags of the scene.
constexpr uint32_t kOperatorAccess = 0x1;
constexpr uint32_t kClientLookedUp = 0x2;

constexpr int kGoBack = 1;
constexpr int kMenuToolStatic = 0;  // SceneStatic: the menu entry clicked last

struct Answer {
    uint32_t state;
    const char* screen;
    float seconds;   // how long the message stays
    uint32_t flag;   // the fact the answer leaves
};
constexpr Answer kAnswers[] = {
    {kOperatorGranted, "animgfx/scene260/accessgranted000.Tif", 2.0f, kOperatorAccess},
    {kOperatorRefused, "animgfx/scene260/accessdenied000.Tif", 2.0f, 0},
    {kClientFound, "animgfx/scene260/client000.Tif", 4.0f, kClientLookedUp},
    {kClientUnknown, "animgfx/scene260/nofind000.Tif", 2.0f, 0},
};

const Answer* FindAnswer(uint32_t state) {
    for (const Answer& a : kAnswers)
        if (a.state == state) return &a;
    return nullptr;
}

void ShowScreen(const char* screen) {
    LoadFrameSequence(screen, kScreenSlot, kScreenX, kScreenY, 1, kScreenSpeed, 0, 0, 0, 0.3f, -1, 0);
    PlayAnimation(kScreenSlot, 0.0f, kScreenSpeed);
}
void RunScreenBack() { PlayAnimation(kScreenSlot, 0.0f, -kScreenSpeed); }
bool ScreenGone() { return AnimationAtStart(kScreenSlot); }

void HideInput() {
    for (int slot = kInputSlot; slot <= kInputCursorSlot; ++slot) animation.animSlots[slot].mode = 0;
}

// The question, then the input line; typing starts once the cursor has come up.
void Ask() {
    switch (scriptValues.DIALOG) {
    case 0:
        RunScreenBack();
        NextStep();
        return;
    case 1:
        if (!ScreenGone()) return;
        ShowScreen(GetState() == kAskClient ? kClientQuestion : kOperatorQuestion);
        NextStep();
        return;
    case 2:
        LoadFrameSequence(kInputScreen, kInputSlot, kInputX, kInputY, 1, kScreenSpeed, 0, 0, 0, 0.3f, -1, 0);
        PlayAnimation(kInputSlot, 0.0f, kScreenSpeed);
        LoadFrameSequence(kInputCursor, kInputCursorSlot, kInputCursorX, kInputCursorY, 1, kInputCursorSpeed, 0, 0, 0,
                          0.3f, -1, 0);
        PlayAnimation(kInputCursorSlot, 0.0f, kInputCursorSpeed);
        NextStep();
        return;
    default:
        if (!AnimationAtEnd(kInputCursorSlot)) return;
        ClearTypedEntry();
        loop.MainSost = SceneStatic(kMenuToolStatic) == kClientMenuTool ? kClientMode : kOperatorMode;
        SetState(kIdle);
        return;
    }
}

// The answer's message, then the names screen with the menu clickable again.
void ShowAnswer(const Answer& answer) {
    switch (scriptValues.DIALOG) {
    case 0:
        HideInput();
        RunScreenBack();
        NextStep();
        return;
    case 1:
        if (!ScreenGone()) return;
        ShowScreen(answer.screen);
        if (answer.flag) SetFlags(answer.flag);
        NextStep();
        return;
    case 2:
        if (!Elapsed(answer.seconds)) return;
        RunScreenBack();
        NextStep();
        return;
    default:
        if (!ScreenGone()) return;
        ShowScreen(kNamesScreen);
        ShowToolRange(kFirstMenuTool, kLastMenuTool);
        SetState(kIdle);
        return;
    }
}

// The code the typed entry left for the device in use becomes the answer's state.
bool TakeTypedAnswer() {
    if (loop.MainSost != kClientMode && loop.MainSost != kOperatorMode) return false;
    const bool client = loop.MainSost == kClientMode;
    const uint32_t match = client ? kClientFound : kOperatorGranted;
    const uint32_t mismatch = client ? kClientUnknown : kOperatorRefused;
    if (interaction.EXE != static_cast<int32_t>(match) && interaction.EXE != static_cast<int32_t>(mismatch)) return false;
    SetState(static_cast<uint32_t>(interaction.EXE));
    interaction.EXE = 0;
    scriptValues.DIALOG = 0;
    loop.MainSost = 0;  // the keyboard is done with this input
    return true;
}

void PressOnMenu() {
    const int tool = interaction.toolUnderPointer;
    if (tool < kFirstMenuTool || tool > kLastMenuTool) return;
    pointer.LeftKey = 1;
    SceneStatic(kMenuToolStatic) = tool;
    HideToolRange(kFirstMenuTool, kLastMenuTool);
    scriptValues.DIALOG = 0;
    // With the operator's access already given, the registry opens without the password.
    if (tool == kClientMenuTool)
        SetState(kAskClient);
    else
        SetState(TestFlags(kOperatorAccess) ? kOperatorGranted : kAskOperator);
}

bool Sequence(uint32_t state) {
    if (state == kAskClient || state == kAskOperator) {
        Ask();
        return true;
    }
    if (const Answer* answer = FindAnswer(state)) {
        ShowAnswer(*answer);
        return true;
    }
    return TakeTypedAnswer();
}

bool Arrived(int32_t action) {
    if (action != kGoBack) return false;
    loop.MainSost = 0;
    ClearTypedEntry();
    if (sceneSwitch.previousScene >= 0) RequestScene(sceneSwitch.previousScene);
    interaction.interfaceEnabled = 1;
    return true;
}

// The menu's four entries on the names screen, the first the client's.
constexpr RoomTool kTools[] = {{861, 170, 262, 470, 290}, {862, 170, 294, 470, 322}, {863, 170, 326, 470, 354},
                               {864, 170, 358, 470, 386}};
// The keyboard's clicks and Enter.
constexpr RoomSound kSounds[] = {{"sound/scene033/click01.wav", 0}, {"sound/scene033/click02.wav", 1},
                                 {"sound/scene033/click03.wav", 2}, {"sound/scene033/click04.wav", 3},
                                 {"sound/scene033/click05.wav", 4}, {"sound/scene033/click06.wav", 5},
                                 {"sound/scene033/click07.wav", 6}, {"sound/scene033/enter.wav", 7}};
constexpr Room kRoom{.kind = RoomKind::CloseUp,
                     .regions = std::span(&kWayBackRegion, 1),
                     .tools = kTools,
                     .sounds = kSounds,
                     .sequence = Sequence,
                     .arrived = Arrived,
                     .pressed = PressOnMenu};

}  // namespace

void Scene260Init() { InitRoom(kRoom); }

void Scene260Load() {
    LoadRoom(kRoom);
    ShowScreen(kNamesScreen);
    loop.MainSost = 0;
    ClearTypedEntry();
    SetState(kIdle);
}

void Scene260Run() { RunRoom(kRoom); }

}  // namespace tarvex
