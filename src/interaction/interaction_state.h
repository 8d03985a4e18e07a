// Verbs, cursors, tools and action regions: the tables the pointer resolution, the
// toolbar and the scene scripts share, and the services scripts place them with.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tarvex {

struct Surface;
struct Texture;

// Verbs, selected with the four icons of the verb bar.
constexpr int32_t kVerbLook = 1, kVerbTalk = 2, kVerbTake = 3, kVerbUse = 4;

// Cursor pictures; picture k is drawn from interface slot 50 + k.
constexpr int32_t kCursorArrow = 0, kCursorLeft = 1, kCursorRight = 2, kCursorForward = 3, kCursorBack = 4,
                  kCursorTake = 5, kCursorLook = 6, kCursorTalk = 7, kCursorUse = 8;
constexpr int32_t kCursorPictureCount = 9;
constexpr int kCursorSlot = 50;

constexpr int32_t kNone = 65535;  // no tool, region or actor under the pointer

struct ToolRecord {
    uint8_t inInventory = 0;
    int32_t scene = -1;           // scene the tool lies in as a hotspot; -1 none
    uint8_t drawn = 0;            // its scene picture is drawn
    int16_t x = 0, y = 0;
    int16_t offsetX = 0, offsetY = 0;  // insets giving the hit rectangle's left and top
    int16_t right = 0, bottom = 0;     // exclusive edges of the hit rectangle
    int16_t width = 0, height = 0;
    uint8_t clickable = 0;
    uint8_t ownCursor = 0;        // cursor of a tool without LOOK, USE, TALK and PICKUP lines
    uint8_t hasPicture = 0;
    char pictureName[130] = {};
    Surface* scenePicture = nullptr;  // owned; released at every scene change
    uint8_t firstLook = 0;        // the one-time look is still due
    int32_t lookLine = -1;
    int32_t useLine = -1;
    int32_t pickupLine = -1;
    int32_t lookInventoryLine = -1;
    int32_t useInventoryLine = -1;
    int32_t talkLine = -1;
    int32_t refusalLine = -1;
    int32_t sectionOffset = 0;    // just after the tool's "TOOL n" line in structure.txt
    Texture* inventoryPicture = nullptr;  // the tool's icon (shared with the icon table)
    float newItemTimer = 0;       // how long the tool has been announced as new
};
constexpr int kToolCount = 1024;
constexpr int kGameToolCount = 1000;  // 1000..1023 are the main menu's buttons

struct ActionRegion {
    int32_t scene = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t enabled = 0;
    int32_t cursor = 0;
    int32_t label = 0;     // zone name shown under the go-back cursor
    int32_t walkX = 0, walkY = 0;
    int32_t action = 0;
    float facing = 0;      // 2 pi or more: keep the walking direction
};
static_assert(sizeof(ActionRegion) == 48, "an action region is 48 bytes");
constexpr int kActionRegionCount = 64;
// Only regions below this react to clicks; the others only show their cursor.
constexpr int kClickableRegions = 17;

// The interaction's tables: the verb, the cursor, the held tool, the press and the pending
// action, what lies under the pointer, the tools and the scene's action regions.
struct InteractionTables {
    int32_t currentVerb = kVerbLook;  // kVerbLook .. kVerbUse
    int32_t cursorPicture = kCursorArrow;
    int32_t heldTool = -1;          // -1 none
    int32_t EXE = 0;                // action to carry out when the hero arrives; 0 none
    int32_t toolUnderPointer = kNone;  // kNone when none
    int32_t regionUnderPointer = kNone;
    int32_t actorUnderPointer = kNone;
    int32_t DRAWTOOLBAR = 0;
    int32_t interfaceEnabled = 1;
    int32_t SCENETOOLBAR = 0;       // the scene a close-up or the notebook returns to
    int32_t scriptValue1 = 0, scriptValue2 = 0;  // cleared with EXE at every scene reset
    ToolRecord ToolTable[kToolCount];
    ActionRegion actionRegions[kActionRegionCount];
};
extern InteractionTables interaction;

bool ValidTool(int32_t tool);

// Defines region `index` of the current scene, enabled, without a zone name (label 0).
void DefineRegion(int index, int left, int top, int right, int bottom, int cursor, int walkX, int walkY,
                  float facing, int action);
// The zone name ("data/zones.txt" line `label`) written under the pointer while the go-back
// cursor shows over region `index`. Set after DefineRegion, which clears it.
void SetRegionLabel(int index, int label);
void PlaceTool(int tool, int clickable, int left, int top, int right, int bottom);
void PlaceToolPicture(const char* file, int tool, int clickable, int drawn, int x, int y, int insetLeft,
                      int insetTop, int insetRight, int insetBottom);
void SetToolOwnership(int tool, int inInventory, int drawn);
void HideToolRange(int first, int last);
void ShowToolRange(int first, int last);

// Reads "texts/structure.txt" into every tool's text fields (a missing file leaves them
// as they were and is reported once).
void LoadToolTexts();
// Speaks held tool h's reaction to scene tool t (its OTBOY line when it has none).
void SayToolOnTarget(int held, int target);
// Carries out held tool h's combination with inventory tool t; true when it had one.
bool ApplyToolCombination(int held, int target);
// A new game: the inventory empty, every first look due again, nothing announced.
void ResetToolsForNewGame();

void ResetInteractionState();
// The scene reset's part: tools leave the scene (inventory kept), regions disabled.
void ResetSceneTools();

}  // namespace tarvex
