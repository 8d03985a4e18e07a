#include "menu/game_tables.h"

#include <iterator>

#include "base/globals.h"
#include "base/mouse.h"
#include "base/scene_request.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "media/sound.h"
#include "menu/menu.h"
#include "menu/saved_games.h"
#include "model/actor.h"
#include "platform/input.h"
#include "platform/timers.h"
#include "render/frame_render.h"
#include "render/particles.h"
#include "resources/anim_slot.h"
#include "scene/scene_load.h"
#include "scripts/devices.h"
#include "scripts/game_content.h"
#include "scripts/lua_scene.h"
#include "scripts/scene_dispatch.h"
#include "text/dialogue.h"
#include "text/notice.h"
#include "text/text_table.h"

namespace tarvex {

namespace {

void FrameValuesForScene() {
    fogEnabled = false;
    frameRateCap = 32.0f;
}

void FrameValuesForPlay() {
    playMode = 0;
    backgroundValid = 1;
}

void MainStateForNewGame() {
    MainSost = 0;
    MainFlags = 0;
}

void PendingActionForScene() {
    EXE = 0;
    scriptValue1 = scriptValue2 = 0;
}

void SoundsForScene() {
    StopAllSlots();
    ResetSceneSounds();
}

void SlotsForScene() {
    ResetSceneSlots();
    postedEndEvent = -1;
}

void SceneObjectsForScene() {
    ResetSceneObjects();
    ResetParticles();
}

void DialogueAtStart() {
    ResetDialogue();
    ResetTextTables();
}

void DialogueForNewGame() {
    voiceMode = 0;
    subtitleLength = 0;
    subtitleTimer = 0;
    choiceActive = 0;
    choiceSelected = -1;
}

void DialogueForScene() { subtitleLength = 0; }

void FadeForScene() { fadeState = 1; }

void ScriptsForNewGame() {
    ResetScriptState();
    ResetDevices();
}

void ScriptsAtStart() {
    RegisterGameContent();
    ResetScriptState();
    ResetSceneFunctions();
    StartDevices();
}

void MenuAtStart() {
    ResetMenu();
    SetEndOfGameMenu(EnterMenuFromGame);
}

void InputAtStart() {
    ResetInput();
    ResetMouse();
    KillAllWindowTimers();
}

// The order is the scene reset's: the frame's scene values, tools and regions, sound
// slots, animation slots, scene objects, actors, the pending action, the fade, the
// subtitle, then the frame's play values.
const GameTable kTables[] = {
    {"frame values of the scene", nullptr, nullptr, FrameValuesForScene,
     "rows 34 (frame rate cap), 39 (fog on), 40-41 (fog range)"},
    {"rendering values", ResetSceneRendering, nullptr, ResetSceneRendering,
     "rows 35-38 (camera, shadow length and colour, fog colour)"},
    {"tools and action regions", ResetInteractionState, ResetToolsForNewGame, ResetSceneTools,
     "rows 6-7 (tool records), 10 (regions), 27 (verb), 28 (held tool)"},
    {"sound slots", ResetSound, nullptr, SoundsForScene, "rows 11-12 (sound slots, playing sounds resumed)"},
    {"animation slots", ResetAnimSlots, nullptr, SlotsForScene, "rows 13-14 (slots, reloaded), 16 (end event)"},
    {"scene objects: lights, mirror, particle systems", nullptr, nullptr, SceneObjectsForScene,
     "rebuilt from the scene's files; rows 48-49 keep the emitters' on/off bytes"},
    {"actors", ResetActors, nullptr, ResetActors, "rows 46-47 (actors 0..15; the scene's init makes the rest)"},
    {"pending action and script values", PendingActionForScene, PendingActionForScene, PendingActionForScene,
     "row 24 (pending action); the other values are the frame's own"},
    {"scene switch and fades", ResetSceneSwitch, nullptr, FadeForScene,
     "rows 3 (scene), 15 (previous scene), 29-30 (fade, gamma)"},
    {"dialogue", DialogueAtStart, DialogueForNewGame, DialogueForScene,
     "rows 32 (voice folder), 43-45 (subtitle), 50-52 (choice list)"},
    {"frame play values", nullptr, nullptr, FrameValuesForPlay, "row 33 (play mode)"},
    {"main state", ResetShellGlobals, MainStateForNewGame, nullptr, "rows 8-9 (main state and flags), 31 (music)"},
    {"game progress: scene states and flags, notebook entries", ResetGameState, ResetGameState, nullptr,
     "rows 4-5 (scenes 0..511), 18-20, 22-23 and 26 (notebook entry words), 25 (notebook page)"},
    {"toolbar", ResetToolbar, CloseToolbarAtOnce, nullptr, "row 21 (saved closed)"},
    {"scene scripts and devices", ScriptsAtStart, ScriptsForNewGame, nullptr,
     "row 17 (sequence step); the rest is rebuilt by the scene's init"},
    {"saved games list", ResetSavedGames, nullptr, nullptr, "not saved: read from the saves folder"},
    {"main menu", MenuAtStart, nullptr, nullptr, "not saved: the menu is built again whenever it opens"},
    {"notices", ResetNotice, nullptr, nullptr, "not saved: messages of the moment"},
    {"input and window timers", InputAtStart, nullptr, nullptr, "not saved: the devices' own state"},
};

}  // namespace

const GameTable* GameTables(int& count) {
    count = static_cast<int>(std::size(kTables));
    return kTables;
}

void ResetAllTables() {
    for (const GameTable& t : kTables)
        if (t.startUp) t.startUp();
}

void ResetTablesForNewGame() {
    for (const GameTable& t : kTables)
        if (t.newGame) t.newGame();
}

void ResetTablesForSceneSwitch() {
    for (const GameTable& t : kTables)
        if (t.sceneSwitch) t.sceneSwitch();
}

}  // namespace tarvex
