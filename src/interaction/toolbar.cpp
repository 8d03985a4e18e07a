#include "interaction/toolbar.h"

#include "base/globals.h"
#include "interaction/game_hooks.h"
#include "interaction/interaction_state.h"
#include "interaction/pointer.h"
#include "media/sound.h"
#include "platform/display.h"
#include "render/frame_render.h"
#include "resources/anim_slot.h"
#include "resources/frame_sequence.h"
#include "text/dialogue.h"

namespace tarvex {

ToolbarTables toolbarTables;

namespace {

constexpr int kGridLeft = 75;
constexpr int kCellSize = 65;
constexpr int kColumns = 10;
constexpr float kToolbarSpeed = 24.0f;

int rightLatch = 0;

struct SlotPicture {
    const char* file;
    int slot;
    int x, y;
    int endRule;
};

const SlotPicture kInterfacePictures[] = {
    {"textures/signs/sight000.tga", 31, 0, 0, 0},
    {"textures/signs/mouth000.tga", 32, 32, 0, 0},
    {"textures/signs/hand000.tga", 33, 64, 0, 0},
    {"textures/signs/fing000.tga", 34, 96, 0, 0},
    {"textures/signs/notes000.tga", 35, 128, 0, 1},  // blinks (wraps) when a page is new
    {"textures/arrow/arr000.tga", 50, 0, 0, 0},
    {"textures/left/left000.bmp", 51, 0, 0, 0},
    {"textures/right/right000.bmp", 52, 0, 0, 0},
    {"textures/up/up000.bmp", 53, 0, 0, 0},
    {"textures/down/down000.bmp", 54, 0, 0, 0},
    {"textures/take/take000.bmp", 55, 0, 0, 0},
    {"textures/look/look000.bmp", 56, 0, 0, 0},
    {"textures/talk/rot000.bmp", 57, 0, 0, 0},
    {"textures/use/push000.bmp", 58, 0, 0, 0},
    {"textures/toolbar/t1000.tga", 100, 0, 600, 0},
    {"textures/toolbar/t2000.tga", 101, 256, 600, 0},
    {"textures/toolbar/t3000.tga", 102, 512, 600, 0},
    {"textures/toolbar/t4000.tga", 103, 768, 600, 0},
    {"textures/toolbar/pod000.tga", 104, 768, 344, 0},
    {"textures/toolbar/ic000.tga", 105, 768, 344, 0},
};

const char* const kInterfaceSounds[] = {"sound/global/view4.wav", "sound/global/dtool.wav", "sound/global/click.wav",
                                        "sound/global/down.wav",  "sound/global/up.wav",    "sound/global/toolbar.wav",
                                        "sound/global/view3.wav", "sound/global/view2.wav", "sound/global/tool.wav",
                                        "sound/global/view.wav",  "sound/global/view1.wav"};
constexpr int kFirstInterfaceSound = 52;

void Sound(int slot) { RestartSlot(slot, 0, 0, 0); }

// Frame 0 of an interface slot's texture, drawn at its own size.
void DrawSlotPicture(int slot, int x, int y, bool blend) {
    const AnimSlot& s = animation.animSlots[slot];
    if (!s.isTexture || !s.frames || s.frameCount < 1 || !s.frames[0]) return;
    const Texture& t = *static_cast<const Texture*>(s.frames[0]);
    DrawTexture(t, x, y, t.width, t.height, blend);
}

void DrawToolPicture(int tool, int x, int y) {
    const Texture* t = ValidTool(tool) ? interaction.ToolTable[tool].inventoryPicture : nullptr;
    if (t) DrawTexture(*t, x, y, t->width, t->height, true);
}

void SetPieceY(float y) {
    for (int i = 0; i < 4; ++i) animation.animSlots[kToolbarPieceSlot + i].y = y;
}

void MoveToolbar() {
    const float d = kToolbarSpeed * framePace.synch;
    float& pieceY = animation.animSlots[kToolbarPieceSlot].y;
    if (toolbarTables.STARTTOOLBAR == 1) {
        toolbarTables.toolbarGridTop -= d;
        for (int i = 0; i < 4; ++i) animation.animSlots[kToolbarPieceSlot + i].y -= d;
        if (pieceY <= 336.0f) {
            SetPieceY(kPieceYOpen);
            toolbarTables.toolbarGridTop = kGridTopOpen;
            toolbarTables.STARTTOOLBAR = 0;
        }
    } else if (toolbarTables.STARTTOOLBAR == 2) {
        toolbarTables.toolbarGridTop += d;
        for (int i = 0; i < 4; ++i) animation.animSlots[kToolbarPieceSlot + i].y += d;
        if (pieceY >= 600.0f) {
            SetPieceY(kPieceYClosed);
            toolbarTables.toolbarGridTop = kGridTopClosed;
            toolbarTables.STARTTOOLBAR = 0;
            interaction.DRAWTOOLBAR = 0;
        }
    }
}

int32_t HoverCursor(const ToolRecord& t) {
    switch (interaction.currentVerb) {
    case kVerbLook: return t.lookInventoryLine != 0 ? kCursorLook : kCursorArrow;
    case kVerbTake: return kCursorTake;
    case kVerbUse: return t.useInventoryLine != 0 ? kCursorUse : kCursorArrow;
    default: return kCursorArrow;
    }
}

// A fresh press on inventory tool n in the hovered cell.
void PressOnItem(int n) {
    ToolRecord& t = interaction.ToolTable[n];
    if (interaction.currentVerb == kVerbTake) {
        pointer.LeftKey = 1;
        interaction.heldTool = n;
        Sound(kSoundTakeItem);
    } else if (interaction.currentVerb == kVerbLook && interaction.heldTool == -1) {
        pointer.LeftKey = 1;
        const int scene = CloseUpOfTool(n);
        if (scene >= 0) OpenCloseUp(scene);
        PlayResponse(t.lookInventoryLine);
    } else if (interaction.currentVerb == kVerbUse && interaction.heldTool == -1) {
        pointer.LeftKey = 1;
        if (gameHooks.useInventoryTool) gameHooks.useInventoryTool(n);
        PlayResponse(t.useInventoryLine);
    } else if (interaction.currentVerb == kVerbUse) {
        const int held = interaction.heldTool;
        SayToolOnTarget(held, n);
        if (ApplyToolCombination(held, n)) Sound(kSoundCombine);
        pointer.LeftKey = 1;
    }
}

}  // namespace

int LoadInterface() {
    for (const SlotPicture& p : kInterfacePictures)
        LoadTextureSequence(p.file, p.slot, p.x, p.y, 1, 0.0f, 0, p.endRule, 0, 0.0f, -1, 1);
    for (int i = 0; i < static_cast<int>(std::size(kInterfaceSounds)); ++i)
        LoadSound(kInterfaceSounds[i], kFirstInterfaceSound + i);
    LoadToolIcons();
    for (int n = 0; n < kToolCount; ++n) interaction.ToolTable[n].inventoryPicture = animation.toolIcons[n];
    LoadToolTexts();
    ResetToolbar();
    return 0;
}

void ToolbarRightButton(bool allowed) {
    if (!(pointer.mouseState.buttons[1] & 0x80)) {
        rightLatch = 0;
        return;
    }
    if (rightLatch) return;
    rightLatch = 1;
    if (!allowed) return;
    if (interaction.DRAWTOOLBAR && toolbarTables.STARTTOOLBAR == 0) {
        toolbarTables.STARTTOOLBAR = 2;
        toolbarTables.toolbarGridTop = kGridTopOpen;
        Sound(kSoundToolbarClose);
    } else if (interaction.heldTool != -1) {
        interaction.heldTool = -1;
        Sound(kSoundDropItem);
    } else {
        interaction.DRAWTOOLBAR = 1;
        toolbarTables.STARTTOOLBAR = 1;
        toolbarTables.toolbarGridTop = kGridTopClosed;
        Sound(kSoundToolbarOpen);
    }
}

void ToolbarMotionAndFrame() {
    MoveToolbar();
    for (int i = 0; i < 4; ++i) DrawSlot(kToolbarPieceSlot + i);
    ToolbarFrame(toolbarTables.toolbarGridTop);
    // The verb bar still chooses the verb; opening the toolbar chooses take.
    if (LeftButtonDown() && pointer.cursorY > 0 && pointer.cursorY < 32) {
        for (int verb = kVerbLook; verb <= kVerbUse; ++verb) {
            const int left = 32 * (verb - 1);
            if (pointer.cursorX > left && pointer.cursorX < left + 32) {
                if (!pointer.LeftKey) Sound(kSoundVerb);
                interaction.currentVerb = verb;
                pointer.LeftKey = 1;
            }
        }
    }
    if (toolbarTables.STARTTOOLBAR == 1) interaction.currentVerb = kVerbTake;
}

void ToolbarFrame(float gridTop) {
    if (!LeftButtonDown()) pointer.LeftKey = 0;
    interaction.cursorPicture = kCursorArrow;
    int hoverColumn = -1, hoverRow = -1;
    if (interaction.DRAWTOOLBAR && toolbarTables.STARTTOOLBAR == 0 && pointer.cursorX > 74 && pointer.cursorX < 725 && pointer.cursorY > 460 && pointer.cursorY < 591) {
        hoverColumn = (pointer.cursorX - kGridLeft) / kCellSize;
        hoverRow = (pointer.cursorY - 461) / kCellSize;
        DrawSlotPicture(kToolbarHighlightSlot, kGridLeft + kCellSize * hoverColumn, 461 + kCellSize * hoverRow, false);
    }
    int c = 0, r = 0;
    for (int n = 0; n < kToolCount; ++n) {
        if (!interaction.ToolTable[n].inInventory) continue;
        DrawToolPicture(n, kGridLeft + kCellSize * c, static_cast<int>(gridTop) + kCellSize * r);
        if (c == hoverColumn && r == hoverRow) {
            interaction.cursorPicture = HoverCursor(interaction.ToolTable[n]);
            if (FreshLeftPress()) PressOnItem(n);
        }
        if (++c == kColumns) {
            c = 0;
            r = 1;
        }
    }
}

int CloseUpOfTool(int tool) { return gameHooks.closeUpOfTool ? gameHooks.closeUpOfTool(tool) : -1; }

void NewItemFrame() {
    for (int n = 0; n < kToolCount; ++n) {
        ToolRecord& t = interaction.ToolTable[n];
        if (!t.inInventory || t.newItemTimer >= 100.0f) continue;
        DrawSlotPicture(kItemFrameSlot, 8, 50, true);
        DrawToolPicture(n, 30, 75);
        t.newItemTimer += framePace.synch;
        return;
    }
}

void HeldItemFrame() {
    if (!ValidTool(interaction.heldTool)) return;
    DrawSlotPicture(kItemFrameSlot, 680, 0, true);
    DrawToolPicture(interaction.heldTool, 702, 25);
}

void CloseToolbarAtOnce() {
    SetPieceY(kPieceYClosed);
    toolbarTables.toolbarGridTop = kGridTopClosed;
    toolbarTables.STARTTOOLBAR = 0;
    interaction.DRAWTOOLBAR = 0;
}

void ResetToolbar() {
    CloseToolbarAtOnce();
    rightLatch = 0;
}

}  // namespace tarvex
