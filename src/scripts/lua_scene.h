// Scene scripts from the game folder: "scripts/sceneNNN.lua" (loose or in "scripts.res")
// gives scene NNN its own init, load and run functions in Lua 5.4. The file is read
// afresh whenever the scene is entered, into a state of its own that is closed when the
// scene is left; each function it defines replaces the compiled-in one for that visit.
// A script that fails (syntax, runtime error, instruction budget, memory cap) is
// reported once on stderr and the compiled-in functions take over for the rest of the
// visit. The scene dispatch is the only caller in the game; tests and the fuzzer drive
// the same entry points.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tarvex {

enum class SceneCall { Init, Load, Run };

// Limits of one call into a script (the file's top level, init, load or run).
struct ScriptLimits {
    int64_t instructions = 1'000'000;  // VM instructions, and steps of string patterns
    size_t memoryBytes = 16u << 20;    // bytes the scene's state may hold at once
    int64_t milliseconds = 500;        // processor time, for work hidden in library and engine calls
    // Bytes the scene's loaded resources may hold when a script's call loads more: tool
    // pictures, frames of sequences, sounds, and the models and textures the visit loaded.
    uint64_t resourceBytes = 256u << 20;
};

// Reads "scripts/sceneNNN.lua" for `scene` and runs its top level; closes any state open
// before. Nothing is open afterwards when the game folder has no such file or it failed.
void OpenSceneScript(int scene);
// The same with the text given; `file` names it in reports (tests, the fuzzer).
void OpenSceneScriptText(int scene, const std::string& file, const std::string& text);
// Calls the open script's function for `scene`: true when the script took the call (even
// when the call failed), false when the compiled-in function is to run. A state open for
// another scene is closed: that scene was left.
bool CallSceneScript(int scene, SceneCall call);
// Closes the open state (the scene is left, the game ended, the tables reset).
void CloseSceneScript();
// The scene table's own function of `scene` (scene_dispatch.cpp): a script that extends
// the compiled-in scene instead of replacing it calls it.
void CallCompiledSceneFunction(int scene, SceneCall call);

// How many Lua states are open (0 or 1), and the scene whose script is open (-1 none).
int OpenLuaStates();
int ScriptedScene();

ScriptLimits CurrentScriptLimits();
void SetScriptLimits(const ScriptLimits& limits);
// Where the scripts' print goes: one line each, without its line end. The default writes
// to stderr; an empty function restores it.
void SetScriptMessageSink(std::function<void(const std::string&)> sink);
// A report on the scripts (a script that failed, a scene entered again): on stderr, and
// through the sink when one is set.
void ReportScriptLine(const std::string& line);
// What a script's EndGame opens over the last picture: the menu, which sets it at start-up
// (the scripts may not call up into it). With none set the game just ends.
void SetEndOfGameMenu(void (*openMenu)());

}  // namespace tarvex
