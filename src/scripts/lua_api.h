// The engine's services as a scene script sees them: global functions with the names and
// argument order of script_api.h, the table `Game` of the values scenes read and write,
// and the constants of cursors, verbs and "none". Every number is checked against the
// table it indexes; a bad argument raises a Lua error that names the function.
#pragma once
#include <cstdint>

struct lua_State;

namespace tarvex {

// Registers the functions, `Game` and the constants in the state's globals (in
// protected mode: it allocates).
void InstallSceneApi(lua_State* L);

// EndGame() asks for the end of the game; the scene script layer carries it out once
// the script's call has returned.
bool TakeEndGameRequest();

// A new visit of a scripted scene: its loads start from an empty budget and every file may
// be tried again.
void BeginSceneScriptVisit();
// The bytes the scene's resources hold, as the scripts' resource budget counts them.
uint64_t SceneResourceBytes();
// GotoScene() outside a frame's run (the top level, init, load) leaves the scene after
// its first frame: the scene asked for, or -1; taking it forgets it.
int TakeDeferredScene();
// Asks for scene `scene` from outside a frame (the console): the next frame of the current
// scene leaves for it with the usual fade.
void DeferSceneRequest(int scene);

}  // namespace tarvex
