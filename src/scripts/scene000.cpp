// Scene 0, the lift landing: the lift's doorway, two call buttons and a push-button, the
// wall panel that leads to the keypad (scene 98). Bit 1 of the scene's flags says the
// lift stands here; the call buttons work once the keypad's code was entered (scene 98,
// bit 2); scene 95's bit 1 chooses the floor the lift takes the hero to.
#include "scripts/scenes.h"
#include "scripts/script_api.h"

namespace tarvex {

namespace {

constexpr uint32_t kLiftHere = 0x1;
constexpr int kKeypadScene = 98;
constexpr uint32_t kKeypadSolved = 0x2;

// Scene states.
enum : uint32_t {
    kIdle = 0,
    kLiftLeaves = 1,
    kLiftArrives = 2,
    kButtonA = 3,
    kButtonB = 4,
    kRideUp = 6,
    kRideDown = 7,
    kThroughDoorway = 8,
    kToKeypad = 9,
};

// Animation slots and sound slots of the scene.
enum { kDoorLift = 1, kDoorShaft = 2, kCabin = 3, kBottle = 4, kButtonLit1 = 5, kButtonLit2 = 6 };
enum { kSoundClose = 0, kSoundOpen = 1, kSoundTravel = 2 };

constexpr int kPressGesture = 35;
constexpr float kPressFrame = 1836.0f;  // the arm is out: the button is pressed
constexpr int kButtonTools[3] = {379, 646, 647};
constexpr int kPanelX = 284, kPanelY = 587;
constexpr float kPanelFacing = 2.45f;

void Show(int slot) { animation.animSlots[slot].mode = 1; }
void Hide(int slot) { animation.animSlots[slot].mode = 0; }

// The lift leaving (doors of the cabin close, the shaft's open) or arriving (the other way).
void LiftSequence(bool leaves) {
    const int closing = leaves ? kDoorLift : kDoorShaft;
    const int opening = leaves ? kDoorShaft : kDoorLift;
    const int lit = leaves ? kButtonLit2 : kButtonLit1;
    switch (scriptValues.DIALOG) {
    case 0:
        if (!GestureAt(kHero, kPressGesture, kPressFrame)) return;
        Hide(opening);
        if (leaves)
            ClearFlags(kLiftHere);
        else
            SetFlags(kLiftHere);
        Show(lit);
        PlayAnimation(closing, 0.0f, -0.48f);
        PlayAnimation(kBottle, 0.0f, 0.2f);
        PlaySlot(kSoundClose, 0, 0, 0);
        NextStep();
        return;
    case 1:
        if (Elapsed(0.5f) && SoundOver(kSoundClose)) NextStep();
        return;
    case 2:
        PlaySlot(kSoundTravel, 0, 0, 0);
        NextStep();
        return;
    case 3:
        if (!Elapsed(3.0f)) return;
        Show(kCabin);
        NextStep();
        return;
    case 4:
        if (!Elapsed(3.0f)) return;
        for (int slot : {int(kCabin), int(kBottle), closing, lit}) Hide(slot);
        PlayAnimation(opening, 0.0f, 0.48f);
        PlaySlot(kSoundOpen, 0, 0, 0);
        NextStep();
        return;
    default:
        if (SoundOver(kSoundOpen)) SetState(kIdle);
        return;
    }
}

// A button that does nothing: the gesture, then the remark.
void UselessButton() {
    if (scriptValues.DIALOG == 0) {
        if (!GestureAt(kHero, kPressGesture, kPressFrame)) return;
        PlayResponse(767);
        NextStep();
    } else if (RemarkOver()) {
        SetState(kIdle);
    }
}

void Press(uint32_t state) {
    StartGesture(kHero, kPressGesture);
    SetState(state);
}

bool Arrived(int32_t action) {
    const bool liftHere = TestFlags(kLiftHere) != 0;
    switch (action) {
    case 1:
        if (liftHere)
            SetState(TestFlagsOf(95, 0x1) ? kRideUp : kRideDown);
        else
            SetState(kThroughDoorway);
        break;
    case 2: Press(kLiftLeaves); break;
    case 3: Press(kLiftArrives); break;
    case 4:
        if (TestFlagsOf(kKeypadScene, kKeypadSolved))
            PlayResponse(775);
        else
            SetState(kToKeypad);
        break;
    case 5: Press(kButtonA); break;
    case 6: Press(kButtonB); break;
    default: break;
    }
    return false;
}

// A fresh press on one of the buttons: the hero walks to them; with the use cursor showing,
// the button's effect is pending or spoken at once.
void PressOnButton() {
    interaction.EXE = 0;
    const int tool = interaction.toolUnderPointer;
    if (tool != kButtonTools[0] && tool != kButtonTools[1] && tool != kButtonTools[2]) return;
    pointer.LeftKey = 1;
    WalkTo(kHero, kPanelX, kPanelY, kPanelFacing);
    if (interaction.cursorPicture != kCursorUse) return;
    const bool solved = TestFlagsOf(kKeypadScene, kKeypadSolved) != 0;
    const bool liftHere = TestFlags(kLiftHere) != 0;
    if (tool == 379) {
        interaction.EXE = 5;
    } else if (tool == 646) {
        if (!solved)
            interaction.EXE = 5;
        else if (liftHere)
            interaction.EXE = 2;
        else
            PlayResponse(763);
    } else {
        if (!solved)
            interaction.EXE = 6;
        else if (liftHere)
            PlayResponse(769);
        else
            interaction.EXE = 3;
    }
}

bool Sequence(uint32_t state) {
    switch (state) {
    case kLiftLeaves: LiftSequence(true); return true;
    case kLiftArrives: LiftSequence(false); return true;
    case kButtonA:
    case kButtonB: UselessButton(); return true;
    default: return false;
    }
}

constexpr RoomRegion kRegions[] = {
    {114, 69, 249, 451, kCursorLeft, 264, 524, 3.158f, 1},
    {72, 289, 110, 339, kCursorLook, kPanelX, kPanelY, kPanelFacing, 4},
};
constexpr RoomTool kTools[] = {{379, 45, 242, 58, 253}, {646, 48, 262, 60, 271}, {647, 48, 280, 64, 290}};
constexpr RoomSound kSounds[] = {{"sound/scene000/Lift_close.wav", kSoundClose},
                                 {"sound/scene000/Lift_open.wav", kSoundOpen},
                                 {"sound/scene000/Lift_action.wav", kSoundTravel}};
constexpr RoomShadow kShadow{Vec3{-176.0f, 268.0f, 194.0f}, 10.0f, 0x20000000};
// Leaving by the lift, the doorway or the panel waits for the current remark.
constexpr RoomExit kExits[] = {{0, kRideUp, 115}, {0, kRideDown, 149}, {0, kThroughDoorway, 75}, {0, kToKeypad, kKeypadScene}};
// Back from the keypad: the hero stands at the panel, facing it.
constexpr RoomEntry kEntries[] = {{kKeypadScene, Vec3{-53.12f, 0.19f, 279.88f}, kPanelFacing}};

constexpr Room kRoom{.kind = RoomKind::Hero,
                     .heroStart = Vec3{-58.56f, 0.225f, 224.98f},
                     .heroHeading = 6.88f,
                     .regions = kRegions,
                     .tools = kTools,
                     .sounds = kSounds,
                     .ambient = "sound/ambient/hospital.wav",
                     .shadow = &kShadow,
                     .exits = kExits,
                     .entries = kEntries,
                     .sequence = Sequence,
                     .arrived = Arrived,
                     .pressed = PressOnButton};

}  // namespace

void Scene000Init() { InitRoom(kRoom); }

void Scene000Load() {
    LoadFrameSequence("animgfx/scene000/Door1000.tif", kDoorLift, 125, 0, 0, 0.48f, 0, 0, 0, 0.3f, -1, 0);
    LoadFrameSequence("animgfx/scene000/Door000.Tif", kDoorShaft, 125, 0, 0, 0.48f, 0, 0, 0, 0.3f, -1, 0);
    LoadFrameSequence("animgfx/scene000/Lift000.tif", kCabin, 141, 109, 0, 0.48f, 0, 0, 0, 0.3f, -1, 0);
    LoadFrameSequence("animgfx/scene000/botle000.tif", kBottle, 531, 393, 0, 0.2f, 0, 1, 0, 0.3f, -1, 0);
    LoadFrameSequence("animgfx/scene000/button1000.Tif", kButtonLit1, 41, 257, 0, 0.48f, 0, 0, 0, 0.3f, -1, 0);
    LoadFrameSequence("animgfx/scene000/button2000.Tif", kButtonLit2, 41, 257, 0, 0.48f, 0, 0, 0, 0.3f, -1, 0);
    // The doorway shows what stands behind it: the cabin's doors or the shaft's.
    const int door = TestFlags(kLiftHere) ? kDoorLift : kDoorShaft;
    PlayAnimation(door, animation.animSlots[door].frameCount, 1.0f);
    LoadRoom(kRoom);
}

void Scene000Run() { RunRoom(kRoom); }

}  // namespace tarvex
