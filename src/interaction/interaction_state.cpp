#include "interaction/interaction_state.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "base/globals.h"
#include "interaction/structure.h"
#include "platform/surface.h"
#include "resources/game_file.h"
#include "resources/picture.h"
#include "text/dialogue.h"

namespace tarvex {

InteractionTables interaction;

namespace {

StructureFile structure;
bool structureReported = false;

int16_t Short(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

bool ValidRange(int& first, int& last) {
    first = std::max(first, 0);
    last = std::min(last, kToolCount - 1);
    return first <= last;
}

bool EndsWithTiff(const std::string& name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.size() >= 4 && (lower.ends_with(".tif") || lower.ends_with(".tiff"));
}

void ApplyTexts(ToolRecord& t, const ToolTexts& texts) {
    t.sectionOffset = texts.sectionOffset;
    t.firstLook = texts.firstLook;
    t.lookLine = texts.lookLine;
    t.useLine = texts.useLine;
    t.pickupLine = texts.pickupLine;
    t.lookInventoryLine = texts.lookInventoryLine;
    t.useInventoryLine = texts.useInventoryLine;
    t.talkLine = texts.talkLine;
    t.refusalLine = texts.refusalLine;
    // A cursor number that names no cursor picture is ignored.
    if (texts.haveCursor && texts.ownCursor >= 0 && texts.ownCursor < kCursorPictureCount)
        t.ownCursor = static_cast<uint8_t>(texts.ownCursor);
}

}  // namespace

bool ValidTool(int32_t tool) { return tool >= 0 && tool < kToolCount; }

void DefineRegion(int index, int left, int top, int right, int bottom, int cursor, int walkX, int walkY,
                  float facing, int action) {
    if (index < 0 || index >= kActionRegionCount) return;
    ActionRegion& r = interaction.actionRegions[index];
    r.scene = loop.currentScene;
    r.enabled = 1;
    r.left = left;
    r.top = top;
    r.right = right;
    r.bottom = bottom;
    r.cursor = cursor;
    r.label = 0;  // a name set for this index in an earlier scene does not carry over
    r.walkX = walkX;
    r.walkY = walkY;
    r.facing = facing;
    r.action = action;
}

void SetRegionLabel(int index, int label) {
    if (index < 0 || index >= kActionRegionCount) return;
    interaction.actionRegions[index].label = label;
}

void PlaceTool(int tool, int clickable, int left, int top, int right, int bottom) {
    if (!ValidTool(tool)) return;
    ToolRecord& t = interaction.ToolTable[tool];
    t.scene = loop.currentScene;
    t.clickable = static_cast<uint8_t>(clickable != 0);
    t.x = Short(left);
    t.y = Short(top);
    t.offsetX = t.offsetY = 0;
    t.right = Short(right);
    t.bottom = Short(bottom);
    t.width = Short(right - left);
    t.height = Short(bottom - top);
    t.drawn = 0;
}

void PlaceToolPicture(const char* file, int tool, int clickable, int drawn, int x, int y, int insetLeft,
                      int insetTop, int insetRight, int insetBottom) {
    if (!ValidTool(tool) || !file) return;
    ToolRecord& t = interaction.ToolTable[tool];
    std::snprintf(t.pictureName, sizeof t.pictureName, "%s", file);
    const std::string name = t.pictureName;
    const bool loaded = EndsWithTiff(name) ? LoadTiffSurface(t.scenePicture, name) : LoadBmpSurface(t.scenePicture, name);
    t.scene = loop.currentScene;
    t.x = Short(x);
    t.y = Short(y);
    if (!t.inInventory) {
        t.clickable = static_cast<uint8_t>(clickable != 0);
        t.drawn = static_cast<uint8_t>(drawn != 0);
    }
    if (loaded && t.scenePicture) {
        t.hasPicture = 1;
        t.offsetX = Short(insetLeft);
        t.offsetY = Short(insetTop);
        t.width = Short(t.scenePicture->width);
        t.height = Short(t.scenePicture->height);
        t.right = Short(x + t.scenePicture->width - insetRight);
        t.bottom = Short(y + t.scenePicture->height - insetBottom);
    }
}

void SetToolOwnership(int tool, int inInventory, int drawn) {
    if (!ValidTool(tool)) return;
    ToolRecord& t = interaction.ToolTable[tool];
    t.inInventory = static_cast<uint8_t>(inInventory != 0);
    t.drawn = static_cast<uint8_t>(drawn != 0);
    t.clickable = 0;
    interaction.heldTool = -1;
}

void HideToolRange(int first, int last) {
    if (!ValidRange(first, last)) return;
    for (int i = first; i <= last; ++i) interaction.ToolTable[i].drawn = interaction.ToolTable[i].clickable = 0;
}

void ShowToolRange(int first, int last) {
    if (!ValidRange(first, last)) return;
    for (int i = first; i <= last; ++i) interaction.ToolTable[i].clickable = 1;
}

void LoadToolTexts() {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile("texts/structure.txt", bytes)) {
        structure = StructureFile{};
        if (!structureReported) std::fprintf(stderr, "tarvex: no texts/structure.txt: tools have no lines\n");
        structureReported = true;
        return;
    }
    structure = ParseStructure(bytes.data(), bytes.size());
    for (int n = 0; n < kToolCount; ++n) ApplyTexts(interaction.ToolTable[n], structure.Texts(n));
}

void SayToolOnTarget(int held, int target) {
    if (!ValidTool(held) || !structure.present) return;
    const ToolRecord& h = interaction.ToolTable[held];
    PlayResponse(structure.Reaction(static_cast<uint32_t>(h.sectionOffset), target, h.refusalLine));
}

bool ApplyToolCombination(int held, int target) {
    if (!ValidTool(held) || !structure.present) return false;
    std::vector<StructureLine> changes;
    if (!structure.Combination(static_cast<uint32_t>(interaction.ToolTable[held].sectionOffset), target, changes)) return false;
    for (const StructureLine& c : changes) {
        pointer.LeftKey = 1;
        if (!ValidTool(c.value)) continue;
        if (c.key == StructureKey::AddTool) {
            interaction.ToolTable[c.value].inInventory = 1;
        } else {
            interaction.ToolTable[c.value].inInventory = 0;
            if (c.value == interaction.heldTool) interaction.heldTool = -1;
        }
    }
    return !changes.empty();
}

void ResetToolsForNewGame() {
    for (int n = 0; n < kToolCount; ++n) {
        ToolRecord& t = interaction.ToolTable[n];
        t.inInventory = 0;
        t.newItemTimer = 0;
        t.firstLook = structure.present ? structure.Texts(n).firstLook : t.lookLine != -1;
    }
    interaction.heldTool = -1;
}

void ResetSceneTools() {
    for (ToolRecord& t : interaction.ToolTable) {
        t.scene = -1;
        t.drawn = 0;
        t.clickable = 0;
        t.hasPicture = 0;
        ReleaseSurface(t.scenePicture);
    }
    for (ActionRegion& r : interaction.actionRegions) r.enabled = 0;
}

void ResetInteractionState() {
    for (ToolRecord& t : interaction.ToolTable) {
        ReleaseSurface(t.scenePicture);
        t = ToolRecord{};
    }
    for (ActionRegion& r : interaction.actionRegions) r = ActionRegion{};
    structure = StructureFile{};
    structureReported = false;
    interaction.currentVerb = kVerbLook;
    interaction.cursorPicture = kCursorArrow;
    interaction.heldTool = -1;
    pointer.LeftKey = 0;
    interaction.EXE = 0;
    interaction.toolUnderPointer = interaction.regionUnderPointer = interaction.actorUnderPointer = kNone;
    interaction.DRAWTOOLBAR = 0;
    interaction.interfaceEnabled = 1;
    interaction.SCENETOOLBAR = 0;
    interaction.scriptValue1 = interaction.scriptValue2 = 0;
}

}  // namespace tarvex
