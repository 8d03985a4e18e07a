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
    switch (interaction.currentVerb) {
    case kVerbLook: return t.lookLine;
    case kVerbTalk: return t.talkLine;
    case kVerbTake: return t.pickupLine;
    case kVerbUse: return t.useLine;
    default: return -1;
    }
}

int32_t VerbCursor() {
    switch (interaction.currentVerb) {
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
    if (!InRange(pointer.cursorY, 0, 32)) return false;
    for (int verb = kVerbLook; verb <= kVerbUse; ++verb) {
        const int left = 32 * (verb - 1);
        if (InRange(pointer.cursorX, left, left + 32)) {
            if (interaction.currentVerb != verb || !pointer.LeftKey) RestartSlot(kVerbSound, 0, 0, 0);
            interaction.currentVerb = verb;
            pointer.LeftKey = 1;
            return true;
        }
    }
    return false;
}

// The game's notebook opens from the button right of the verbs.
bool PressOnNotebookButton() {
    if (!InRange(pointer.cursorY, 0, 32) || !InRange(pointer.cursorX, 128, 160)) return false;
    if (interaction.interfaceEnabled != 1 || !gameHooks.openNotebook || !gameHooks.openNotebook()) return false;
    pointer.LeftKey = 1;
    return true;
}

void ResolveRegions() {
    interaction.regionUnderPointer = kNone;
    for (int i = 0; i < kActionRegionCount; ++i) {
        const ActionRegion& r = interaction.actionRegions[i];
        if (r.scene != loop.currentScene || !r.enabled) continue;
        if (!InRange(pointer.cursorX, r.left, r.right) || !InRange(pointer.cursorY, r.top, r.bottom)) continue;
        interaction.regionUnderPointer = i;
        interaction.cursorPicture = r.cursor;
    }
}

void ResolveTools() {
    interaction.toolUnderPointer = kNone;
    const bool press = FreshLeftPress();
    for (int n = 0; n < kGameToolCount; ++n) {
        ToolRecord& t = interaction.ToolTable[n];
        if (t.scene != loop.currentScene || t.inInventory || !t.clickable) continue;
        if (!InRange(pointer.cursorX, t.x + t.offsetX, t.right) || !InRange(pointer.cursorY, t.y + t.offsetY, t.bottom)) continue;
        interaction.toolUnderPointer = n;
        if (interaction.heldTool != -1) {
            interaction.cursorPicture = kCursorUse;
            if (press) SayToolOnTarget(interaction.heldTool, n);
        } else if (t.firstLook) {
            interaction.cursorPicture = kCursorLook;
            if (press) {
                PlayResponse(t.lookLine);
                t.firstLook = 0;
            }
        } else {
            const int32_t line = VerbLine(t);
            interaction.cursorPicture = line != -1 ? VerbCursor() : kCursorArrow;
            if (press) PlayResponse(line);
        }
        const bool noLines = t.lookLine == -1 && t.useLine == -1 && t.talkLine == -1 && t.pickupLine == -1;
        if (noLines && interaction.heldTool == -1) interaction.cursorPicture = t.ownCursor;
    }
}

void ResolveActors() {
    interaction.actorUnderPointer = kNone;
    for (int i = 0; i < kClickableActors; ++i) {
        const ActorRecord& a = actorTable.actors[i];
        if (!a.inUse || !a.clickable) continue;
        if (!InRange(pointer.cursorX, a.screenRect[0], a.screenRect[2]) || !InRange(pointer.cursorY, a.screenRect[1], a.screenRect[3]))
            continue;
        interaction.actorUnderPointer = i;
        interaction.cursorPicture = kCursorTake;
    }
}

}  // namespace

bool LeftButtonDown() { return (pointer.mouseState.buttons[0] & 0x80) != 0; }
bool FreshLeftPress() { return LeftButtonDown() && !pointer.LeftKey; }

void OpenCloseUp(int scene) {
    const ActorRecord& hero = actorTable.actors[kHero];
    if (hero.inUse) SetRestoredHeroPlace(hero.position, hero.heading);
    interaction.SCENETOOLBAR = loop.currentScene;
    interaction.interfaceEnabled = 0;
    loop.currentScene = scene;
}

void ResolvePointer() {
    if (interaction.DRAWTOOLBAR) return;
    if (LeftButtonDown()) {
        if (PressOnVerbBar()) return;
        if (PressOnNotebookButton()) return;
    }
    ResolveRegions();
    ResolveTools();
    ResolveActors();
}

bool HeroHasArrived() { return !actorTable.actors[kHero].inUse || TurnToFinalHeading(kHero) != 0; }

void WalkToRegion() {
    if (interaction.regionUnderPointer < 0 || interaction.regionUnderPointer >= kActionRegionCount) return;
    const ActionRegion& r = interaction.actionRegions[interaction.regionUnderPointer];
    interaction.EXE = r.action;
    // The item on the pointer goes back into the toolbar, as a right click puts it: the
    // player hears it go.
    if (interaction.heldTool != -1) RestartSlot(kSoundDropItem, 0, 0, 0);
    interaction.heldTool = -1;
    pointer.LeftKey = 1;
    WalkTo(kHero, r.walkX, r.walkY, r.facing);
}

int32_t TakeArrivedAction() {
    int32_t arrived = 0;
    if (interaction.EXE && HeroHasArrived()) {
        if (interaction.heldTool == -1) arrived = interaction.EXE;
        interaction.EXE = 0;
    }
    return arrived;
}

void HandleClick() {
    if (FreshLeftPress()) {
        interaction.EXE = 0;
        if (interaction.regionUnderPointer >= 0 && interaction.regionUnderPointer < kClickableRegions) WalkToRegion();
    }
    if (FreshLeftPress() && interaction.EXE == 0) {
        pointer.LeftKey = 1;
        WalkTo(kHero, pointer.cursorX, pointer.cursorY, kNoFinalHeading);
    }
}

int32_t ClickSequence() {
    const int32_t arrived = TakeArrivedAction();
    HandleClick();
    return arrived;
}

void DrawPointer() {
    if (loop.playMode == 2) return;
    if (interaction.cursorPicture < 0 || interaction.cursorPicture >= kCursorPictureCount) return;
    AnimSlot& s = animation.animSlots[kCursorSlot + interaction.cursorPicture];
    if (interaction.cursorPicture == kCursorArrow) {
        s.x = static_cast<float>(pointer.cursorX);
        s.y = static_cast<float>(pointer.cursorY);
    } else {
        s.x = static_cast<float>(std::max(pointer.cursorX - 16, 0));
        s.y = static_cast<float>(std::max(pointer.cursorY - 16, 0));
    }
    DrawSlot(kCursorSlot + interaction.cursorPicture);
}

void DrawZoneNameUnderPointer() {
    if (interaction.cursorPicture == kCursorBack && interaction.regionUnderPointer >= 0 && interaction.regionUnderPointer < kActionRegionCount)
        DrawZoneName(interaction.actionRegions[interaction.regionUnderPointer].label);
}

}  // namespace tarvex
