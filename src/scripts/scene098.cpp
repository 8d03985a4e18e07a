// Scene 98, the keypad beside the lift: a panel with ten keys, a small monitor, two pairs
// of lamps and a card slot. The card (tool 62) powers the panel; then four digits are
// compared with the general code, and once that was accepted six digits with the personal
// password. The accepted password (flag 2) makes the lift's buttons in scene 0 work.
// Digits typed on the keyboard press the keys as clicks on them do.
#include <algorithm>
#include <string>

#include "scripts/devices.h"
#include "scripts/scenes.h"
#include "scripts/script_api.h"

namespace tarvex {

namespace {

constexpr int kLanding = 0;

// Flags of the scene.
constexpr uint32_t kCodeAccepted = 0x1;      // the panel now asks for the personal password
constexpr uint32_t kPasswordAccepted = 0x2;  // read by the lift landing
constexpr uint32_t kPowered = 0x4;
constexpr uint32_t kFirstHintGiven = 0x8;
constexpr uint32_t kSecondHintGiven = 0x10;
constexpr uint32_t kCodeRemarkGiven = 0x20;

// Scene states and the pending actions that lead to them.
enum : uint32_t { kIdle = 0, kComparing = 1, kKeyPressed = 2, kPoweringUp = 3 };
enum : int32_t { kGoBack = 1, kKeyAction = 2, kCompareAction = 3, kCardAction = 4 };

// Animation slots: the monitor (0) and the stars (1..6) belong to PadDigit.
enum {
    kGreenLamp = 7,
    kRedLamp = 8,
    kPowerGreenLamp = 9,
    kPowerRedLamp = 10,
    kCodePrompt = 11,
    kDeniedScreen = 12,
    kSituationScreen = 13,
    kPasswordPrompt = 14,
    kGrantedScreen = 15,
};
constexpr int kFirstScreen = kCodePrompt, kLastScreen = kGrantedScreen;
// Sound slots: 0..9 the digits' tones.
enum { kErrorSound = 10, kOkSound = 11 };

constexpr int kFirstKeyTool = 620;  // 620..629: digits 0..9
constexpr int kCardSlotTool = 119;
constexpr int kCardTool = 62;
constexpr int kKeyInset = 10;
struct KeyPlace {
    int x, y;
};
constexpr KeyPlace kKeyPlaces[10] = {{452, 453}, {304, 351}, {353, 352}, {402, 351}, {305, 400},
                                     {354, 401}, {403, 402}, {306, 449}, {354, 450}, {403, 451}};

constexpr int kGeneralCodeDigits = 4, kPasswordDigits = 6;
constexpr float kLampBlink = 0.25f;
constexpr float kScreenSpeed = 0.3f;
constexpr int kKeyToolStatic = 0;  // SceneStatic: the key being pressed

// Digits typed on the keyboard, waiting to press their keys: one a frame once the panel
// is ready for a key, never more than the input still lacks.
int typedDigits[kPasswordDigits];
int typedCount = 0;

void Hide(int slot) { animation.animSlots[slot].mode = 0; }
// A lamp that simply burns: its lit frame, still.
void Light(int slot) { PlayAnimation(slot, std::max(animation.animSlots[slot].frameCount - 1.0f, 0.0f), 0.0f); }
void Blink(int slot) { PlayAnimation(slot, 0.0f, kLampBlink); }
// The monitor shows one message or prompt at a time.
void ShowScreen(int slot) {
    for (int s = kFirstScreen; s <= kLastScreen; ++s) Hide(s);
    PlayAnimation(slot, 0.0f, kScreenSpeed);
}
int Prompt() { return TestFlags(kCodeAccepted) ? kPasswordPrompt : kCodePrompt; }
int DigitsNeeded() { return TestFlags(kCodeAccepted) ? kPasswordDigits : kGeneralCodeDigits; }
void HideStars() {
    for (int position = 1; position <= kPadPositions; ++position) Hide(position);
}
void NewInput() {
    ClearPad();
    devices.numberdigit = 0;
    typedCount = 0;
}

bool PadIs(const char* name) {
    std::string code;
    return GameCode(name, code) && PadMatches(code);
}

void Compare() {
    switch (scriptValues.DIALOG) {
    case 0:
        if (TestFlags(kCodeAccepted) && PadIs("pad98.personal"))
            scriptValues.DIALOG = 3;
        else if (PadIs("pad98.general"))
            scriptValues.DIALOG = 5;
        else
            scriptValues.DIALOG = 1;
        return;
    case 1:
        Blink(kRedLamp);
        HideStars();
        ShowScreen(kDeniedScreen);
        // Two hints for a wrong password, then the player is on his own.
        if (TestFlags(kCodeAccepted)) {
            if (!TestFlags(kFirstHintGiven)) {
                PlayResponse(778);
                SetFlags(kFirstHintGiven);
            } else if (!TestFlags(kSecondHintGiven)) {
                PlayResponse(776);
                SetFlags(kSecondHintGiven);
            }
        }
        PlaySlot(kErrorSound, 0, 0, 0);
        NextStep();
        return;
    case 2:
        if (!Elapsed(1.0f) || !RemarkOver()) return;
        Light(kRedLamp);
        ShowScreen(Prompt());
        NewInput();
        SetState(kIdle);
        return;
    case 3:
    case 5:
        Light(kGreenLamp);
        PlaySlot(kOkSound, 0, 0, 0);
        HideStars();
        ShowScreen(kGrantedScreen);
        NextStep();
        return;
    case 4:
        if (!Elapsed(1.0f) || !SoundOver(kOkSound)) return;
        Hide(kGreenLamp);
        SetFlags(kPasswordAccepted);
        NewInput();
        SetState(kIdle);
        RequestScene(kLanding);
        return;
    case 6:
        if (!Elapsed(2.0f) || !SoundOver(kOkSound)) return;
        ShowScreen(kSituationScreen);
        if (!TestFlags(kCodeRemarkGiven)) {
            PlayResponse(777);
            SetFlags(kCodeRemarkGiven);
        }
        NextStep();
        return;
    default:
        if (!Elapsed(3.0f) || !SoundOver(kOkSound) || !RemarkOver()) return;
        Hide(kGreenLamp);
        ShowScreen(kPasswordPrompt);
        NewInput();
        SetFlags(kCodeAccepted);
        SetState(kIdle);
        return;
    }
}

// The pressed key shows while its tone sounds; the last digit of the input asks for the
// comparison.
void KeyPressed() {
    const int tool = SceneStatic(kKeyToolStatic);
    const int digit = tool - kFirstKeyTool;
    const bool valid = digit >= 0 && digit <= 9;
    if (scriptValues.DIALOG == 0) {
        if (valid) {
            interaction.ToolTable[tool].drawn = 1;
            PlaySlot(digit, 0, 0, 0);
        }
        NextStep();
        return;
    }
    if ((valid && !SoundOver(digit)) || !Elapsed(0.3f)) return;
    if (valid) interaction.ToolTable[tool].drawn = 0;
    if (devices.numberdigit >= DigitsNeeded()) interaction.EXE = kCompareAction;
    SetState(kIdle);
}

// The card in the slot: the red lamp, the general code's prompt and the first green lamp;
// the power lamp's red goes out. (A later visit finds the second green lamp on instead.)
void PowerUp() {
    Light(kRedLamp);
    ShowScreen(kCodePrompt);
    Light(kGreenLamp);
    Hide(kPowerRedLamp);
    SetFlags(kPowered);
    SetState(kIdle);
}

// A key of the panel pressed: its star, and the key action pending.
void PressKey(int tool) {
    ++devices.numberdigit;
    SceneStatic(kKeyToolStatic) = tool;
    interaction.EXE = kKeyAction;
    PadDigit(tool - kFirstKeyTool, devices.numberdigit, 2);
}

bool PressOnKey() {
    const int tool = interaction.toolUnderPointer;
    if (tool < kFirstKeyTool || tool > kFirstKeyTool + 9 || !TestFlags(kPowered) || interaction.heldTool != -1) return false;
    pointer.LeftKey = 1;
    PressKey(tool);
    return true;
}

// The first digit typed ahead, as a click on its key would press it.
bool PressTypedKey() {
    if (typedCount == 0 || interaction.EXE != 0 || interaction.heldTool != -1 || interaction.DRAWTOOLBAR) return false;
    const int digit = typedDigits[0];
    std::copy(typedDigits + 1, typedDigits + typedCount, typedDigits);
    --typedCount;
    if (devices.numberdigit >= DigitsNeeded()) return false;
    PressKey(kFirstKeyTool + digit);
    return true;
}

void PressOnCardSlot() {
    if (interaction.toolUnderPointer != kCardSlotTool || interaction.cursorPicture != kCursorUse) return;
    pointer.LeftKey = 1;
    interaction.EXE = kCardAction;
}

bool Sequence(uint32_t state) {
    switch (state) {
    case kComparing: Compare(); return true;
    case kKeyPressed: KeyPressed(); return true;
    case kPoweringUp: PowerUp(); return true;
    default: return false;
    }
}

// The pending action once it is due (the card is taken from the pointer into the slot);
// with none, a digit typed ahead presses its key.
bool Arrived(int32_t action) {
    switch (action) {
    case kCardAction: SetState(kPoweringUp); return true;
    case kGoBack: RequestScene(kLanding); return true;
    case kKeyAction: SetState(kKeyPressed); return true;
    case kCompareAction: SetState(kComparing); return true;
    default: return PressTypedKey();
    }
}

void Pressed() {
    if (!PressOnKey()) PressOnCardSlot();
}

constexpr RoomRegion kRegions[] = {{0, 448, 193, 600, kCursorBack, 0, 0, kNoFinalHeading, kGoBack}};
constexpr RoomTool kTools[] = {{kCardSlotTool, 139, 109, 264, 508}};
constexpr RoomSound kSounds[] = {
    {"sound/scene098/0.wav", 0}, {"sound/scene098/1.wav", 1}, {"sound/scene098/2.wav", 2},
    {"sound/scene098/3.wav", 3}, {"sound/scene098/4.wav", 4}, {"sound/scene098/5.wav", 5},
    {"sound/scene098/6.wav", 6}, {"sound/scene098/7.wav", 7}, {"sound/scene098/8.wav", 8},
    {"sound/scene098/9.wav", 9}, {"sound/scene098/error.wav", kErrorSound}, {"sound/scene258/ok.wav", kOkSound}};
constexpr RoomToolUse kToolUses[] = {{kCardAction, kCardTool}};
constexpr Room kRoom{.kind = RoomKind::CloseUp,
                     .regions = kRegions,
                     .tools = kTools,
                     .sounds = kSounds,
                     .toolUses = kToolUses,
                     .sequence = Sequence,
                     .arrived = Arrived,
                     .pressed = Pressed};

}  // namespace

void Scene098Init() {
    InitRoom(kRoom);
    typedCount = 0;
}

bool Scene098Typed(int ch) {
    // Taken while a click on a key would count: the panel powered, nothing held, no
    // comparison under way; the tone of the key before may still sound.
    if (ch < '0' || ch > '9' || !TestFlags(kPowered) || interaction.heldTool != -1) return false;
    const uint32_t state = GetState();
    if ((state != kIdle && state != kKeyPressed) || interaction.EXE == kCompareAction) return false;
    if (devices.numberdigit + typedCount >= DigitsNeeded()) return false;
    typedDigits[typedCount++] = ch - '0';
    return true;
}

void Scene098Load() {
    LoadRoom(kRoom);
    for (int digit = 0; digit <= 9; ++digit) {
        const std::string picture = "gfx/scene098/knopka0" + std::to_string(digit) + ".bmp";
        PlaceToolPicture(picture.c_str(), kFirstKeyTool + digit, 1, 0, kKeyPlaces[digit].x, kKeyPlaces[digit].y,
                         kKeyInset, kKeyInset, kKeyInset, kKeyInset);
    }
    LoadFrameSequence("animgfx/scene098/green000.Tif", kGreenLamp, 540, 150, 0, kLampBlink, 0, 1, 0, 0.3f, -1, 0);
    LoadFrameSequence("animgfx/scene098/red000.Tif", kRedLamp, 540, 190, 0, kLampBlink, 0, 1, 0, 0.3f, -1, 0);
    LoadFrameSequence("animgfx/scene098/green1000.Tif", kPowerGreenLamp, 580, 150, 0, kLampBlink, 0, 1, 0, 0.3f, -1,
                      0);
    LoadFrameSequence("animgfx/scene098/red1000.Tif", kPowerRedLamp, 580, 190, 0, kLampBlink, 0, 1, 0, 0.3f, -1, 0);
    static const char* const kScreens[] = {
        "animgfx/scene098/personal_password000.Tif",   "animgfx/scene098/access_denied000.Tif",
        "animgfx/scene098/exceeding_situation000.Tif", "animgfx/scene098/exceeding_password000.Tif",
        "animgfx/scene098/access_granted000.Tif"};
    for (int s = kFirstScreen; s <= kLastScreen; ++s)
        LoadFrameSequence(kScreens[s - kFirstScreen], s, 307, 139, 0, kScreenSpeed, 0, 0, 0, 0.3f, -1, 0);
    if (TestFlags(kPowered)) {
        Light(kRedLamp);
        ShowScreen(Prompt());
        Light(kPowerGreenLamp);
    } else {
        Light(kPowerRedLamp);
    }
    // Every visit starts a new input.
    NewInput();
    SetState(kIdle);
}

void Scene098Run() { RunRoom(kRoom); }

}  // namespace tarvex
