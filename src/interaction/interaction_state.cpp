#include "interaction/interaction_state.h"

#include "platform/display.h"
#include "platform/surface.h"

namespace tarvex {

int32_t currentVerb = 1;
int32_t cursorPicture = 0;
int32_t heldTool = -1;
int32_t LeftKey = 0;
int32_t EXE = 0;
int32_t toolUnderPointer = 65535;
int32_t regionUnderPointer = 65535;
int32_t actorUnderPointer = 65535;
int32_t DRAWTOOLBAR = 0;
int32_t interfaceEnabled = 1;
int32_t SCENETOOLBAR = 0;
int32_t scriptValue1 = 0, scriptValue2 = 0;

ToolRecord ToolTable[kToolCount];
ActionRegion actionRegions[kActionRegionCount];

void ResetSceneTools() {
    for (ToolRecord& t : ToolTable) {
        t.scene = -1;
        t.shownInScene = 0;
        t.visible = 0;
        t.clickable = 0;
        ReleaseSurface(t.sceneSurface);
    }
    for (ActionRegion& r : actionRegions) r.enabled = 0;
}

void ResetInteractionState() {
    for (ToolRecord& t : ToolTable) {
        ReleaseSurface(t.sceneSurface);
        t = ToolRecord{};
    }
    for (ActionRegion& r : actionRegions) r = ActionRegion{};
    currentVerb = 1;
    cursorPicture = 0;
    heldTool = -1;
    LeftKey = 0;
    EXE = 0;
    toolUnderPointer = regionUnderPointer = actorUnderPointer = 65535;
    DRAWTOOLBAR = 0;
    interfaceEnabled = 1;
    SCENETOOLBAR = 0;
    scriptValue1 = scriptValue2 = 0;
}

}  // namespace tarvex
