// The scene scripts' entry points: one row of functions (init, load, run) and a music
// track for every scene number 0..298; numbers outside run nothing.
#pragma once

namespace tarvex {

constexpr int kSceneCount = 299;
using SceneFunction = void (*)();

// A scene's music track as the init dispatch chooses it: a track number, or one of these.
constexpr int kTrackKept = -1;         // the track stays as it was
constexpr int kTrackByScene120 = -2;   // 0 with flag 0x400 of scene 120, else 2
constexpr int kTrackByScene201 = -3;   // 4 with flag 1 of scene 201, else 0

struct SceneRow {
    SceneFunction init;
    SceneFunction load;
    SceneFunction run;
    int track;
};

// The track the init dispatch of `scene` asks for now (kTrackKept for none).
int SceneMusicTrack(int scene);

void InitScene();
void LoadScene();
void RunScene();
// A character typed in the game while no keyboard device takes keys: the current scene's
// own keys may take it (the keypad of scene 98 takes digits as presses of its keys).
// True when taken.
bool SceneTypedCharacter(int ch);
// True while RunScene runs the current scene's frame.
bool RunningSceneFrame();

// Replaces a scene's functions for the rest of the run (null keeps the row's function):
// tests drive the frame with functions of their own.
void SetSceneFunctions(int scene, SceneFunction init, SceneFunction load, SceneFunction run);
// Every scene back to its row of the table.
void ResetSceneFunctions();
// The scripts' first-run guards, per-scene values and step counter back to their start
// (a new game, a loaded game, the tests).
void ResetScriptState();

}  // namespace tarvex
