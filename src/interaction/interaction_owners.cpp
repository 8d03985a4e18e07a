#include "interaction/interaction_owners.h"

#include <iterator>
#include <cctype>
#include <string>

#include "base/json_writer.h"
#include "base/owner_names.h"
#include "interaction/game_state.h"
#include "interaction/hotspots.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "platform/surface.h"
#include "resources/frame_sequence.h"
#include "resources/picture.h"
#include "resources/save_sync.h"
#include "base/globals.h"

namespace tarvex {

namespace {

// Field lists: offset in the record's image, the field, its size. One list reads and writes.
template <typename T, typename F>
void ToolFields(T& t, F&& f) {
    f(0, &t.inInventory, 1);
    f(4, &t.scene, 4);
    f(8, &t.drawn, 1);
    f(10, &t.x, 2);
    f(12, &t.y, 2);
    f(14, &t.offsetX, 2);
    f(16, &t.offsetY, 2);
    f(18, &t.right, 2);
    f(20, &t.bottom, 2);
    f(22, &t.width, 2);
    f(24, &t.height, 2);
    f(26, &t.clickable, 1);
    f(27, &t.ownCursor, 1);
    f(28, &t.hasPicture, 1);
    f(29, t.pictureName, sizeof t.pictureName);
    // 160: the scene picture's address, which means nothing in a file.
    f(164, &t.firstLook, 1);
    f(168, &t.lookLine, 4);
    f(172, &t.useLine, 4);
    f(176, &t.pickupLine, 4);
    f(180, &t.lookInventoryLine, 4);
    f(184, &t.useInventoryLine, 4);
    f(188, &t.talkLine, 4);
    f(192, &t.refusalLine, 4);
    f(196, &t.sectionOffset, 4);
    // 200: the inventory picture's address.
    f(204, &t.newItemTimer, 4);
}
static_assert(29 + sizeof(ToolRecord::pictureName) <= 160 && 208 <= kToolRecordSize);
static_assert(kUnusedRowBytes <= kToolRecordSize);

template <typename T, typename F>
void RegionFields(T& r, F&& f) {
    f(0, &r.scene, 4);
    f(4, &r.left, 4);
    f(8, &r.top, 4);
    f(12, &r.right, 4);
    f(16, &r.bottom, 4);
    f(20, &r.enabled, 4);
    f(24, &r.cursor, 4);
    f(28, &r.label, 4);
    f(32, &r.walkX, 4);
    f(36, &r.walkY, 4);
    f(40, &r.action, 4);
    f(44, &r.facing, 4);
}
static_assert(sizeof(ActionRegion) == kRegionRecordSize);

auto toolFields = [](auto& t, auto&& f) { ToolFields(t, f); };
auto regionFields = [](auto& r, auto&& f) { RegionFields(r, f); };

// A tool record read into the running game. The texts of structure.txt are this game
// folder's, not the file's; the pictures are loaded again once the tables are in.
void TakeTool(int n, const ToolRecord& saved) {
    ToolRecord& t = interaction.ToolTable[n];
    const ToolRecord texts = t;
    ReleaseSurface(t.scenePicture);
    t = saved;
    t.scenePicture = nullptr;
    t.inventoryPicture = animation.toolIcons[n];
    t.lookLine = texts.lookLine;
    t.useLine = texts.useLine;
    t.pickupLine = texts.pickupLine;
    t.lookInventoryLine = texts.lookInventoryLine;
    t.useInventoryLine = texts.useInventoryLine;
    t.talkLine = texts.talkLine;
    t.refusalLine = texts.refusalLine;
    t.sectionOffset = texts.sectionOffset;
}

void SyncTools(SaveSync& s) {
    for (int n = 0; n < kToolCount; ++n) {
        ToolRecord t = s.Writing() ? interaction.ToolTable[n] : ToolRecord{};
        if (!s.Record(t, kToolRecordSize, toolFields, "the file ends inside the tools")) return;
        if (!s.Require(Terminated(t.pictureName, sizeof t.pictureName) && Finite(t.newItemTimer),
                       "a tool record the engine cannot read") ||
            !s.Require(InsideGame(t.pictureName), "a tool picture named outside the game folder"))
            return;
        if (s.Applying()) TakeTool(n, t);
    }
}

void SyncRegions(SaveSync& s) {
    for (ActionRegion& live : interaction.actionRegions) {
        ActionRegion r = live;
        if (!s.Record(r, kRegionRecordSize, regionFields, "the file ends inside the regions")) return;
        if (s.Applying()) live = r;
    }
}

// A row no reader uses: the start of tool record 0 again.
void SyncUnusedRow(SaveSync& s) {
    if (s.Reading()) return s.Skip(kUnusedRowBytes);
    uint8_t image[kToolRecordSize];
    WriteRecord(*std::begin(interaction.ToolTable), image, kToolRecordSize, toolFields);
    s.Bytes(image, kUnusedRowBytes);
}

void SyncToolsAndRegions(SaveSync& s, int row) {
    switch (row) {
    case 6: return s.RecordSize(kToolRecordSize, "tool records of another size (another version)");
    case 7: return SyncTools(s);
    case 10: return SyncRegions(s);
    case 27: s.Value(interaction.currentVerb); return;
    case 28: {
        const int32_t held = s.Value(interaction.heldTool);
        s.Require(held >= -1 && held < kToolCount, "a held tool outside the tool table");
        return;
    }
    case 42: return SyncUnusedRow(s);
    }
}

bool LoadPicture(Surface*& surface, const std::string& name) {
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.ends_with(".tif") || lower.ends_with(".tiff")) return LoadTiffSurface(surface, name);
    return LoadBmpSurface(surface, name);
}

void RebuildTools() {
    for (ToolRecord& t : interaction.ToolTable)
        if (t.hasPicture && !LoadPicture(t.scenePicture, t.pictureName)) t.hasPicture = 0;
}

void DumpTools(JsonWriter& json) {
    json.Key("tools").BeginArray();
    for (int n = 0; n < kToolCount; ++n) {
        const ToolRecord& t = interaction.ToolTable[n];
        if (t.scene != loop.currentScene || loop.currentScene < 0) continue;
        json.BeginObject()
            .Member("tool", n)
            .Member("x", t.x)
            .Member("y", t.y)
            .Member("right", t.right)
            .Member("bottom", t.bottom)
            .Member("clickable", t.clickable)
            .Member("drawn", t.drawn)
            .EndObject();
    }
    json.EndArray();
}

void DumpRegions(JsonWriter& json) {
    json.Key("regions").BeginArray();
    for (int i = 0; i < kActionRegionCount; ++i) {
        const ActionRegion& r = interaction.actionRegions[i];
        if (!r.enabled) continue;
        json.BeginObject()
            .Member("index", i)
            .Member("scene", r.scene)
            .Member("left", r.left)
            .Member("top", r.top)
            .Member("right", r.right)
            .Member("bottom", r.bottom)
            .Member("cursor", r.cursor);
        json.Key("walk").BeginArray().Int(r.walkX).Int(r.walkY).EndArray();
        json.Key("facing").Number(r.facing);
        json.Member("action", r.action).Member("label", r.label).EndObject();
    }
    json.EndArray();
}

// The state dump's part 0: the verb and what is under the pointer; 1: the press and
// the interface; 2: the inventory, the scene's tools, its regions and its hotspots.
void DumpToolsAndRegions(JsonWriter& json, int part) {
    if (part == 0) {
        json.Member("verb", interaction.currentVerb)
            .Member("cursorPicture", interaction.cursorPicture)
            .Member("heldTool", interaction.heldTool)
            .Member("toolUnderPointer", interaction.toolUnderPointer)
            .Member("regionUnderPointer", interaction.regionUnderPointer)
            .Member("actorUnderPointer", interaction.actorUnderPointer);
    } else if (part == 1) {
        json.Member("LeftKey", pointer.LeftKey).Member("interfaceEnabled", interaction.interfaceEnabled);
    } else {
        json.Key("inventory").BeginArray();
        for (int n = 0; n < kToolCount; ++n)
            if (interaction.ToolTable[n].inInventory) json.Int(n);
        json.EndArray();
        DumpTools(json);
        DumpRegions(json);
        // The centres the hints mark and the controller's jumps and pull reach.
        json.Key("hotspots").BeginArray();
        for (const Hotspot& h : SceneHotspots()) json.BeginArray().Int(h.x).Int(h.y).EndArray();
        json.EndArray();
    }
}

void PendingActionReset() {
    interaction.EXE = 0;
    interaction.scriptValue1 = interaction.scriptValue2 = 0;
}

void SyncPendingAction(SaveSync& s, int) { s.Value(interaction.EXE); }

void DumpPendingAction(JsonWriter& json, int) { json.Member("EXE", interaction.EXE); }

// Rows 4-5 hold scenes 0..511; the rest of the words start empty.
void SyncSceneWords(SaveSync& s, uint32_t* words) {
    for (int i = 0; i < kSavedSceneWords; ++i) s.Value(words[i]);
    if (s.Applying())
        for (int i = kSavedSceneWords; i < kSceneWords; ++i) words[i] = 0;
}

// The notebook entry words are values 2-4, 6, 7 and 10 of the twelve script values.
int NotebookEntryOfRow(int row) {
    switch (row) {
    case 18: return 0;
    case 19: return 1;
    case 20: return 2;
    case 22: return 3;
    case 23: return 4;
    default: return 5;
    }
}

void SyncGameProgress(SaveSync& s, int row) {
    if (row == 4) return SyncSceneWords(s, gameState.sceneState);
    if (row == 5) return SyncSceneWords(s, gameState.sceneFlags);
    s.Value(gameState.notebookEntries[NotebookEntryOfRow(row)]);
}

void DumpSceneWords(JsonWriter& json, const char* name, const uint32_t* words) {
    json.Key(name).BeginObject();
    for (int i = 0; i < kSceneWords; ++i)
        if (words[i]) json.Member(std::to_string(i), words[i]);
    json.EndObject();
}

void DumpGameProgress(JsonWriter& json, int) {
    DumpSceneWords(json, "sceneState", gameState.sceneState);
    DumpSceneWords(json, "sceneFlags", gameState.sceneFlags);
}

// Saved closed: a file that says open has no toolbar motion to go on with.
void SyncToolbar(SaveSync& s, int) {
    int32_t open = interaction.DRAWTOOLBAR;
    s.Sync(open);
    if (s.Applying()) CloseToolbarAtOnce();
}

void DumpToolbar(JsonWriter& json, int) {
    json.Member("SCENETOOLBAR", interaction.SCENETOOLBAR)
        .Member("DRAWTOOLBAR", interaction.DRAWTOOLBAR)
        .Member("STARTTOOLBAR", toolbarTables.STARTTOOLBAR)
        .Key("toolbarGridTop")
        .Number(toolbarTables.toolbarGridTop);
}

// The tables as the workbench shows them.
#define TOOL(f) interaction.ToolTable[row].f
constexpr TableField kToolFields[] = {
    TARVEX_TABLE_FIELD("inInventory", TOOL(inInventory), 0, 1),
    TARVEX_TABLE_FIELD("scene", TOOL(scene), -1, kSceneWords - 1),
    TARVEX_TABLE_FIELD("drawn", TOOL(drawn), 0, 1),
    TARVEX_TABLE_FIELD("x", TOOL(x), -32768, 32767),
    TARVEX_TABLE_FIELD("y", TOOL(y), -32768, 32767),
    TARVEX_TABLE_FIELD("offsetX", TOOL(offsetX), -32768, 32767),
    TARVEX_TABLE_FIELD("offsetY", TOOL(offsetY), -32768, 32767),
    TARVEX_TABLE_FIELD("right", TOOL(right), -32768, 32767),
    TARVEX_TABLE_FIELD("bottom", TOOL(bottom), -32768, 32767),
    TARVEX_TABLE_FIELD("clickable", TOOL(clickable), 0, 1),
    TARVEX_TABLE_FIELD("lookLine", TOOL(lookLine), -1, INT32_MAX),
    TARVEX_TABLE_FIELD("useLine", TOOL(useLine), -1, INT32_MAX),
    TARVEX_TABLE_FIELD("pickupLine", TOOL(pickupLine), -1, INT32_MAX),
    TARVEX_TABLE_FIELD("talkLine", TOOL(talkLine), -1, INT32_MAX),
};
#undef TOOL
#define REGION(f) interaction.actionRegions[row].f
constexpr TableField kRegionFields[] = {
    TARVEX_TABLE_FIELD("scene", REGION(scene), -1, kSceneWords - 1),
    TARVEX_TABLE_FIELD("left", REGION(left), -32768, 32767),
    TARVEX_TABLE_FIELD("top", REGION(top), -32768, 32767),
    TARVEX_TABLE_FIELD("right", REGION(right), -32768, 32767),
    TARVEX_TABLE_FIELD("bottom", REGION(bottom), -32768, 32767),
    TARVEX_TABLE_FIELD("enabled", REGION(enabled), 0, 1),
    TARVEX_TABLE_FIELD("cursor", REGION(cursor), 0, kCursorPictureCount - 1),
    TARVEX_TABLE_FIELD("label", REGION(label), 0, INT32_MAX),
    TARVEX_TABLE_FIELD("walkX", REGION(walkX), 0, 799),
    TARVEX_TABLE_FIELD("walkY", REGION(walkY), 0, 599),
    TARVEX_TABLE_FIELD("action", REGION(action), INT32_MIN, INT32_MAX),
    TARVEX_TABLE_FIELD("facing", REGION(facing), -1e6, 1e6),
};
#undef REGION
constexpr TableField kSceneFields[] = {
    TARVEX_TABLE_FIELD("state", gameState.sceneState[row], 0, UINT32_MAX),
    TARVEX_TABLE_FIELD("flags", gameState.sceneFlags[row], 0, UINT32_MAX),
};
const TableView kToolViews[] = {
    {"tools", kToolCount, [](int row) {
         const ToolRecord& t = interaction.ToolTable[row];
         return t.inInventory != 0 || (t.scene >= 0 && t.scene == loop.currentScene);
     }, kToolFields,
     [](int row) -> const char* { return interaction.ToolTable[row].pictureName; }},
    {"regions", kActionRegionCount, [](int row) { return interaction.actionRegions[row].enabled != 0; },
     kRegionFields},
};
const TableView kProgressViews[] = {
    {"scenes", kSceneWords,
     [](int row) { return gameState.sceneState[row] != 0 || gameState.sceneFlags[row] != 0; }, kSceneFields},
};

}  // namespace

const Owner& ToolsAndRegionsOwner() {
    static const Owner owner{owner_name::kTools, ResetInteractionState, ResetToolsForNewGame,
                             ResetSceneTools, SyncToolsAndRegions, RebuildTools, DumpToolsAndRegions, kToolViews};
    return owner;
}

const Owner& PendingActionOwner() {
    static const Owner owner{owner_name::kPendingAction, PendingActionReset, PendingActionReset,
                             PendingActionReset, SyncPendingAction, nullptr, DumpPendingAction};
    return owner;
}

const Owner& GameProgressOwner() {
    static const Owner owner{owner_name::kProgress, ResetGameState, ResetGameState, nullptr, SyncGameProgress,
                             nullptr, DumpGameProgress, kProgressViews};
    return owner;
}

const Owner& ToolbarOwner() {
    static const Owner owner{owner_name::kToolbar, ResetToolbar, CloseToolbarAtOnce, nullptr, SyncToolbar, nullptr,
                             DumpToolbar};
    return owner;
}

}  // namespace tarvex
