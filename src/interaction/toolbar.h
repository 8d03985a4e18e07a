// The inventory toolbar that slides up from the bottom of the screen on a right click,
// the item held on the pointer, the announcement of new items, and the loading of the
// interface pictures and sounds.
#pragma once
#include <cstdint>

namespace tarvex {

constexpr float kGridTopClosed = 717.0f, kGridTopOpen = 461.0f;

struct ToolbarTables {
    int32_t STARTTOOLBAR = 0;                // 0 still, 1 opening, 2 closing
    float toolbarGridTop = kGridTopClosed;   // y of the item grid's top row: 717 closed, 461 open
};
extern ToolbarTables toolbarTables;
constexpr float kPieceYClosed = 600.0f, kPieceYOpen = 344.0f;
constexpr int kToolbarPieceSlot = 100;  // 100..103
constexpr int kToolbarHighlightSlot = 104;
constexpr int kItemFrameSlot = 105;

// Interface sounds (slots 52..62).
constexpr int kSoundToolbarOpen = 56;   // "sound/global/up.wav"
constexpr int kSoundToolbarClose = 55;  // "sound/global/down.wav"
constexpr int kSoundTakeItem = 60;      // "sound/global/tool.wav"
constexpr int kSoundDropItem = 53;      // "sound/global/dtool.wav"
constexpr int kSoundCombine = 61;       // "sound/global/view.wav"
constexpr int kSoundVerb = 54;          // "sound/global/click.wav"

// Loads the interface pictures, sounds, tool icons and tool texts; non-zero on failure.
int LoadInterface();
// The right button's press edge: close the open toolbar, drop the held item, or open
// the toolbar. `allowed` is false while a video plays, the interface waits or a choice
// list is shown: the press is then used up without effect.
void ToolbarRightButton(bool allowed);
// While the toolbar is shown: its motion, its four pieces, the item grid and the verb bar.
void ToolbarMotionAndFrame();
// The item grid at gridTop and the pointer over it.
void ToolbarFrame(float gridTop);
// The close-up scene opened by looking at an inventory tool; -1 for none.
int CloseUpOfTool(int tool);
// The first new inventory item announced in the top-left corner.
void NewItemFrame();
// The item on the pointer, in the top-right corner.
void HeldItemFrame();
// Closes the toolbar at once (close-up views, saving).
void CloseToolbarAtOnce();

void ResetToolbar();

}  // namespace tarvex
