#include "interaction/pointer.h"

#include <algorithm>

#include "base/globals.h"
#include "interaction/game_hooks.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "media/sound.h"
#include "model/actor.h"
#include "render/frame_render.h"
#include "resources/anim_slot.h"
#include "text/dialogue.h"

namespace tarvex {

namespace {

constexpr int kClickableActors = 16;
constexpr int kVerbSound = 54;

int32_t VerbLine(const ToolRecord& t) {
    switch (currentVerb) {
    case kVerbLook: return t.lookLine;
    case kVerbTalk: return t.talkLine;
    case kVerbTake: return t.pickupLine;
    case kVerbUse: return t.useLine;
    default: return -1;
    }
}

int32_t VerbCursor() {
    switch (currentVerb) {
    case kVerbLook: return kCursorLook;
    case kVerbTalk: return kCursorTalk;
    case kVerbTake: return kCursorTake;
    case kVerbUse: return kCursorUse;
    default: return kCursorArrow;
    }
}

bool InRange(int v, int low, int high) { return v > low && v < high; }

// A press inside the verb bar: selects the verb; true when it did.
bool PressOnVerbBar() {
    if (!InRange(cursorY, 0, 32)) return false;
    for (int verb = kVerbLook; verb <= kVerbUse; ++verb) {
        const int left = 32 * (verb - 1);
        if (InRange(cursorX, left, left + 32)) {
            if (currentVerb != verb || !LeftKey) RestartSlot(kVerbSound, 0, 0, 0);
            currentVerb = verb;
            LeftKey = 1;
            return true;
        }
    }
    return false;
}

// The game's notebook opens from the button right of the verbs.
bool PressOnNotebookButton() {
    if (!InRange(cursorY, 0, 32) || !InRange(cursorX, 128, 160)) return false;
    if (interfaceEnabled != 1 || !gameHooks.openNotebook || !gameHooks.openNotebook()) return false;
    LeftKey = 1;
    return true;
}

void ResolveRegions() {
    regionUnderPointer = kNone;
    for (int i = 0; i < kActionRegionCount; ++i) {
        const ActionRegion& r = actionRegions[i];
        if (r.scene != currentScene || !r.enabled) continue;
        if (!InRange(cursorX, r.left, r.right) || !InRange(cursorY, r.top, r.bottom)) continue;
        regionUnderPointer = i;
        cursorPicture = r.cursor;
    }
}

void ResolveTools() {
    toolUnderPointer = kNone;
    const bool press = FreshLeftPress();
    for (int n = 0; n < kGameToolCount; ++n) {
        ToolRecord& t = ToolTable[n];
        if (t.scene != currentScene || t.inInventory || !t.clickable) continue;
        if (!InRange(cursorX, t.x + t.offsetX, t.right) || !InRange(cursorY, t.y + t.offsetY, t.bottom)) continue;
        toolUnderPointer = n;
        if (heldTool != -1) {
            cursorPicture = kCursorUse;
            if (press) SayToolOnTarget(heldTool, n);
        } else if (t.firstLook) {
            cursorPicture = kCursorLook;
            if (press) {
                PlayResponse(t.lookLine);
                t.firstLook = 0;
            }
        } else {
            const int32_t line = VerbLine(t);
            cursorPicture = line != -1 ? VerbCursor() : kCursorArrow;
            if (press) PlayResponse(line);
        }
        const bool noLines = t.lookLine == -1 && t.useLine == -1 && t.talkLine == -1 && t.pickupLine == -1;
        if (noLines && heldTool == -1) cursorPicture = t.ownCursor;
    }
}

void ResolveActors() {
    actorUnderPointer = kNone;
    for (int i = 0; i < kClickableActors; ++i) {
        const ActorRecord& a = actors[i];
        if (!a.inUse || !a.clickable) continue;
        if (!InRange(cursorX, a.screenRect[0], a.screenRect[2]) || !InRange(cursorY, a.screenRect[1], a.screenRect[3]))
            continue;
        actorUnderPointer = i;
        cursorPicture = kCursorTake;
    }
}

}  // namespace

bool LeftButtonDown() { return (mouseState.buttons[0] & 0x80) != 0; }
bool FreshLeftPress() { return LeftButtonDown() && !LeftKey; }

void OpenCloseUp(int scene) {
    const ActorRecord& hero = actors[kHero];
    if (hero.inUse) SetRestoredHeroPlace(hero.position, hero.heading);
    SCENETOOLBAR = currentScene;
    interfaceEnabled = 0;
    currentScene = scene;
}

void ResolvePointer() {
    if (DRAWTOOLBAR) return;
    if (LeftButtonDown()) {
        if (PressOnVerbBar()) return;
        if (PressOnNotebookButton()) return;
    }
    ResolveRegions();
    ResolveTools();
    ResolveActors();
}

bool HeroHasArrived() { return !actors[kHero].inUse || TurnToFinalHeading(kHero) != 0; }

void WalkToRegion() {
    if (regionUnderPointer < 0 || regionUnderPointer >= kActionRegionCount) return;
    const ActionRegion& r = actionRegions[regionUnderPointer];
    EXE = r.action;
    // The item on the pointer goes back into the toolbar, as a right click puts it: the
    // player hears it go.
    if (heldTool != -1) RestartSlot(kSoundDropItem, 0, 0, 0);
    heldTool = -1;
    LeftKey = 1;
    WalkTo(kHero, r.walkX, r.walkY, r.facing);
}

int32_t TakeArrivedAction() {
    int32_t arrived = 0;
    if (EXE && HeroHasArrived()) {
        if (heldTool == -1) arrived = EXE;
        EXE = 0;
    }
    return arrived;
}

void HandleClick() {
    if (FreshLeftPress()) {
        EXE = 0;
        if (regionUnderPointer >= 0 && regionUnderPointer < kClickableRegions) WalkToRegion();
    }
    if (FreshLeftPress() && EXE == 0) {
        LeftKey = 1;
        WalkTo(kHero, cursorX, cursorY, kNoFinalHeading);
    }
}

int32_t ClickSequence() {
    const int32_t arrived = TakeArrivedAction();
    HandleClick();
    return arrived;
}

void DrawPointer() {
    if (playMode == 2) return;
    if (cursorPicture < 0 || cursorPicture >= kCursorPictureCount) return;
    AnimSlot& s = animSlots[kCursorSlot + cursorPicture];
    if (cursorPicture == kCursorArrow) {
        s.x = static_cast<float>(cursorX);
        s.y = static_cast<float>(cursorY);
    } else {
        s.x = static_cast<float>(std::max(cursorX - 16, 0));
        s.y = static_cast<float>(std::max(cursorY - 16, 0));
    }
    DrawSlot(kCursorSlot + cursorPicture);
}

void DrawZoneNameUnderPointer() {
    if (cursorPicture == kCursorBack && regionUnderPointer >= 0 && regionUnderPointer < kActionRegionCount)
        DrawZoneName(actionRegions[regionUnderPointer].label);
}

}  // namespace tarvex
