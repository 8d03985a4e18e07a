// Scene 250, the hero's notebook: a close-up of up to twelve pages, leafed with two
// buttons (tool 501 back, tool 502 forward, with the use cursor). Pages 1..3 are always
// there; scripts write the others (WriteNotebookPage), which sets the page's flag in
// scene 250 and its unread mark; reading the page clears the mark. The way out returns
// to the scene the notebook was opened from and gives the interface back.
#include "scripts/notebook.h"
#include "scripts/scenes.h"
#include "scripts/script_api.h"

namespace tarvex {


namespace {

constexpr int kBackTool = 501, kForwardTool = 502;
constexpr int kLastScene = 298;
constexpr int kNotebookIconSlot = 35;
constexpr float kNotebookBlinkSeconds = 3.0f;
constexpr float kNotebookBlinkSpeed = 0.75f;
// Flags of the notebook scene that mark pages 3..6 unread.
constexpr uint32_t kUnreadPageFlags = 0x100 | 0x200 | 0x400 | 0x800;
// Flags a scene's own devices keep only while the player stays in it.
constexpr uint32_t kScene236LeaveFlags = 0x1 | 0x2 | 0x4 | 0x8 | 0x40 | 0x400 | 0x10000;
constexpr uint32_t kScene252LeaveFlags = 0x3F | 0x700 | 0xF000 | 0xFFE0000;

// Pending actions and the states they become.
enum : int32_t { kLeave = 1, kPendingBack = 2, kPendingForward = 3 };
enum : uint32_t { kIdle = 0, kTurnBack = 1, kTurnForward = 2 };

// Page p lives in animation slot p - 1.
struct Page {
    const char* file;
    int x, y;
    uint32_t existsFlag;  // 0: always there
    uint32_t unreadFlag;  // a flag of scene 250, or 0
    int entryWord;        // a notebook-entry word, or -1
};
constexpr Page kPages[kNotebookPages] = {
    {"animgfx/scene250/b000.Tif", 150, 100, 0, 0, -1},
    {"animgfx/scene250/k000.Tif", 150, 100, 0, 0, -1},
    {"animgfx/scene250/m000.Tif", 150, 100, 0, 0x800, -1},
    {"animgfx/scene250/g000.Tif", 150, 100, 0x1, 0x400, -1},
    {"animgfx/scene250/s000.Tif", 150, 100, 0x2, 0x200, -1},
    {"animgfx/scene250/t000.Tif", 150, 100, 0x4, 0x100, -1},
    {"animgfx/scene250/r000.Tif", 157, 105, 0x1000, 0, 0},
    {"animgfx/scene250/f000.Tif", 157, 105, 0x2000, 0, 1},
    {"animgfx/scene250/c000.Tif", 157, 105, 0x4000, 0, 2},
    {"animgfx/scene250/d000.Tif", 157, 105, 0x8000, 0, 3},
    {"animgfx/scene250/sh000.Tif", 157, 105, 0x10000, 0, 4},
    // The last page reuses the first page's picture in a slot of its own.
    {"animgfx/scene250/b000.Tif", 157, 105, 0x20000, 0, 5},
};

bool ValidPage(int page) { return page >= 1 && page <= kNotebookPages; }

void ShowPage(int page) {
    for (int p = 1; p <= kNotebookPages; ++p) animation.animSlots[p - 1].mode = p == page ? 1 : 0;
    scriptValues.NotepadPosition = page;
}

void TurnForward() {
    const int from = scriptValues.NotepadPosition;
    int to = from;
    if (from < 3) {
        to = from + 1;
    } else {
        for (int p = from + 1; p <= kNotebookPages; ++p)
            if (NotebookPageExists(p)) {
                to = p;
                break;
            }
    }
    if (to == from) return;  // the last page written
    ShowPage(to);
    ClearNotebookUnread(to);
}

void TurnBack() {
    for (int p = scriptValues.NotepadPosition - 1; p >= 1; --p)
        if (NotebookPageExists(p)) {
            ShowPage(p);
            return;
        }
}

// The scene the notebook was opened from: the one left for it, or the one the opening
// remembered when the notebook was entered some other way (a restored game).
int ReturnScene() {
    auto usable = [](int scene) { return scene >= 0 && scene <= kLastScene && scene != kNotebookScene; };
    if (usable(sceneSwitch.previousScene)) return sceneSwitch.previousScene;
    if (usable(interaction.SCENETOOLBAR)) return interaction.SCENETOOLBAR;
    return 0;
}

}  // namespace

bool NotebookPageExists(int page) {
    if (!ValidPage(page)) return false;
    const uint32_t flag = kPages[page - 1].existsFlag;
    return flag == 0 || TestFlagsOf(kNotebookScene, flag) != 0;
}

bool NotebookPageUnread(int page) {
    if (!ValidPage(page)) return false;
    const Page& p = kPages[page - 1];
    if (p.entryWord >= 0) return gameState.notebookEntries[p.entryWord] != 0;
    return p.unreadFlag != 0 && TestFlagsOf(kNotebookScene, p.unreadFlag) != 0;
}

void ClearNotebookUnread(int page) {
    if (!ValidPage(page)) return;
    const Page& p = kPages[page - 1];
    if (p.entryWord >= 0)
        gameState.notebookEntries[p.entryWord] = 0;
    else if (p.unreadFlag)
        ClearFlagsOf(kNotebookScene, p.unreadFlag);
}

namespace {

bool Sequence(uint32_t state) {
    if (!ValidPage(scriptValues.NotepadPosition)) ShowPage(1);
    switch (state) {
    case kTurnBack:
        TurnBack();
        SetState(kIdle);
        return true;
    case kTurnForward:
        TurnForward();
        SetState(kIdle);
        return true;
    default: return false;
    }
}

bool Arrived(int32_t action) {
    switch (action) {
    case kLeave:
        RequestScene(ReturnScene());
        interaction.interfaceEnabled = 1;
        break;
    case kPendingBack: SetState(kTurnBack); break;
    case kPendingForward: SetState(kTurnForward); break;
    default: break;
    }
    return false;
}

// The page buttons answer the use cursor only.
void PressOnButtons() {
    if (interaction.heldTool != -1 || interaction.cursorPicture != kCursorUse) return;
    if (interaction.toolUnderPointer == kBackTool) {
        interaction.EXE = kPendingBack;
        pointer.LeftKey = 1;
    } else if (interaction.toolUnderPointer == kForwardTool) {
        interaction.EXE = kPendingForward;
        pointer.LeftKey = 1;
    }
}

constexpr RoomTool kTools[] = {{kBackTool, 44, 340, 107, 393}, {kForwardTool, 43, 423, 108, 477}};
constexpr RoomShadow kShadow{Vec3{0, 254, 0}, 50.0f, 0x30000000};
constexpr Room kRoom{.kind = RoomKind::CloseUp,
                     .regions = std::span(&kWayBackRegion, 1),
                     .tools = kTools,
                     .shadow = &kShadow,
                     .sequence = Sequence,
                     .arrived = Arrived,
                     .pressed = PressOnButtons};

}  // namespace

void Scene250Init() {
    scriptValues.NotepadPosition = 1;
    InitRoom(kRoom);
}

void Scene250Load() {
    LoadRoom(kRoom);
    for (int p = 1; p <= kNotebookPages; ++p) {
        const Page& page = kPages[p - 1];
        LoadFrameSequence(page.file, p - 1, page.x, page.y, p == 1 ? 1 : 0, 0.0f, 0, 0, 0, 0.3f, -1, 0);
    }
}

void Scene250Run() { RunRoom(kRoom); }

void WriteNotebookPage(int page) {
    if (page < 3 || page > 12) return;
    static const uint32_t kExists[13] = {0, 0, 0, 0, 0x1, 0x2, 0x4, 0x1000, 0x2000, 0x4000, 0x8000, 0x10000, 0x20000};
    static const uint32_t kUnread[7] = {0, 0, 0, 0x800, 0x400, 0x200, 0x100};
    SetFlagsOf(kNotebookScene, kExists[page]);
    if (page <= 6)
        SetFlagsOf(kNotebookScene, kUnread[page]);
    else
        gameState.notebookEntries[page - 7] = 1;
    gameState.notebookNewEntry = 1;
    gameState.notebookNewEntryTime = ScriptSeconds();
}

bool NotebookIconFrame() {
    if (!interaction.ToolTable[kNotebookTool].inInventory) return false;
    AnimSlot& icon = animation.animSlots[kNotebookIconSlot];
    if (gameState.notebookNewEntry) {
        if (ScriptSeconds() - gameState.notebookNewEntryTime < kNotebookBlinkSeconds) {
            icon.speed = kNotebookBlinkSpeed;
            icon.endRule = 1;
            return true;
        }
        gameState.notebookNewEntry = 0;
        icon.speed = 0;
        icon.currentFrame = 1.0f;
        return true;
    }
    bool unread = TestFlagsOf(kNotebookScene, kUnreadPageFlags) != 0;
    for (uint32_t word : gameState.notebookEntries) unread = unread || word != 0;
    icon.speed = 0;
    icon.currentFrame = unread ? 1.0f : 0.0f;
    return true;
}

bool OpenNotebook() {
    if (!interaction.ToolTable[kNotebookTool].inInventory) return false;
    if (loop.currentScene == 236) ClearFlagsOf(236, kScene236LeaveFlags);
    if (loop.currentScene == 252) ClearFlagsOf(252, kScene252LeaveFlags);
    SetState(0);
    loop.MainSost = 0;
    OpenCloseUp(kNotebookScene);
    return true;
}

}  // namespace tarvex
