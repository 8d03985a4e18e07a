// Verb, cursor and tool state shared by the frame, the scripts and the toolbar.
#pragma once
#include <cstdint>

namespace tarvex {

struct Surface;

extern int32_t currentVerb;       // 1 look, 2 talk, 3 take, 4 use
extern int32_t cursorPicture;
extern int32_t heldTool;          // -1 none
extern int32_t LeftKey;
extern int32_t EXE;
extern int32_t toolUnderPointer;  // 65535 none
extern int32_t regionUnderPointer;
extern int32_t actorUnderPointer;
extern int32_t DRAWTOOLBAR;
extern int32_t interfaceEnabled;
extern int32_t SCENETOOLBAR;
extern int32_t scriptValue1, scriptValue2;  // cleared with EXE at every scene reset

struct ToolRecord {
    int32_t scene = -1;           // scene the tool is placed in, -1 none
    uint8_t shownInScene = 0;
    uint8_t visible = 0;
    uint8_t clickable = 0;
    uint8_t inInventory = 0;
    Surface* sceneSurface = nullptr;
    int16_t x = 0, y = 0;
};
constexpr int kToolCount = 1024;
extern ToolRecord ToolTable[kToolCount];

struct ActionRegion {
    int32_t enabled = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t nameNumber = 0;
};
constexpr int kActionRegionCount = 64;
extern ActionRegion actionRegions[kActionRegionCount];

void ResetInteractionState();
// The scene reset's part: tools leave the scene (inventory kept), regions disabled.
void ResetSceneTools();

}  // namespace tarvex
