#include "scripts/scene_dispatch.h"

#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/pointer.h"
#include "model/actor.h"
#include "shell/globals.h"

namespace tarvex {

namespace {

void NoSceneFunction() {}

// A scene without a script of its own: its actors move and are drawn, the pointer
// shows what lies under it, and a click walks the hero; an action that the hero
// arrives for becomes the scene's state.
void DefaultRun() {
    RunActorPass();
    cursorPicture = kCursorArrow;
    ResolvePointer();
    if (const int32_t action = ClickSequence()) SetState(static_cast<uint32_t>(action));
}

SceneFunctions sceneTable[kSceneCount];
bool tableReady = false;

// The scenes' own scripts register here as they are written.
void BuildSceneTable() {
    for (SceneFunctions& f : sceneTable) f = {NoSceneFunction, NoSceneFunction, DefaultRun};
    tableReady = true;
}

const SceneFunctions* Current() {
    if (!tableReady) BuildSceneTable();
    if (currentScene < 0 || currentScene >= kSceneCount) return nullptr;
    return &sceneTable[currentScene];
}

}  // namespace

void InitScene() {
    if (const SceneFunctions* f = Current()) f->init();
}

void LoadScene() {
    if (const SceneFunctions* f = Current()) f->load();
}

void RunScene() {
    if (const SceneFunctions* f = Current()) f->run();
}

void SetSceneFunctions(int scene, SceneFunction init, SceneFunction load, SceneFunction run) {
    if (!tableReady) BuildSceneTable();
    if (scene < 0 || scene >= kSceneCount) return;
    if (init) sceneTable[scene].init = init;
    if (load) sceneTable[scene].load = load;
    if (run) sceneTable[scene].run = run;
}

void ResetSceneFunctions() { BuildSceneTable(); }

// The keyboard devices' entry, filled in with the device puzzles.
void TypedKey(int, int, const char*, const char*, int, int, const std::string&, int, int) {}
std::string DeviceExpectedText(int, int) { return {}; }

}  // namespace tarvex
