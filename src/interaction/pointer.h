// The pointer over the scene: what lies under it (verb icons, the notebook button,
// action regions, tools, clickable actors), the cursor it shows, the lines a click
// speaks, and the common click handling of the scene scripts.
#pragma once
#include <cstdint>

namespace tarvex {

constexpr float kNoFinalHeading = 10.0f;
constexpr int kHero = 0;  // the hero is actor 0

// Whether the left button is down this frame, and down with the press not yet used.
bool LeftButtonDown();
bool FreshLeftPress();

// Once a frame from the scene's run function, after it set cursorPicture to the arrow.
void ResolvePointer();
// True once the hero stands at the end of his walk, turned; a scene without a hero (a
// close-up) has no walk to wait for.
bool HeroHasArrived();
// Sends the hero to the walk target of the region under the pointer, its action pending;
// an item held on the pointer goes back into the toolbar with the drop sound.
void WalkToRegion();
// The pending action the hero has just arrived for with no tool held (0 none); with a
// tool held the action is dropped. Before arrival it stays pending.
int32_t TakeArrivedAction();
// A fresh click cancels the pending action and walks the hero to the region under it
// (0..16) or to the pointer.
void HandleClick();
// The click handling that follows ResolvePointer in a run function: returns the pending
// action the hero has just arrived for with no tool held (0 none; with a tool held the
// action is dropped); a fresh click cancels the pending action and walks the hero to the
// region under it (0..16) or to the pointer.
int32_t ClickSequence();
// Leaves for a close-up view (or the notebook) that returns to this scene: the hero's
// place is kept for his return, the interface waits.
void OpenCloseUp(int scene);
// The cursor picture at the pointer (video frames show none).
void DrawPointer();
// Under the go-back cursor, the name of the place its region leads to.
void DrawZoneNameUnderPointer();

}  // namespace tarvex
