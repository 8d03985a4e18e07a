// The Lua state a scene script runs in: only the base, string, table, math and utf8
// libraries, no way to load code or touch files, an instruction budget per call, a memory
// cap, a time limit per call, and library functions whose work grows with their input
// (string patterns, sorting, copying and scanning strings, moving table elements) paying
// for that work from the budget. Only src/scripts/lua_*.cpp (and their tests) include this
// header: it brings in Lua's own.
#pragma once
#include <lua.hpp>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "scripts/lua_scene.h"

namespace tarvex {

// What the sandbox keeps per state (reached through the state's extra space).
struct Sandbox {
    ScriptLimits limits;
    size_t used = 0;               // bytes held now
    bool memoryRefused = false;    // an allocation was refused in this call
    int64_t left = 0;              // instructions left in this call
    ThreadCpuClock::time_point deadline;  // of the call, in the thread's processor time
    int hookEvery = 0;             // instructions between two count hooks (fewer in a large state)
    size_t hookRetune = SIZE_MAX;  // bytes held past which hookEvery is too many
    lua_State* state = nullptr;    // the state, once made
    bool limitHit = false;         // budget or time spent: nothing in the script may catch it
    int lastLine = 0;              // the script's line at the last count hook (memory reports)
    size_t printed = 0;            // bytes print wrote in this visit (the state lives one visit)
    bool printStopped = false;     // the visit's print cap was reached
    std::string file;              // the script's file, for messages and print
    int scene = -1;                // the scene whose script runs in the state
};

// What the sandbox's limits are, beside the budget, the memory cap and the time.
constexpr size_t kBytesPerStep = 32;           // string bytes copied or scanned per step of the budget
constexpr size_t kPrintLineBytes = 1024;       // text one print call writes, at most
constexpr size_t kPrintVisitBytes = 64 << 10;  // lines print writes in one visit, at most

// A new sandboxed state; null when even the state itself does not fit the cap. The
// sandbox must outlive the state.
lua_State* NewSandboxState(Sandbox& box);
Sandbox& SandboxOf(lua_State* L);
// A fresh budget and clock for the next call into the script.
// The message handler of a protected call: the error as text, made inside the call (a
// non-string error object may carry metamethods; none of them runs later, outside the budget).
int ErrorAsText(lua_State* L);
void BeginSandboxCall(lua_State* L);
// Spends `steps` of the budget on work done in C (pattern steps, moved elements,
// comparisons) and reads the clock; raises the budget or time error when either runs out.
void ChargeSandbox(lua_State* L, int64_t steps);
// The same for `bytes` of string work (kBytesPerStep a step).
void ChargeSandboxBytes(lua_State* L, size_t bytes);

// Hands a line the script printed (at most kPrintLineBytes) to the scene scripts' message
// sink (lua_scene.cpp).
void SandboxPrint(const Sandbox& box, const char* text, size_t length);

// The open scene script's state; null when none is open (lua_scene.cpp).
lua_State* SceneScriptState();
// Runs `call` as a call into a script from outside the scene's own calls (a console line):
// a state closed meanwhile is released, and an EndGame asked for carried out, once it returns.
void RunAsScriptCall(const std::function<void()>& call);
// While set, the lines print writes go to `lines` instead of the message sink.
void SetPrintCapture(std::vector<std::string>* lines);

// string.find, match, gmatch and gsub with every matching step counted (lua_patterns.cpp).
void InstallBoundedPatterns(lua_State* L);

}  // namespace tarvex
