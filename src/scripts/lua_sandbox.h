// The Lua state a scene script runs in: only the base, string, table, math and utf8
// libraries, no way to load code or touch files, an instruction budget per call, a memory
// cap, a wall-clock backstop for work hidden in library calls, and string patterns that
// count their steps against the budget. Only src/scripts/lua_*.cpp (and their tests)
// include this header: it brings in Lua's own.
#pragma once
#include <lua.hpp>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "scripts/lua_scene.h"

namespace tarvex {

// What the sandbox keeps per state (reached through the state's extra space).
struct Sandbox {
    ScriptLimits limits;
    size_t used = 0;               // bytes held now
    bool memoryRefused = false;    // an allocation was refused in this call
    int64_t left = 0;              // instructions left in this call
    std::chrono::steady_clock::time_point deadline;
    uint32_t hooks = 0;            // count-hook calls in this call (the clock is read every 16th)
    bool limitHit = false;         // budget or time spent: nothing in the script may catch it
    int lastLine = 0;              // the script's line at the last count hook (memory reports)
    std::string file;              // the script's file, for messages and print
    int scene = -1;                // the scene whose script runs in the state
};

// A new sandboxed state; null when even the state itself does not fit the cap. The
// sandbox must outlive the state.
lua_State* NewSandboxState(Sandbox& box);
Sandbox& SandboxOf(lua_State* L);
// A fresh budget and clock for the next call into the script.
void BeginSandboxCall(lua_State* L);
// Spends `steps` of the budget on work done in C (pattern steps, moved elements);
// raises the budget error when it runs out.
void ChargeSandbox(lua_State* L, int64_t steps);

// Hands a line the script printed to the scene scripts' message sink (lua_scene.cpp).
void SandboxPrint(const Sandbox& box, const char* text, size_t length);

// string.find, match, gmatch and gsub with every matching step counted (lua_patterns.cpp).
void InstallBoundedPatterns(lua_State* L);

}  // namespace tarvex
