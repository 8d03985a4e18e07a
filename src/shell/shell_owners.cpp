#include "shell/shell_owners.h"

#include "base/mouse.h"

#include "base/json_writer.h"
#include "base/owner_names.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/timers.h"
#include "resources/save_sync.h"
#include "scripts/scene_dispatch.h"
#include "base/globals.h"
#include "shell/scene_switch.h"
#include "shell/window_proc.h"

namespace tarvex {

namespace {

void FrameValuesForScene() {
    fog.fogEnabled = false;
    framePace.frameRateCap = 32.0f;
}

// Rows 34: the frame rate cap; 38: the fog colour; 39: fog on; 40-41: the fog's range.
void SyncFrameValues(SaveSync& s, int row) {
    switch (row) {
    case 34: s.Require(Finite(s.Value(framePace.frameRateCap)), "a value that is not a number"); return;
    case 38: s.Value(fog.fogColour); return;
    case 39: {
        int32_t on = fog.fogEnabled ? 1 : 0;
        s.Sync(on);
        if (s.Applying()) fog.fogEnabled = on != 0;
        return;
    }
    case 40: s.Require(Finite(s.Value(fog.fogStart)), "a value that is not a number"); return;
    case 41: s.Require(Finite(s.Value(fog.fogEnd)), "a value that is not a number"); return;
    }
}

void FadeForScene() { sceneSwitch.fadeState = 1; }

bool GameScene(int32_t scene) { return scene >= 0 && scene < kSceneCount; }

// Rows 3: the scene; 15: the previous scene; 29: the fade (a fade out has no scene to go
// to after a load: the picture comes up instead); 30: the brightness.
void SyncSceneSwitch(SaveSync& s, int row) {
    switch (row) {
    case 3: s.Require(GameScene(s.Value(loop.currentScene)), "a scene number outside the game"); return;
    case 15: {
        const int32_t previous = s.Value(sceneSwitch.previousScene);
        s.Require(previous == -1 || GameScene(previous), "a scene number outside the game");
        return;
    }
    case 29:
        s.Value(sceneSwitch.fadeState);
        if (s.Applying() && sceneSwitch.fadeState > 300) sceneSwitch.fadeState = 1;
        return;
    case 30: s.Require(s.Value(sceneSwitch.gammaLevel) <= kGammaMaxLimit, "a brightness beyond the gamma ramps"); return;
    }
}

// The state dump's part 0: the scene and the previous one; 1: the brightness and the
// fade.
void DumpSceneSwitch(JsonWriter& json, int part) {
    if (part == 0)
        json.Member("currentScene", loop.currentScene).Member("previousScene", sceneSwitch.previousScene);
    else
        json.Member("gammaLevel", sceneSwitch.gammaLevel).Member("gammaMax", sceneSwitch.gammaMax).Member("fadeState", sceneSwitch.fadeState);
}

void FrameValuesForPlay() {
    loop.playMode = 0;
    loop.backgroundValid = 1;
}

// No video plays after a load.
void SyncPlayValues(SaveSync& s, int) {
    s.Value(loop.playMode);
    if (s.Applying() && loop.playMode == 2) loop.playMode = 0;
}

void DumpPlayValues(JsonWriter& json, int) { json.Member("playMode", loop.playMode); }

void MainStateForNewGame() {
    loop.MainSost = 0;
    loop.MainFlags = 0;
}

// Rows 8-9: the main state and its flags; 31: the music track asked for.
void SyncMainState(SaveSync& s, int row) {
    if (row == 8)
        s.Value(loop.MainSost);
    else if (row == 9)
        s.Value(loop.MainFlags);
    else
        s.Value(loop.requestedTrack);
}

// The state dump's part 0: the main state; 1: the music track asked for.
void DumpMainState(JsonWriter& json, int part) {
    if (part == 0)
        json.Member("MainSost", loop.MainSost);
    else
        json.Member("requestedTrack", loop.requestedTrack);
}

void InputAtStart() {
    ResetInput();
    ResetMouse();
    KillAllWindowTimers();
}

// The state dump's part 0: the pointer; 1: the window.
void DumpInput(JsonWriter& json, int part) {
    if (part == 0) {
        json.Member("pointerX", pointer.cursorX).Member("pointerY", pointer.cursorY);
        return;
    }
    int windowWidth = 0, windowHeight = 0;
    GetWindowSize(windowWidth, windowHeight);
    json.Key("window").BeginObject().Member("width", windowWidth).Member("height", windowHeight);
    json.Key("fullScreen").Bool(IsFullScreen()).Key("pointerConfined").Bool(PointerConfined()).EndObject();
}

}  // namespace

const Owner& FrameValuesOwner() {
    static const Owner owner{owner_name::kFrame, nullptr, nullptr, FrameValuesForScene, SyncFrameValues};
    return owner;
}

const Owner& SceneSwitchOwner() {
    static const Owner owner{owner_name::kSceneSwitch, ResetSceneSwitch, nullptr, FadeForScene, SyncSceneSwitch,
                             nullptr, DumpSceneSwitch};
    return owner;
}

const Owner& PlayValuesOwner() {
    static const Owner owner{owner_name::kPlayValues, nullptr, nullptr, FrameValuesForPlay, SyncPlayValues, nullptr,
                             DumpPlayValues};
    return owner;
}

const Owner& MainStateOwner() {
    static const Owner owner{owner_name::kMainState, ResetShellGlobals, MainStateForNewGame, nullptr, SyncMainState, nullptr,
                             DumpMainState};
    return owner;
}

const Owner& InputOwner() {
    static const Owner owner{owner_name::kInput, InputAtStart, nullptr, nullptr, nullptr, nullptr, DumpInput};
    return owner;
}

}  // namespace tarvex
